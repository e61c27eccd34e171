// The track list of the main window: the header "TracksHdr" with nine sections and, below
// it, the list "Tracks" with one row per track of the layout, each row painted by the
// list itself from the track's column texts. Rows are reordered by dragging and a double
// click (by time) asks for the track's properties.
#pragma once

#include <QAbstractListModel>
#include <QHeaderView>
#include <QListView>
#include <QStyledItemDelegate>
#include <array>
#include <functional>
#include <string>

#include "AppContext.h"
#include "TrackDrag.h"

namespace varnel {

inline constexpr int kTrackListColumns = 9;
// Header texts, left to right.
extern const char* const kTrackColumnHeaders[kTrackListColumns];

// One row per track of the layout; the rows hold no data of their own.
class TTrackListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit TTrackListModel(TAppContext& ctx, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // The track list changed in number: rebuild the rows.
  void Reset();
  // Rows `a` and `b` show other tracks now.
  void RowsChanged(int a, int b);

 private:
  TAppContext& Ctx_;
};

class TTracksList : public QListView {
  Q_OBJECT
 public:
  using TTextsFn = std::function<std::array<std::string, kTrackListColumns>(int32_t)>;
  using TClockFn = std::function<uint32_t()>;

  TTracksList(TAppContext& ctx, QWidget* parent = nullptr);

  QHeaderView* Header() const { return Header_; }
  TTrackListModel* Model() const { return Model_; }

  // The nine column texts of a row (defaults to TrackColumnTexts).
  void SetTextsFn(TTextsFn fn) { Texts_ = std::move(fn); }
  // The millisecond clock of the double-click test (defaults to a steady clock).
  void SetClock(TClockFn fn) { Clock_ = std::move(fn); }

  // Row height in pixels (at least 1).
  void SetRowHeight(int height);
  int RowHeight() const { return RowHeight_; }

  // Rebuilds the rows after tracks were added, removed or replaced, and shows
  // ctx.SelectedTrack as the selection.
  void SyncWithLayout();

  const TTrackDrag& Drag() const { return Drag_; }
  std::array<std::string, kTrackListColumns> RowTexts(int32_t row) const;

 signals:
  // A press completed a double click: the track properties command should run.
  void PropertiesRequested();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void updateGeometries() override;

 private:
  void Press(QMouseEvent* e);
  int32_t EntryAt(const QPoint& pos) const;
  void PlaceHeader();

  TAppContext& Ctx_;
  TTrackListModel* Model_;
  QHeaderView* Header_;
  TTextsFn Texts_;
  TClockFn Clock_;
  TTrackDrag Drag_;
  int RowHeight_ = 12;
};

// Paints a row: its background from the left edge of the first header section, then
// each column's text on one line, left-aligned, vertically centred, clipped to the
// section's extent less 3 pixels on the left and 5 on the right.
class TTrackRowDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit TTrackRowDelegate(TTracksList* list) : QStyledItemDelegate(list), List_(list) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  TTracksList* List_;
};

}  // namespace varnel
