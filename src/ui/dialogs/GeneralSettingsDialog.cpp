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
  auto* workLbl = new QLabel("Working Folder:", this);
  WorkDirEdit_ = new QLineEdit(this);
  WorkDirEdit_->setObjectName("WorkDirEdit");
  workLbl->setBuddy(WorkDirEdit_);
  auto* browse = new QPushButton("&Browse", this);
  browse->setObjectName("BrowseBtn");
  browse->setAccessibleName("Browse for working folder");
  browse->setAutoDefault(false);

  AddFrameChk_ = new QCheckBox("Add leading silence:", this);
  AddFrameChk_->setObjectName("AddFrameChk");
  FramesUd_ = new QSpinBox(this);
  FramesUd_->setObjectName("FramesUd");
  FramesUd_->setRange(kMinLeadFrames, kMaxLeadFrames);
  FramesUd_->setWrapping(false);
  FramesUd_->setValue(0);
  // The unit after the field names it; the check box before it says what it is for.
  auto* framesLbl = new QLabel("Frames", this);
  framesLbl->setBuddy(FramesUd_);
  FramesUd_->setAccessibleName("Leading silence frames");
  // The edit part of the up-down is the frames field.
  if (QLineEdit* edit = FramesUd_->findChild<QLineEdit*>()) {
    edit->setObjectName("FramesEdit");
    edit->setAccessibleName("Leading silence frames");
  }

  AlwaysMakeCk_ = new QCheckBox("Always make temporary wave files", this);
  AlwaysMakeCk_->setObjectName("AlwaysMakeCk");
  RelNameCk_ = new QCheckBox("Specify image files in relative filename", this);
  RelNameCk_->setObjectName("RelNameCk");
  CdrdaoTocCk_ = new QCheckBox("Also write a TOC file for cdrdao", this);
  CdrdaoTocCk_->setObjectName("CdrdaoTocCk");
  CdrdaoTocCk_->setAccessibleName(CdrdaoTocCk_->text());
  CheckBeforeMakeCk_ = new QCheckBox("Check the disc before making", this);
  CheckBeforeMakeCk_->setObjectName("CheckBeforeMakeCk");
  CheckBeforeMakeCk_->setAccessibleName(CheckBeforeMakeCk_->text());

  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OkBtn");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("CancelBtn");
  cancel->setAutoDefault(false);

  // Every check box on a row of its own, the buttons below them all.
  auto* grid = new QGridLayout(this);
  grid->setVerticalSpacing(4);
  grid->addWidget(workLbl, 0, 0);
  grid->addWidget(WorkDirEdit_, 0, 1, 1, 3);
  grid->addWidget(browse, 0, 4);
  auto* frames = new QHBoxLayout;
  frames->addWidget(AddFrameChk_);
  frames->addWidget(FramesUd_);
  frames->addWidget(framesLbl);
  frames->addStretch();
  grid->addLayout(frames, 1, 0, 1, 5);
  grid->addWidget(AlwaysMakeCk_, 2, 0, 1, 5);
  grid->addWidget(RelNameCk_, 3, 0, 1, 5);
  grid->addWidget(CdrdaoTocCk_, 4, 0, 1, 5);
  grid->addWidget(CheckBeforeMakeCk_, 5, 0, 1, 5);
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
  setTabOrder(browse, AddFrameChk_);
  setTabOrder(AddFrameChk_, FramesUd_);
  setTabOrder(FramesUd_, AlwaysMakeCk_);
  setTabOrder(AlwaysMakeCk_, RelNameCk_);
  setTabOrder(RelNameCk_, CdrdaoTocCk_);
  setTabOrder(CdrdaoTocCk_, CheckBeforeMakeCk_);
  setTabOrder(CheckBeforeMakeCk_, ok);
  setTabOrder(ok, cancel);

  connect(browse, &QPushButton::clicked, this, &GeneralSettingsDialog::BrowseWorkDir);
  connect(ok, &QPushButton::clicked, this, &GeneralSettingsDialog::Accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int GeneralSettingsDialog::Execute(AppSettings& settings, const QFont& font) {
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
  AddFrameChk_->setChecked(v.AddFrames);
  FramesUd_->setValue(v.NumFrames);
  AlwaysMakeCk_->setChecked(v.MakeAlways);
  RelNameCk_->setChecked(v.Relative);
  CdrdaoTocCk_->setChecked(v.CdrdaoToc);
  CheckBeforeMakeCk_->setChecked(v.CheckBeforeMake);
}

void GeneralSettingsDialog::Accept() {
  // A number still being typed counts as the up-down's position.
  FramesUd_->interpretText();
  if (Settings_) {
    GeneralSettings v;
    v.WorkDir = WorkDirEdit_->text().toStdString();
    v.AddFrames = AddFrameChk_->isChecked();
    v.NumFrames = FramesUd_->value();
    v.MakeAlways = AlwaysMakeCk_->isChecked();
    v.Relative = RelNameCk_->isChecked();
    v.CdrdaoToc = CdrdaoTocCk_->isChecked();
    v.CheckBeforeMake = CheckBeforeMakeCk_->isChecked();
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
