// The list of the disc check's findings: the "Check disc…" dialog (Close; a double click
// or Enter on a finding selects its track in the main list and keeps the dialog open), and
// the question before Make or Test ("Make anyway", "Cancel").
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/check/DiscCheckView.h"

class QTreeWidget;

namespace varnel {

class DiscCheckDialog : public QDialog {
  Q_OBJECT

 public:
  // `question`: the dialog before making, with "Make anyway" (accept) and "Cancel".
  DiscCheckDialog(const std::vector<FindingRow>& rows, bool question, QWidget* parent = nullptr);

  // Called with the row of a finding that was double-clicked or entered.
  std::function<void(const FindingRow&)> OnActivate;

  QTreeWidget* List() const { return List_; }

 private:
  std::vector<FindingRow> Rows_;
  QTreeWidget* List_;
};

}  // namespace varnel
