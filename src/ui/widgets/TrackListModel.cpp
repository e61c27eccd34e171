#include "ui/widgets/TrackListModel.h"

#include "app/views/StatusBar.h"
#include "app/views/TrackColumns.h"

namespace varnel {

TrackListModel::TrackListModel(AppContext& ctx, TextsFn texts, QObject* parent)
    : QAbstractTableModel(parent), Ctx_(ctx), Texts_(std::move(texts)) {}

int TrackListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Ctx_.Layout.Count();
}

int TrackListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kTrackColumnCount;
}

QModelIndex TrackListModel::index(int row, int column, const QModelIndex& parent) const {
  return QAbstractTableModel::index(row, column, parent);
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Ctx_.Layout.Count()) return QVariant();
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) {
    return QVariant();
  }
  const Texts texts = Texts_(index.row());
  return QString::fromStdString(texts[static_cast<size_t>(index.column())]);
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kTrackColumnCount) {
    return QVariant();
  }
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    return QString::fromLatin1(kTrackColumns[static_cast<size_t>(section)].Title);
  }
  if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  if (role == Qt::ToolTipRole && section == kLengthColumn) {
    return QString("Length and pre-gap in %1").arg(kTimeUnitNote);
  }
  return QVariant();
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TrackListModel::Reset() {
  beginResetModel();
  endResetModel();
}

void TrackListModel::RowsChanged(int a, int b) {
  for (int r : {a, b}) emit dataChanged(index(r, 0), index(r, kTrackColumnCount - 1));
}

}  // namespace varnel
