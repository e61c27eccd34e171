#include "ui/widgets/TrackListView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <chrono>

#include "app/commands/TrackListCommands.h"
#include "app/views/TrackColumns.h"
#include "app/views/TrackListText.h"
#include "ui/widgets/ListFont.h"

namespace varnel {

namespace {

uint32_t SteadyMilliseconds() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  // The clock wraps like a 32-bit tick count; the double-click test subtracts unsigned.
  return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()));
}

// Paints a cell: its background over the whole cell, then its text on one line,
// left-aligned, vertically centred, clipped to the cell less 3 pixels on the left and 5
// on the right. Selected rows in the highlight colours. Rows are as high as the list says.
class TrackRowDelegate : public QStyledItemDelegate {
 public:
  explicit TrackRowDelegate(TrackListView* list) : QStyledItemDelegate(list), List_(list) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (!index.isValid() || index.row() >= index.model()->rowCount()) return;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    const QColor bg = pal.color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base);
    const QColor fg =
        pal.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
    const QRect r = option.rect;

    painter->save();
    painter->fillRect(r, bg);
    const QRect textRect(r.left() + 3, r.top(), r.width() - 8, r.height());
    if (textRect.width() > 0) {
      painter->setPen(fg);
      painter->setFont(option.font);
      painter->setClipRect(textRect);
      painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                        index.data(Qt::DisplayRole).toString());
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), List_->RowHeight());
  }

 private:
  TrackListView* List_;
};

}  // namespace

TrackListView::TrackListView(AppContext& ctx, QWidget* parent)
    : QTreeView(parent), Ctx_(ctx), Clock_(SteadyMilliseconds) {
  setObjectName("Tracks");
  setAccessibleName("Track list");
  setAccessibleDescription(
      "Enter: track properties. Delete: remove the track. Alt+Up, Alt+Down: move the track.");
  Model_ = new TrackListModel(
      ctx, [this](int32_t row) { return RowTexts(row); }, this);
  setModel(Model_);
  setItemDelegate(new TrackRowDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(0);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setDragEnabled(false);
  // Files dropped here are handled by the main window, which looks at the control under
  // the pointer.
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);

  QHeaderView* h = header();
  h->setObjectName("TracksHdr");
  h->setAccessibleName("Track list columns");
  h->setSectionsMovable(false);
  h->setSectionsClickable(false);
  h->setHighlightSections(false);
  h->setStretchLastSection(true);
  h->setMinimumSectionSize(0);
  h->setSectionResizeMode(QHeaderView::Interactive);
  h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int c = 0; c < kTrackColumnCount; ++c) {
    h->resizeSection(c, kDefaultColumnWidths[static_cast<size_t>(c)]);
  }

  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    const QModelIndexList rows = selectionModel()->selectedRows();
    Ctx_.SelectedTrack = rows.isEmpty() ? -1 : rows.front().row();
  });
  RowHeight_ = ListRowHeight(font());
}

TrackListModel::Texts TrackListView::RowTexts(int32_t row) const {
  try {
    if (Texts_) return Texts_(row);
    return TrackColumnTexts(Ctx_, row);
  } catch (...) {
    // Painting must go on whatever a track's file does meanwhile.
    return {};
  }
}

void TrackListView::FitColumnsToTexts() {
  const QFontMetrics list(font());
  const QFontMetrics head(header()->font());
  for (int c = 0; c < kTrackColumnCount; ++c) {
    const TrackColumn& column = kTrackColumns[static_cast<size_t>(c)];
    const int text = std::max(list.horizontalAdvance(QString::fromLatin1(column.WidestText)),
                              head.horizontalAdvance(QString::fromLatin1(column.Title)));
    // The cell's margins (3 and 5 pixels) and the header's own.
    header()->resizeSection(c, text + 16);
  }
}

void TrackListView::SetRowHeight(int height) {
  RowHeight_ = std::max(1, height);
  // The rows take their height from the delegate; rebuilding them makes the view ask again.
  SyncWithLayout();
}

void TrackListView::SyncWithLayout() {
  const int32_t selected = Ctx_.SelectedTrack;
  Model_->Reset();
  if (selected >= 0 && selected < Ctx_.Layout.Count()) {
    setCurrentIndex(Model_->index(selected));
  } else {
    selectionModel()->clear();
    Ctx_.SelectedTrack = -1;
  }
  viewport()->update();
}

int32_t TrackListView::EntryAt(const QPoint& pos) const {
  const QModelIndex i = indexAt(pos);
  return i.isValid() ? i.row() : -1;
}

void TrackListView::keyPressEvent(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (mods == Qt::NoModifier) {
        // The row the keyboard is on counts before anything was selected.
        if (Ctx_.SelectedTrack < 0 && currentIndex().isValid()) {
          selectionModel()->select(currentIndex(),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        emit PropertiesRequested();
        return;
      }
      break;
    case Qt::Key_Delete:
      if (mods == Qt::NoModifier) {
        emit RemoveRequested();
        return;
      }
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (mods == Qt::AltModifier) {
        emit MoveRequested(e->key() == Qt::Key_Up ? -1 : 1);
        return;
      }
      break;
    default:
      break;
  }
  QTreeView::keyPressEvent(e);
}

void TrackListView::Press(QMouseEvent* e) {
  const TrackDrag::PressResult r =
      Drag_.Press(Ctx_.IsIdle(), Clock_(),
                  static_cast<uint32_t>(std::max(0, QApplication::doubleClickInterval())),
                  e->button() == Qt::LeftButton, EntryAt(e->position().toPoint()));
  if (r == TrackDrag::PressResult::DoubleClick) emit PropertiesRequested();
}

void TrackListView::mousePressEvent(QMouseEvent* e) {
  QTreeView::mousePressEvent(e);
  Press(e);
}

void TrackListView::mouseDoubleClickEvent(QMouseEvent* e) {
  // Qt's own double click is not used: the press counts like any other, and the time and
  // the row of the previous press decide.
  QTreeView::mousePressEvent(e);
  Press(e);
}

void TrackListView::mouseMoveEvent(QMouseEvent* e) {
  // The view's own handling would move the selection under the pointer; the drag does it.
  int32_t from = -1;
  int32_t to = -1;
  if (!Drag_.Move(Ctx_.IsIdle(), EntryAt(e->position().toPoint()), from, to)) return;
  if (from >= Ctx_.Layout.Count() || to >= Ctx_.Layout.Count()) return;
  ExchangeTracks(Ctx_, from, to);
  Model_->RowsChanged(from, to);
  // The selection stays with the dragged entry.
  setCurrentIndex(Model_->index(to));
  emit OrderChanged();
}

void TrackListView::mouseReleaseEvent(QMouseEvent* e) {
  QTreeView::mouseReleaseEvent(e);
  Drag_.Release();
}

}  // namespace varnel
