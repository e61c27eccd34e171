// The track list of the main window: "Tracks", one row per track of the layout in nine
// columns under the header "TracksHdr", every cell painted by the list itself from the
// track's column texts. The rows and cells are items of a model (TrackListModel), so that
// assistive tools read each row's texts and the column headers. Rows are reordered by
// dragging, or with Alt+Up and Alt+Down; a double click on a row (both presses on that row,
// by time), Enter, and Delete ask the window for the selected track's properties or its
// removal. The columns start at the settings file's default widths, scroll sideways when
// they do not fit, and the last one takes the room left.
#pragma once

#include <QHeaderView>
#include <QTreeView>
#include <cstdint>
#include <functional>

#include "app/AppContext.h"
#include "ui/widgets/TrackDrag.h"
#include "ui/widgets/TrackListModel.h"

namespace varnel {

class TrackListView : public QTreeView {
  Q_OBJECT
 public:
  using TextsFn = TrackListModel::TextsFn;
  using ClockFn = std::function<uint32_t()>;

  TrackListView(AppContext& ctx, QWidget* parent = nullptr);

  QHeaderView* Header() const { return header(); }
  TrackListModel* Model() const { return Model_; }

  // The nine column texts of a row (defaults to TrackColumnTexts).
  void SetTextsFn(TextsFn fn) { Texts_ = std::move(fn); }
  // The millisecond clock of the double-click test (defaults to a steady clock).
  void SetClock(ClockFn fn) { Clock_ = std::move(fn); }

  // Gives each column the width of its header or of its typical widest text, whichever is
  // wider, in the list's font (the last column takes the room that is left in any case).
  void FitColumnsToTexts();

  // Row height in pixels (at least 1).
  void SetRowHeight(int height);
  int RowHeight() const { return RowHeight_; }

  // Rebuilds the rows after tracks were added, removed or replaced, and shows
  // ctx.SelectedTrack as the selection.
  void SyncWithLayout();

  const TrackDrag& Drag() const { return Drag_; }
  TrackListModel::Texts RowTexts(int32_t row) const;

 signals:
  // A double click on a row, or Enter: the track properties command should run.
  void PropertiesRequested();
  // Delete: the selected track should be removed.
  void RemoveRequested();
  // Alt+Up (−1) or Alt+Down (+1): the selected track should move.
  void MoveRequested(int delta);
  // A drag changed the order of the tracks.
  void OrderChanged();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void Press(QMouseEvent* e);
  int32_t EntryAt(const QPoint& pos) const;

  AppContext& Ctx_;
  TrackListModel* Model_;
  TextsFn Texts_;
  ClockFn Clock_;
  TrackDrag Drag_;
  int RowHeight_ = 12;
};

}  // namespace varnel
