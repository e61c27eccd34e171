#include "ui/dialogs/AboutDialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/ListFont.h"

namespace varnel {

QString UserGuidePath(const QString& programDir) {
#ifdef VARNEL_GUIDE_RELDIR
  const QString relative = QStringLiteral(VARNEL_GUIDE_RELDIR);
#else
  const QString relative = QStringLiteral("../share/doc/varnel");
#endif
  return QDir::cleanPath(QDir(programDir).absoluteFilePath(relative + "/user-guide.html"));
}

QString UserGuidePath() {
  return UserGuidePath(QCoreApplication::applicationDirPath());
}

QUrl UserGuideUrl(const QString& guidePath, bool japanese) {
  QUrl url = QUrl::fromLocalFile(guidePath);
  url.setFragment(japanese ? "ja" : "en");
  return url;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("Version information");
  setFont(DialogFont());
  setModal(true);
  // A fixed dialog frame: no resizing, no help button.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

  // The primary language of the user's locale decides the guide's section.
  Japanese_ = QLocale::system().language() == QLocale::Japanese;
  OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

  auto label = [this](const char* name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
  };
  QLabel* product = label("ProductName", "Varnel");
  QFont big = font();
  big.setPixelSize(18);
  big.setBold(true);
  product->setFont(big);
  QLabel* version = label("Version", "Version 2.03");
  QLabel* line1 = label("Comments", "Lays out audio and mixed-mode CDs, hidden tracks included,");
  QLabel* line2 = label("Copyright", "and writes CDRWIN cue sheets with the wave files they need.");
  // Burning on Linux: the TOC file beside the cue sheet, a dry run first.
  QLabel* burn = label("BurnHint",
                       "To burn on Linux, try the TOC file written beside the cue sheet,\n"
                       "then write it:\n"
                       "    cdrdao simulate --device /dev/sr0 disc.toc\n"
                       "    cdrdao write --device /dev/sr0 disc.toc");
  burn->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QLabel* licence = label("LicenseLbl",
                          "Free software under the GNU General Public License, version 3 or\n"
                          "later (GPL-3.0-or-later). It comes with no warranty.");

  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OkBtn");
  ok->setDefault(true);
  auto* web = new QPushButton("&WebSite", this);
  web->setObjectName("WebSiteBtn");
  web->setAccessibleName("WebSite: the user guide");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(web, &QPushButton::clicked, this, &AboutDialog::OpenUserGuide);

  auto* texts = new QVBoxLayout;
  texts->addWidget(product);
  texts->addWidget(version);
  texts->addSpacing(8);
  texts->addWidget(line1);
  texts->addWidget(line2);
  texts->addSpacing(8);
  texts->addWidget(burn);
  texts->addSpacing(8);
  texts->addWidget(licence);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(web);
  buttons->addWidget(ok);
  auto* all = new QVBoxLayout(this);
  all->addLayout(texts);
  all->addSpacing(12);
  all->addLayout(buttons);
  all->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::OpenUserGuide() {
  const QUrl url = UserGuideUrl(UserGuidePath(), Japanese_);
  if (OpenUrl && !OpenUrl(url) && Prompter_ != nullptr) {
    const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
    Prompter_->ShowMessage(BoxKind::Warning,
                           std::string(kNoBrowserMessage) + "\n" + where.toStdString());
  }
}

}  // namespace varnel
