// The about box "Version information": product name, version, two lines about the
// program, "&OK", and "&WebSite", which opens the user guide installed with the program
// in the user's browser (its Japanese opening for a Japanese user locale, its English
// section for every other).
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

namespace varnel {

// The installed user guide: beside the executable's "../share/doc/varnel", else the
// install prefix's, else the source tree's (a program run from its build folder).
QString UserGuidePath();

// The address "&WebSite" opens for a locale.
QUrl UserGuideUrl(const QString& guidePath, bool japanese);

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  bool IsJapanese() const { return Japanese_; }
  // Opens an address in the user's browser (QDesktopServices::openUrl unless replaced).
  std::function<bool(const QUrl&)> OpenUrl;

  void WebSiteBtnClick();

 private:
  bool Japanese_ = false;
};

}  // namespace varnel
