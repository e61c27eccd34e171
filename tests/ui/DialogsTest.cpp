// The about box and the window's prompter.
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "support/RunProcess.h"
#include "support/UiTestSupport.h"
#include "ui/QtPrompter.h"
#include "ui/dialogs/AboutDialog.h"

namespace varnel {
namespace {

TEST(AboutDialog, CaptionsAndButtons) {
  AboutDialog box;
  EXPECT_EQ(box.windowTitle(), "Version information");
  EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(), "Varnel");
  EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), "Version 2.03");
  QPushButton* ok = box.findChild<QPushButton*>("OkBtn");
  EXPECT_EQ(ok->text(), "&OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(box.findChild<QPushButton*>("WebSiteBtn")->text(), "&WebSite");
  // How to burn: a dry run, then the recording, both on the TOC file.
  const QString burn = box.findChild<QLabel*>("BurnHint")->text();
  const qsizetype simulate = burn.indexOf("cdrdao simulate --device /dev/sr0 disc.toc");
  EXPECT_GE(simulate, 0);
  EXPECT_GT(burn.indexOf("cdrdao write --device /dev/sr0 disc.toc"), simulate);
  // The licence the package's copyright file and metadata name.
  EXPECT_TRUE(box.findChild<QLabel*>("LicenseLbl")->text().contains("GPL-3.0-or-later"));
}

TEST(AboutDialog, WebSiteOpensTheGuideBesideTheProgramInTheLocalesSection) {
  AboutDialog box;
  std::vector<QUrl> opened;
  box.OpenUrl = [&](const QUrl& url) {
    opened.push_back(url);
    return true;
  };
  QTest::mouseClick(box.findChild<QPushButton*>("WebSiteBtn"), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(opened[0].isLocalFile());
  EXPECT_EQ(opened[0].toLocalFile(), UserGuidePath(QCoreApplication::applicationDirPath()));
  EXPECT_EQ(opened[0].fragment(), box.IsJapanese() ? "ja" : "en");

  // Without a browser the user is told where the guide is.
  test::FakePrompter prompter;
  box.SetPrompter(&prompter);
  box.OpenUrl = [](const QUrl&) { return false; };
  QTest::mouseClick(box.findChild<QPushButton*>("WebSiteBtn"), Qt::LeftButton);
  EXPECT_EQ(prompter.Log, std::vector<std::string>{
                              "Warning: No web browser could be started to open the user guide. "
                              "It is at:\n" +
                              opened[0].toLocalFile().toStdString()});
}

// The guide is found from the program's own folder, where the install puts it and where
// the build puts a copy beside the program; no path of the source tree is needed.
TEST(AboutDialog, GuideIsInstalledWhereTheProgramLooksForIt) {
  const char* build = VARNEL_TEST_BUILD_DIR;
  EXPECT_TRUE(QFileInfo(UserGuidePath(QString(build) + "/app")).isFile())
      << UserGuidePath(QString(build) + "/app").toStdString();

  test::TempDir prefix;
  const test::ProcessResult installed =
      test::RunProcess({"cmake", "--install", build, "--prefix", prefix.Path()});
  ASSERT_EQ(installed.ExitCode, 0) << installed.Out << installed.Err;
  const QString bin = QString::fromStdString(prefix / "bin");
  ASSERT_TRUE(QFileInfo(bin + "/varnel").isExecutable());
  const QString guide = UserGuidePath(bin);
  EXPECT_TRUE(guide.startsWith(QString::fromStdString(prefix.Path()))) << guide.toStdString();
  EXPECT_TRUE(QFileInfo(guide).isFile()) << guide.toStdString();
  EXPECT_EQ(UserGuidePath("/usr/bin"), "/usr/share/doc/varnel/user-guide.html");
}

TEST(AboutDialog, GuideAddressPerLocale) {
  EXPECT_EQ(UserGuideUrl("/usr/share/doc/varnel/user-guide.html", true).toString(),
            "file:///usr/share/doc/varnel/user-guide.html#ja");
  EXPECT_EQ(UserGuideUrl("/usr/share/doc/varnel/user-guide.html", false).toString(),
            "file:///usr/share/doc/varnel/user-guide.html#en");
}

using test::WindowTest;

TEST_F(WindowTest, AboutCommandShowsTheBoxModally) {
  auto* box = new AboutDialog(Window.get());
  Window->SetAboutDialog(box);
  bool shown = false;
  test::OnNextModal([&](QWidget* w) {
    shown = w == box;
    QTest::mouseClick(box->findChild<QPushButton*>("OkBtn"), Qt::LeftButton);
  });
  Window->Action("HelpAbout")->trigger();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(box->isVisible());
}

TEST(QtFileFilter, SystemFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("Audio files (*.wav; *.mp3; *.cdg)|*.wav;*.mp3;*.cdg|Wave files "
                         "(*.wav)|*.wav|All files (*.*)|*.*"),
            "Audio files (*.wav *.mp3 *.cdg);;Wave files (*.wav);;All files (*)");
  EXPECT_EQ(QtFileFilter("Disc image files (.*.bin)|*bin|All files (*.*)|*.*"),
            "Disc image files (*bin);;All files (*)");
  EXPECT_EQ(QtFileFilter("Cue sheet files (*.cue;*txt)|*.cue;*txt|All files|*.*"),
            "Cue sheet files (*.cue *txt);;All files (*)");
  EXPECT_EQ(QtFileFilter(""), "");
  EXPECT_EQ(QtFileFilter("Dangling"), "");
  EXPECT_EQ(QtFileFilter("Empty|"), "Empty (*)");
}

// The text, icon and buttons of the box a prompter call shows, answered with `answer`.
struct Box {
  QString Title, Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

class PromptTest : public ::testing::Test {
 protected:
  // Runs `call` with the next box answered by `answer`; returns what the box showed.
  template <typename F>
  Box Run(QMessageBox::StandardButton answer, F call) {
    auto seen = std::make_shared<Box>();
    test::OnNextModal([seen, answer](QWidget* w) {
      auto* mb = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(mb, nullptr);
      seen->Title = mb->windowTitle();
      seen->Text = mb->text();
      seen->Icon = mb->icon();
      seen->Buttons = mb->standardButtons();
      mb->button(answer)->click();
    });
    call();
    return *seen;
  }
  QtPrompter Prompter;
};

TEST_F(PromptTest, MessagesCarryTheKindsIcon) {
  const std::pair<BoxKind, QMessageBox::Icon> kinds[] = {
      {BoxKind::Plain, QMessageBox::NoIcon},
      {BoxKind::Information, QMessageBox::Information},
      {BoxKind::Warning, QMessageBox::Warning},
      {BoxKind::Error, QMessageBox::Critical}};
  for (const auto& entry : kinds) {
    const BoxKind kind = entry.first;
    const QMessageBox::Icon icon = entry.second;
    Box b = Run(QMessageBox::Ok, [&] { Prompter.ShowMessage(kind, "Exporting Failure.\nx"); });
    EXPECT_EQ(b.Title, "Varnel");
    EXPECT_EQ(b.Text, "Exporting Failure.\nx");
    EXPECT_EQ(b.Icon, icon);
    EXPECT_EQ(b.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }
}

TEST_F(PromptTest, SaveChangesQuestionHasThreeAnswers) {
  const std::pair<QMessageBox::StandardButton, SaveAnswer> answers[] = {
      {QMessageBox::Save, SaveAnswer::Save},
      {QMessageBox::Discard, SaveAnswer::Discard},
      {QMessageBox::Cancel, SaveAnswer::Cancel}};
  for (const auto& [button, answer] : answers) {
    SaveAnswer got = SaveAnswer::Save;
    Box b = Run(button, [&] { got = Prompter.AskSaveChanges("Save changes to the disc layout?"); });
    EXPECT_EQ(got, answer);
    EXPECT_EQ(b.Title, "Varnel");
    EXPECT_EQ(b.Text, "Save changes to the disc layout?");
    EXPECT_EQ(b.Buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  }
  // Escape is Cancel.
  SaveAnswer got = SaveAnswer::Save;
  test::OnNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  got = Prompter.AskSaveChanges("Save changes to the disc layout?");
  EXPECT_EQ(got, SaveAnswer::Cancel);
}

// Catches the addresses the program hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> Opened;
 public slots:
  void Open(const QUrl& url) { Opened.push_back(url); }
};

// A result with a folder: the detail is in the box, and "Open Folder" hands the folder to
// the desktop.
TEST_F(PromptTest, ResultBoxShowsItsDetailAndOpensItsFolder) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("file", &catcher, "Open");
  test::TempDir dir;
  QString detail;
  test::OnNextModal([&](QWidget* w) {
    auto* mb = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(mb, nullptr);
    detail = mb->detailedText();
    auto* open = mb->findChild<QPushButton*>("OpenFolderBtn");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), "Open &Folder");
    open->click();
  });
  Prompter.Show({BoxKind::Plain, "Operation Successfully Completed.",
                 "Cue sheet: /x/Live.cue\nProduced files: " + dir.Path() + "/", dir.Path()});
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(detail.toStdString(), "Cue sheet: /x/Live.cue\nProduced files: " + dir.Path() + "/");
  ASSERT_EQ(catcher.Opened.size(), 1u);
  EXPECT_EQ(catcher.Opened[0], QUrl::fromLocalFile(QString::fromStdString(dir.Path())));
}

TEST_F(PromptTest, QuestionsReturnTheAnswer) {
  bool yes = false;
  Box b = Run(QMessageBox::Yes, [&] { yes = Prompter.AskYesNo("Do you want to continue?"); });
  EXPECT_TRUE(yes);
  EXPECT_EQ(b.Icon, QMessageBox::NoIcon);
  EXPECT_EQ(b.Buttons, QMessageBox::Yes | QMessageBox::No);
  Run(QMessageBox::No, [&] { yes = Prompter.AskYesNo("Do you want to continue?"); });
  EXPECT_FALSE(yes);

  bool ok = false;
  b = Run(QMessageBox::Ok,
          [&] { ok = Prompter.ConfirmOkCancel("\"x\" already exists. Do you overwrite?"); });
  EXPECT_TRUE(ok);
  EXPECT_EQ(b.Buttons, QMessageBox::Ok | QMessageBox::Cancel);
  Run(QMessageBox::Cancel, [&] { ok = Prompter.ConfirmOkCancel("?"); });
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace varnel

#include "DialogsTest.moc"
