#include "ui/dialogs/BurnDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/burn/BurnMessages.h"
#include "ui/widgets/ListFont.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

BurnDialog::BurnDialog(BurnChoicesEditor& editor,
                       std::function<std::vector<OpticalDrive>()> listDrives,
                       StatusReader readStatus, QWidget* parent)
    : QDialog(parent),
      Editor_(editor),
      ListDrives_(std::move(listDrives)),
      ReadStatus_(std::move(readStatus)) {
  setObjectName("BurnDlg");
  setWindowTitle("Burn");
  setFont(DialogFont());
  setModal(true);

  auto* box = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  auto* driveRow = new QHBoxLayout();
  DriveCombo_ = new QComboBox(this);
  DriveCombo_->setObjectName("DriveCmb");
  DriveCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* refresh = new QPushButton("&Refresh", this);
  refresh->setObjectName("RefreshBtn");
  refresh->setAccessibleName("Refresh the drives");
  refresh->setAutoDefault(false);
  driveRow->addWidget(DriveCombo_, 1);
  driveRow->addWidget(refresh);
  auto* driveCaption = new QLabel("&Drive:", this);
  driveCaption->setBuddy(DriveCombo_);
  form->addRow(driveCaption, driveRow);
  StatusLbl_ = new QLabel(this);
  StatusLbl_->setObjectName("DiscStatusLbl");
  StatusLbl_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow("Disc:", StatusLbl_);
  SpeedCombo_ = new QComboBox(this);
  SpeedCombo_->setObjectName("SpeedCmb");
  for (int32_t speed : Editor_.Speeds())
    SpeedCombo_->addItem(Q(BurnChoicesEditor::SpeedText(speed)));
  SpeedCombo_->setCurrentIndex(Editor_.SpeedIndex());
  auto* speedCaption = new QLabel("&Speed:", this);
  speedCaption->setBuddy(SpeedCombo_);
  form->addRow(speedCaption, SpeedCombo_);
  box->addLayout(form);

  SimulateCk_ = new QCheckBox("Si&mulate first", this);
  SimulateCk_->setObjectName("SimulateCk");
  SimulateCk_->setChecked(Editor_.SimulateFirst);
  EjectCk_ = new QCheckBox("&Eject when done", this);
  EjectCk_->setObjectName("EjectCk");
  EjectCk_->setChecked(Editor_.Eject);
  BlankCk_ = new QCheckBox("&Blank a rewritable disc first", this);
  BlankCk_->setObjectName("BlankCk");
  BlankCk_->setChecked(Editor_.Blank);
  box->addWidget(SimulateCk_);
  box->addWidget(EjectCk_);
  box->addWidget(BlankCk_);

  auto* buttons = new QHBoxLayout();
  BurnBtn_ = new QPushButton("B&urn", this);
  BurnBtn_->setObjectName("BurnBtn");
  BurnBtn_->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("CancelBtn");
  cancel->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(BurnBtn_);
  buttons->addWidget(cancel);
  box->addLayout(buttons);

  connect(refresh, &QPushButton::clicked, this, &BurnDialog::Refresh);
  connect(DriveCombo_, &QComboBox::activated, this, [this](int index) {
    Editor_.ChooseDrive(index);
    ReadStatus();
  });
  connect(SpeedCombo_, &QComboBox::activated, this,
          [this](int index) { Editor_.ChooseSpeed(index); });
  connect(SimulateCk_, &QCheckBox::toggled, this, [this](bool on) { Editor_.SimulateFirst = on; });
  connect(EjectCk_, &QCheckBox::toggled, this, [this](bool on) { Editor_.Eject = on; });
  connect(BlankCk_, &QCheckBox::toggled, this, [this](bool on) { Editor_.Blank = on; });
  connect(BurnBtn_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  ShowDrives();
}

BurnDialog::~BurnDialog() {
  StopReading_.store(true);
  if (Reader_.joinable()) Reader_.join();
}

void BurnDialog::Refresh() {
  if (ListDrives_) Editor_.Refresh(ListDrives_());
  ShowDrives();
}

void BurnDialog::ShowDrives() {
  DriveCombo_->clear();
  for (const std::string& text : Editor_.DriveTexts()) DriveCombo_->addItem(Q(text));
  if (!Editor_.CanBurn()) DriveCombo_->addItem(kNoWriterText);
  DriveCombo_->setEnabled(Editor_.CanBurn());
  DriveCombo_->setCurrentIndex(std::max(Editor_.DriveIndex(), 0));
  BurnBtn_->setEnabled(Editor_.CanBurn());
  ReadStatus();
}

void BurnDialog::ReadStatus() {
  if (!Editor_.CanBurn() || !ReadStatus_) {
    StatusLbl_->setText(Editor_.CanBurn() ? QStringLiteral("Read when the burn starts.")
                                          : QStringLiteral("No drive to read a disc in."));
    emit StatusShown();
    return;
  }
  StatusLbl_->setText("Reading the disc\u2026");
  // One read at a time, and never a wait on the window's thread: a drive chosen while a
  // read is under way is read when that read has answered.
  if (Reader_.joinable()) {
    ReadAgain_ = true;
    return;
  }
  const std::string device = Editor_.Options().Device;
  QPointer<BurnDialog> self(this);
  Reader_ = std::thread([self, device, read = ReadStatus_, stop = &StopReading_] {
    const DiscStatus status = read(device, *stop);
    QMetaObject::invokeMethod(
        qApp,
        [self, status] {
          if (self) self->StatusRead(status);
        },
        Qt::QueuedConnection);
  });
}

void BurnDialog::StatusRead(const DiscStatus& status) {
  Reader_.join();  // its last step was to hand over this answer
  if (ReadAgain_) {
    ReadAgain_ = false;
    ReadStatus();
    return;
  }
  StatusLbl_->setText(QString::fromStdString(status.Line));
  emit StatusShown();
}

}  // namespace varnel
