// The rows and cells of the track list as a Qt model, so that the list paints them and
// assistive tools read each row's texts and the column headers: one row per track of the
// layout, one column per entry of the column table (app/views/TrackColumns.h). The rows
// hold no data of their own: each cell's text comes from the texts function when it is
// asked for.
#pragma once

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/AppContext.h"

namespace varnel {

class TrackListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using Texts = std::array<std::string, kTrackColumnCount>;
  using TextsFn = std::function<Texts(int32_t)>;

  TrackListModel(AppContext& ctx, TextsFn texts, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // The first cell of a row by default.
  QModelIndex index(int row, int column = 0,
                    const QModelIndex& parent = QModelIndex()) const override;

  // The track list changed in number: rebuild the rows.
  void Reset();
  // Rows `a` and `b` show other tracks now.
  void RowsChanged(int a, int b);

 private:
  AppContext& Ctx_;
  TextsFn Texts_;
};

}  // namespace varnel
