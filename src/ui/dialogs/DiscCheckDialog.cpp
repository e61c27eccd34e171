#include "ui/dialogs/DiscCheckDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/widgets/ListFont.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QIcon SeverityIcon(Severity severity) {
  QStyle* style = QApplication::style();
  switch (severity) {
    case Severity::Error:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case Severity::Warning:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case Severity::Note:
      break;
  }
  return style->standardIcon(QStyle::SP_MessageBoxInformation);
}

QString SeverityText(Severity severity) {
  switch (severity) {
    case Severity::Error:
      return "Error";
    case Severity::Warning:
      return "Warning";
    case Severity::Note:
      break;
  }
  return "Note";
}

}  // namespace

DiscCheckDialog::DiscCheckDialog(const std::vector<FindingRow>& rows, bool question,
                                 QWidget* parent)
    : QDialog(parent), Rows_(rows) {
  setObjectName(question ? "CheckBeforeMakeDlg" : "CheckDiscDlg");
  setWindowTitle(question ? kCheckBeforeMakeTitle : kCheckDiscTitle);
  setFont(DialogFont());
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  auto* caption = new QLabel(question ? kCheckBeforeMakeText : "&Findings:", this);
  caption->setObjectName("FindingsLbl");
  caption->setWordWrap(true);
  layout->addWidget(caption);

  List_ = new QTreeWidget(this);
  List_->setObjectName("Findings");
  List_->setAccessibleName("Findings");
  List_->setRootIsDecorated(false);
  List_->setColumnCount(3);
  List_->setHeaderLabels({"Severity", "Track", "Finding"});
  List_->setWordWrap(true);
  List_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
  for (const FindingRow& row : Rows_) {
    auto* item =
        new QTreeWidgetItem(List_, {SeverityText(row.Severity), Q(row.Track), Q(row.Text)});
    item->setIcon(0, SeverityIcon(row.Severity));
    item->setToolTip(2, Q(row.Text));
  }
  if (Rows_.empty()) new QTreeWidgetItem(List_, {QString(), QString(), kNoFindingsText});
  List_->resizeColumnToContents(0);
  List_->resizeColumnToContents(1);
  if (!question) caption->setBuddy(List_);
  layout->addWidget(List_);

  auto activate = [this](QTreeWidgetItem* item) {
    const int index = List_->indexOfTopLevelItem(item);
    if (OnActivate && index >= 0 && index < static_cast<int>(Rows_.size())) {
      OnActivate(Rows_[static_cast<size_t>(index)]);
    }
  };
  connect(List_, &QTreeWidget::itemActivated, this,
          [activate](QTreeWidgetItem* item, int) { activate(item); });

  auto* buttons = new QDialogButtonBox(this);
  if (question) {
    QPushButton* make = buttons->addButton(kMakeAnywayCaption, QDialogButtonBox::AcceptRole);
    make->setObjectName("MakeAnywayBtn");
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("CancelBtn");
    cancel->setDefault(true);
  } else {
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName("CloseBtn");
    close->setDefault(true);
  }
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(640, 320);
}

}  // namespace varnel
