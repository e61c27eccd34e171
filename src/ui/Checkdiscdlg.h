// The list of the disc check's findings: the "Check disc…" dialog (Close; a double click
// or Enter on a finding selects its track in the main list and keeps the dialog open), and
// the question before Make or Test ("Make anyway", "Cancel").
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "DiscCheckView.h"

class QTreeWidget;

namespace varnel {

class TCheckDiscDlg : public QDialog {
  Q_OBJECT

 public:
  // `question`: the dialog before making, with "Make anyway" (accept) and "Cancel".
  TCheckDiscDlg(const std::vector<TFindingRow>& rows, bool question, QWidget* parent = nullptr);

  // Called with the row of a finding that was double-clicked or entered.
  std::function<void(const TFindingRow&)> OnActivate;

  QTreeWidget* List() const { return List_; }

 private:
  std::vector<TFindingRow> Rows_;
  QTreeWidget* List_;
};

}  // namespace varnel
