// "General Settings": the working folder (with a folder browser), the leading silence
// switch and its 0 to 150 frames, "Always make temporary wave files", relative file names
// and the TOC file for cdrdao; in a group of its own, the decoded copies: whether other
// formats are converted, the cache's folder and size, its limit and "Empty the cache". Each
// showing starts from the settings in memory; OK stores the values, Cancel or the close box
// stores nothing (emptying the cache is done at once).
#pragma once

#include <QDialog>
#include <set>
#include <string>

#include "app/editors/GeneralSettings.h"
#include "app/ports/Prompter.h"

class QCheckBox;
class QGroupBox;
class QLabel;
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
  // The cache the group shows and empties, and the copies the open layout uses, which
  // emptying keeps; set before each showing.
  void ShowDecodedCache(const std::string& folder, const std::set<std::string>& inUse);
  void EmptyCache();

 private:
  QGroupBox* BuildDecodedGroup();
  void ShowCacheSize();

  Prompter& Prompter_;
  AppSettings* Settings_ = nullptr;
  QLineEdit* WorkDirEdit_;
  QCheckBox* AddFramesCheck_;
  QSpinBox* FramesSpin_;
  QCheckBox* MakeAlwaysCheck_;
  QCheckBox* RelativeCheck_;
  QCheckBox* CdrdaoTocCheck_;
  QCheckBox* CheckBeforeMakeCheck_;
  // The group of decoded copies.
  QCheckBox* ConvertSourcesCheck_ = nullptr;
  QLabel* CacheFolderLbl_ = nullptr;
  QLabel* CacheSizeLbl_ = nullptr;
  QSpinBox* CacheLimitSpin_ = nullptr;
  std::string CacheFolder_;
  std::set<std::string> CacheInUse_;
};

}  // namespace varnel
