#include "TrackListBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <chrono>

#include "TrackListText.h"

namespace varnel {

const char* const kTrackColumnHeaders[kTrackListColumns] = {
    "Track#",   "File name",    "Type", "Hidden track", "Length (Pregap)",
    "Emphasis", "Digital copy", "ISRC", "Path"};

namespace {

// Widths of the sections before the settings replace them.
constexpr int kLayoutWidths[kTrackListColumns] = {50, 100, 50, 100, 100, 100, 100, 50, 50};

uint32_t SteadyMilliseconds() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  // The clock wraps like a 32-bit tick count; the double-click test subtracts unsigned.
  return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()));
}

}  // namespace

TTrackListModel::TTrackListModel(TAppContext& ctx, QObject* parent)
    : QAbstractListModel(parent), Ctx_(ctx) {}

int TTrackListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Ctx_.Layout.Count();
}

QVariant TTrackListModel::data(const QModelIndex&, int) const {
  return QVariant();
}

void TTrackListModel::Reset() {
  beginResetModel();
  endResetModel();
}

void TTrackListModel::RowsChanged(int a, int b) {
  emit dataChanged(index(a), index(a));
  emit dataChanged(index(b), index(b));
}

TTracksList::TTracksList(TAppContext& ctx, QWidget* parent)
    : QListView(parent), Ctx_(ctx), Clock_(SteadyMilliseconds) {
  setObjectName("Tracks");
  setAccessibleName("Tracks");
  Model_ = new TTrackListModel(ctx, this);
  setModel(Model_);
  setItemDelegate(new TTrackRowDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setDragEnabled(false);
  // Files dropped here are handled by the main window, which looks at the control under
  // the pointer.
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);

  Header_ = new QHeaderView(Qt::Horizontal, this);
  Header_->setObjectName("TracksHdr");
  Header_->setAccessibleName("TracksHdr");
  auto* headerModel = new QStandardItemModel(0, kTrackListColumns, Header_);
  QStringList labels;
  for (const char* h : kTrackColumnHeaders) labels << QString::fromLatin1(h);
  headerModel->setHorizontalHeaderLabels(labels);
  Header_->setModel(headerModel);
  Header_->setSectionsMovable(false);
  Header_->setSectionsClickable(false);
  Header_->setHighlightSections(false);
  Header_->setStretchLastSection(false);
  Header_->setMinimumSectionSize(0);
  Header_->setSectionResizeMode(QHeaderView::Interactive);
  Header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int c = 0; c < kTrackListColumns; ++c) Header_->resizeSection(c, kLayoutWidths[c]);
  connect(Header_, &QHeaderView::sectionResized, this, [this] { viewport()->update(); });

  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            Ctx_.SelectedTrack = current.isValid() ? current.row() : -1;
          });
  PlaceHeader();
}

std::array<std::string, kTrackListColumns> TTracksList::RowTexts(int32_t row) const {
  try {
    if (Texts_) return Texts_(row);
    return TrackColumnTexts(Ctx_, row);
  } catch (...) {
    // Painting must go on whatever a track's file does meanwhile.
    return {};
  }
}

void TTracksList::SetRowHeight(int height) {
  RowHeight_ = std::max(1, height);
  // The rows take their height from the delegate; rebuilding them makes the view ask again.
  SyncWithLayout();
}

void TTracksList::SyncWithLayout() {
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

int32_t TTracksList::EntryAt(const QPoint& pos) const {
  const QModelIndex i = indexAt(pos);
  return i.isValid() ? i.row() : -1;
}

void TTracksList::Press(QMouseEvent* e) {
  const TTrackDrag::TPress r =
      Drag_.MouseDown(Ctx_.IsIdle(), Clock_(),
                      static_cast<uint32_t>(std::max(0, QApplication::doubleClickInterval())),
                      e->button() == Qt::LeftButton, EntryAt(e->position().toPoint()));
  if (r == TTrackDrag::TPress::DoubleClick) emit PropertiesRequested();
}

void TTracksList::mousePressEvent(QMouseEvent* e) {
  QListView::mousePressEvent(e);
  Press(e);
}

void TTracksList::mouseDoubleClickEvent(QMouseEvent* e) {
  // Qt's own double click is not used: the press counts like any other, and the time
  // since the previous press decides.
  QListView::mousePressEvent(e);
  Press(e);
}

void TTracksList::mouseMoveEvent(QMouseEvent* e) {
  int32_t from = -1;
  int32_t to = -1;
  if (!Drag_.MouseMove(Ctx_.IsIdle(), EntryAt(e->position().toPoint()), from, to)) return;
  if (from >= Ctx_.Layout.Count() || to >= Ctx_.Layout.Count()) return;
  Ctx_.Layout.Exchange(from, to);
  Model_->RowsChanged(from, to);
  // The selection stays with the dragged entry.
  setCurrentIndex(Model_->index(to));
}

void TTracksList::mouseReleaseEvent(QMouseEvent* e) {
  QListView::mouseReleaseEvent(e);
  Drag_.MouseUp();
}

void TTracksList::resizeEvent(QResizeEvent* e) {
  QListView::resizeEvent(e);
  PlaceHeader();
}

void TTracksList::updateGeometries() {
  QListView::updateGeometries();
  PlaceHeader();
}

void TTracksList::PlaceHeader() {
  if (!Header_) return;
  const int h = Header_->sizeHint().height();
  if (viewportMargins().top() != h) setViewportMargins(0, h, 0, 0);
  const QRect vg = viewport()->geometry();
  Header_->setGeometry(vg.left(), vg.top() - h, vg.width(), h);
}

void TTrackRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const int row = index.row();
  if (row < 0 || row >= index.model()->rowCount()) return;
  const std::array<std::string, kTrackListColumns> texts = List_->RowTexts(row);
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette& pal = option.palette;
  const QColor bg = pal.color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base);
  const QColor fg =
      pal.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
  const QHeaderView* header = List_->Header();
  const QRect r = option.rect;

  painter->save();
  const int x0 = header->sectionViewportPosition(0);
  if (r.right() >= x0) {
    painter->fillRect(QRect(QPoint(x0, r.top()), QPoint(r.right(), r.bottom())), bg);
  }
  painter->setPen(fg);
  painter->setFont(option.font);
  for (int c = 0; c < kTrackListColumns; ++c) {
    if (header->isSectionHidden(c)) continue;
    const int left = header->sectionViewportPosition(c) + 3;
    const int width = header->sectionSize(c) - 8;
    if (width <= 0) continue;
    const QRect textRect(left, r.top(), width, r.height());
    painter->setClipRect(textRect);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      QString::fromStdString(texts[static_cast<size_t>(c)]));
  }
  painter->restore();
}

QSize TTrackRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(option.rect.width(), List_->RowHeight());
}

}  // namespace varnel
