// "General Settings": the working folder (with a folder browser), the leading silence
// switch and its 0 to 150 frames, "Always make temporary wave files", relative file names
// and the TOC file for cdrdao. Each showing starts from the settings in memory; OK stores
// the six values, Cancel or the close box stores nothing.
#pragma once

#include <QDialog>

#include "app/editors/GeneralSettings.h"
#include "app/ports/Prompter.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace varnel {

class GeneralSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  GeneralSettingsDialog(Prompter& prompter, QWidget* parent = nullptr);

  // Shows the dialog modally over `settings`, the working folder field in `font`.
  // QDialog::Accepted when OK stored the values.
  int Edit(AppSettings& settings, const QFont& font);

  // Fills the controls from the settings.
  void Load(const AppSettings& settings, const QFont& font);
  void Accept();
  void BrowseWorkDir();

 private:
  Prompter& Prompter_;
  AppSettings* Settings_ = nullptr;
  QLineEdit* WorkDirEdit_;
  QCheckBox* AddFramesCheck_;
  QSpinBox* FramesSpin_;
  QCheckBox* MakeAlwaysCheck_;
  QCheckBox* RelativeCheck_;
  QCheckBox* CdrdaoTocCheck_;
  QCheckBox* CheckBeforeMakeCheck_;
};

}  // namespace varnel
