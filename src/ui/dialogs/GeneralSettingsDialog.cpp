#include "ui/dialogs/GeneralSettingsDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <algorithm>

#include "app/editors/GeneralSettings.h"
#include "ui/widgets/ListFont.h"

namespace varnel {

GeneralSettingsDialog::GeneralSettingsDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent), Prompter_(prompter) {
  setObjectName("GenSettingsDlg");
  setWindowTitle("General Settings");
  setFont(DialogFont());
  // Only a system menu: no help or minimise buttons.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  auto* workDirLabel = new QLabel("Working Folder:", this);
  WorkDirEdit_ = new QLineEdit(this);
  WorkDirEdit_->setObjectName("WorkDirEdit");
  WorkDirEdit_->setPlaceholderText(kWorkDirPlaceholder);
  workDirLabel->setBuddy(WorkDirEdit_);
  auto* browse = new QPushButton("&Browse", this);
  browse->setObjectName("BrowseBtn");
  browse->setAccessibleName("Browse for working folder");
  browse->setAutoDefault(false);

  AddFramesCheck_ = new QCheckBox("Add leading silence:", this);
  AddFramesCheck_->setObjectName("AddFrameChk");
  FramesSpin_ = new QSpinBox(this);
  FramesSpin_->setObjectName("FramesUd");
  FramesSpin_->setRange(kMinLeadFrames, kMaxLeadFrames);
  FramesSpin_->setWrapping(false);
  FramesSpin_->setValue(0);
  // The unit after the field names it; the check box before it says what it is for.
  auto* framesLabel = new QLabel("Frames", this);
  framesLabel->setBuddy(FramesSpin_);
  FramesSpin_->setAccessibleName("Leading silence frames");
  // The edit part of the up-down is the frames field.
  if (QLineEdit* edit = FramesSpin_->findChild<QLineEdit*>()) {
    edit->setObjectName("FramesEdit");
    edit->setAccessibleName("Leading silence frames");
  }

  MakeAlwaysCheck_ = new QCheckBox("Always make temporary wave files", this);
  MakeAlwaysCheck_->setObjectName("AlwaysMakeCk");
  RelativeCheck_ = new QCheckBox("Specify image files in relative filename", this);
  RelativeCheck_->setObjectName("RelNameCk");
  CdrdaoTocCheck_ = new QCheckBox("Also write a TOC file for cdrdao", this);
  CdrdaoTocCheck_->setObjectName("CdrdaoTocCk");
  CdrdaoTocCheck_->setAccessibleName(CdrdaoTocCheck_->text());
  CheckBeforeMakeCheck_ = new QCheckBox("Check the disc before making", this);
  CheckBeforeMakeCheck_->setObjectName("CheckBeforeMakeCk");
  CheckBeforeMakeCheck_->setAccessibleName(CheckBeforeMakeCheck_->text());

  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OkBtn");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("CancelBtn");
  cancel->setAutoDefault(false);

  // Every check box on a row of its own, the buttons below them all.
  auto* grid = new QGridLayout(this);
  grid->setVerticalSpacing(4);
  grid->addWidget(workDirLabel, 0, 0);
  grid->addWidget(WorkDirEdit_, 0, 1, 1, 3);
  grid->addWidget(browse, 0, 4);
  auto* frames = new QHBoxLayout;
  frames->addWidget(AddFramesCheck_);
  frames->addWidget(FramesSpin_);
  frames->addWidget(framesLabel);
  frames->addStretch();
  grid->addLayout(frames, 1, 0, 1, 5);
  grid->addWidget(MakeAlwaysCheck_, 2, 0, 1, 5);
  grid->addWidget(RelativeCheck_, 3, 0, 1, 5);
  grid->addWidget(CdrdaoTocCheck_, 4, 0, 1, 5);
  grid->addWidget(CheckBeforeMakeCheck_, 5, 0, 1, 5);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(ok);
  bottom->addWidget(cancel);
  grid->addLayout(bottom, 6, 0, 1, 5);
  grid->setColumnStretch(1, 1);

  // 450 × 155 at the least, as tall as the controls need, as wide as the user likes up to
  // 1600.
  const int height = std::max(155, grid->sizeHint().height());
  const int width = std::max(450, grid->sizeHint().width());
  setMinimumSize(width, height);
  setMaximumSize(std::max(1600, width), height);
  resize(width, height);

  setTabOrder(WorkDirEdit_, browse);
  setTabOrder(browse, AddFramesCheck_);
  setTabOrder(AddFramesCheck_, FramesSpin_);
  setTabOrder(FramesSpin_, MakeAlwaysCheck_);
  setTabOrder(MakeAlwaysCheck_, RelativeCheck_);
  setTabOrder(RelativeCheck_, CdrdaoTocCheck_);
  setTabOrder(CdrdaoTocCheck_, CheckBeforeMakeCheck_);
  setTabOrder(CheckBeforeMakeCheck_, ok);
  setTabOrder(ok, cancel);

  connect(browse, &QPushButton::clicked, this, &GeneralSettingsDialog::BrowseWorkDir);
  connect(ok, &QPushButton::clicked, this, &GeneralSettingsDialog::Accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int GeneralSettingsDialog::Edit(AppSettings& settings, const QFont& font) {
  Settings_ = &settings;
  Load(settings, font);
  const int result = exec();
  Settings_ = nullptr;
  return result;
}

void GeneralSettingsDialog::Load(const AppSettings& settings, const QFont& font) {
  WorkDirEdit_->setFont(font);
  const GeneralSettings v = LoadGeneralSettings(settings);
  WorkDirEdit_->setText(QString::fromStdString(v.WorkDir));
  AddFramesCheck_->setChecked(v.AddFrames);
  FramesSpin_->setValue(v.NumFrames);
  MakeAlwaysCheck_->setChecked(v.MakeAlways);
  RelativeCheck_->setChecked(v.Relative);
  CdrdaoTocCheck_->setChecked(v.CdrdaoToc);
  CheckBeforeMakeCheck_->setChecked(v.CheckBeforeMake);
}

void GeneralSettingsDialog::Accept() {
  // A number still being typed counts as the up-down's position.
  FramesSpin_->interpretText();
  if (Settings_) {
    GeneralSettings v;
    v.WorkDir = WorkDirEdit_->text().toStdString();
    v.AddFrames = AddFramesCheck_->isChecked();
    v.NumFrames = FramesSpin_->value();
    v.MakeAlways = MakeAlwaysCheck_->isChecked();
    v.Relative = RelativeCheck_->isChecked();
    v.CdrdaoToc = CdrdaoTocCheck_->isChecked();
    v.CheckBeforeMake = CheckBeforeMakeCheck_->isChecked();
    StoreGeneralSettings(*Settings_, v);
  }
  accept();
}

void GeneralSettingsDialog::BrowseWorkDir() {
  // The browser starts at the desktop.
  QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (start.isEmpty() || !QDir(start).exists()) start = QDir::homePath();
  if (std::optional<std::string> dir = varnel::BrowseWorkDir(Prompter_, start.toStdString())) {
    WorkDirEdit_->setText(QString::fromStdString(*dir));
  }
}

}  // namespace varnel
