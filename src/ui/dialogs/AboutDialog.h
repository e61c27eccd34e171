// The about box "Version information": product name, version, two lines about the
// program, "&OK", and "&WebSite", which opens the user guide installed with the program
// in the user's browser (its Japanese opening for a Japanese user locale, its English
// section for every other).
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

#include "app/ports/Prompter.h"

namespace varnel {

// The user guide of a program in `programDir`: installed beside it, in the documentation
// folder that the install puts next to the program's own folder
// ("<prefix>/bin" → "<prefix>/share/doc/varnel"); the build puts a copy at the same place
// beside the program in the build folder. Nothing of the source tree is compiled in.
QString UserGuidePath(const QString& programDir);
// The guide of the running program.
QString UserGuidePath();

// The address "&WebSite" opens for a locale.
QUrl UserGuideUrl(const QString& guidePath, bool japanese);

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  bool IsJapanese() const { return Japanese_; }
  // Opens an address in the user's browser (QDesktopServices::openUrl unless replaced).
  std::function<bool(const QUrl&)> OpenUrl;

  // Opens the user guide; without a browser, tells through `prompter` (when set) where the
  // guide is.
  void OpenUserGuide();
  void SetPrompter(Prompter* prompter) { Prompter_ = prompter; }

 private:
  Prompter* Prompter_ = nullptr;
  bool Japanese_ = false;
};

}  // namespace varnel
