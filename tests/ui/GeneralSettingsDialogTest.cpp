// The general settings dialog, the Font command, and the settings file the window reads
// when created and writes when closed.
#include "ui/dialogs/GeneralSettingsDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "persist/IniFile.h"
#include "support/UiTestSupport.h"
#include "ui/widgets/ListFont.h"

namespace varnel {
namespace {

class GeneralSettingsDialogTest : public ::testing::Test {
 protected:
  template <typename T>
  static T* C(QWidget* dlg, const char* name) {
    T* w = dlg->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  test::FakePrompter Prompter;
  GeneralSettingsDialog Dlg{Prompter};
  AppSettings Settings;
};

TEST_F(GeneralSettingsDialogTest, CaptionsAndSize) {
  EXPECT_EQ(Dlg.windowTitle(), "General Settings");
  EXPECT_EQ(Dlg.minimumWidth(), 450);
  EXPECT_EQ(Dlg.maximumWidth(), 1600);
  // A fixed height: 155 at the least, as tall as its rows need (the TOC check box adds one).
  EXPECT_GE(Dlg.minimumHeight(), 155);
  EXPECT_EQ(Dlg.maximumHeight(), Dlg.minimumHeight());
  EXPECT_EQ(C<QPushButton>(&Dlg, "BrowseBtn")->text(), "&Browse");
  EXPECT_EQ(C<QCheckBox>(&Dlg, "AddFrameChk")->text(), "Add leading silence:");
  EXPECT_EQ(C<QCheckBox>(&Dlg, "AlwaysMakeCk")->text(), "Always make temporary wave files");
  EXPECT_EQ(C<QCheckBox>(&Dlg, "RelNameCk")->text(), "Specify image files in relative filename");
  QCheckBox* toc = C<QCheckBox>(&Dlg, "CdrdaoTocCk");
  EXPECT_EQ(toc->text(), "Also write a TOC file for cdrdao");
  EXPECT_EQ(toc->accessibleName(), toc->text());
  QCheckBox* check = C<QCheckBox>(&Dlg, "CheckBeforeMakeCk");
  EXPECT_EQ(check->text(), "Check the disc before making");
  EXPECT_EQ(check->accessibleName(), check->text());
  EXPECT_EQ(C<QPushButton>(&Dlg, "OkBtn")->text(), "&OK");
  EXPECT_EQ(C<QPushButton>(&Dlg, "CancelBtn")->text(), "&Cancel");
  QSpinBox* ud = C<QSpinBox>(&Dlg, "FramesUd");
  EXPECT_EQ(ud->minimum(), 0);
  EXPECT_EQ(ud->maximum(), 150);
  EXPECT_FALSE(ud->wrapping());
  EXPECT_EQ(C<QLineEdit>(&Dlg, "FramesEdit")->text(), "0");
}

TEST_F(GeneralSettingsDialogTest, OkStoresEveryControl) {
  Settings.WorkDir = "/old";
  test::OnNextModal([](QWidget* w) {
    EXPECT_EQ(C<QLineEdit>(w, "WorkDirEdit")->text(), "/old");
    EXPECT_TRUE(C<QCheckBox>(w, "AddFrameChk")->isChecked());
    EXPECT_EQ(C<QSpinBox>(w, "FramesUd")->value(), 5);
    EXPECT_TRUE(C<QCheckBox>(w, "CdrdaoTocCk")->isChecked());
    C<QCheckBox>(w, "CdrdaoTocCk")->setChecked(false);
    EXPECT_TRUE(C<QCheckBox>(w, "CheckBeforeMakeCk")->isChecked());
    C<QCheckBox>(w, "CheckBeforeMakeCk")->setChecked(false);
    C<QLineEdit>(w, "WorkDirEdit")->setText("/no/such/folder");
    C<QCheckBox>(w, "AlwaysMakeCk")->setChecked(true);
    C<QCheckBox>(w, "RelNameCk")->setChecked(true);
    QSpinBox* ud = C<QSpinBox>(w, "FramesUd");
    ud->setValue(149);
    ud->stepUp();
    ud->stepUp();  // stops at 150
    EXPECT_EQ(ud->value(), 150);
    QTest::mouseClick(C<QPushButton>(w, "OkBtn"), Qt::LeftButton);
  });
  EXPECT_EQ(Dlg.Edit(Settings, QFont()), QDialog::Accepted);
  EXPECT_EQ(Settings.WorkDir, "/no/such/folder");
  EXPECT_TRUE(Settings.AddFrames);
  EXPECT_EQ(Settings.NumFrames, 150);
  EXPECT_TRUE(Settings.MakeAlways);
  EXPECT_TRUE(Settings.Relative);
  EXPECT_FALSE(Settings.CdrdaoToc);
  EXPECT_FALSE(Settings.CheckBeforeMake);
}

TEST_F(GeneralSettingsDialogTest, CancelStoresNothingAndTheNextShowingStartsFromTheSettings) {
  const AppSettings before = Settings;
  test::OnNextModal([](QWidget* w) {
    C<QLineEdit>(w, "WorkDirEdit")->setText("/changed");
    C<QCheckBox>(w, "AddFrameChk")->setChecked(false);
    C<QCheckBox>(w, "CdrdaoTocCk")->setChecked(false);
    QSpinBox* ud = C<QSpinBox>(w, "FramesUd");
    ud->setValue(1);
    ud->stepDown();
    ud->stepDown();  // stops at 0
    EXPECT_EQ(ud->value(), 0);
    QTest::mouseClick(C<QPushButton>(w, "CancelBtn"), Qt::LeftButton);
  });
  EXPECT_EQ(Dlg.Edit(Settings, QFont()), QDialog::Rejected);
  EXPECT_EQ(Settings, before);
  test::OnNextModal([this](QWidget* w) {
    EXPECT_EQ(C<QLineEdit>(w, "WorkDirEdit")->text().toStdString(), Settings.WorkDir);
    EXPECT_TRUE(C<QCheckBox>(w, "AddFrameChk")->isChecked());
    EXPECT_EQ(C<QSpinBox>(w, "FramesUd")->value(), 5);
    EXPECT_TRUE(C<QCheckBox>(w, "CdrdaoTocCk")->isChecked());
    w->close();  // the close box counts as Cancel
  });
  EXPECT_EQ(Dlg.Edit(Settings, QFont()), QDialog::Rejected);
  EXPECT_EQ(Settings, before);
}

TEST_F(GeneralSettingsDialogTest, BrowsePutsTheChosenFolderInTheFieldOnly) {
  Settings.WorkDir = "/old";
  Prompter.FolderAnswers.push_back(std::string("/picked"));
  Prompter.FolderAnswers.push_back(std::nullopt);
  test::OnNextModal([this](QWidget* w) {
    QTest::mouseClick(C<QPushButton>(w, "BrowseBtn"), Qt::LeftButton);
    EXPECT_EQ(C<QLineEdit>(w, "WorkDirEdit")->text(), "/picked");
    EXPECT_EQ(Settings.WorkDir, "/old");
    QTest::mouseClick(C<QPushButton>(w, "BrowseBtn"), Qt::LeftButton);  // cancelled
    EXPECT_EQ(C<QLineEdit>(w, "WorkDirEdit")->text(), "/picked");
    QTest::mouseClick(C<QPushButton>(w, "OkBtn"), Qt::LeftButton);
  });
  Dlg.Edit(Settings, QFont());
  EXPECT_EQ(Settings.WorkDir, "/picked");
  ASSERT_EQ(Prompter.Requests.size(), 2u);
  EXPECT_EQ(Prompter.Requests[0].Title, "Select a working directory");
}

TEST_F(GeneralSettingsDialogTest, WorkDirFieldTakesTheListFont) {
  QFont font("DejaVu Sans Mono");
  font.setPointSize(13);
  Dlg.Load(Settings, font);
  EXPECT_EQ(C<QLineEdit>(&Dlg, "WorkDirEdit")->font().pointSize(), 13);
}

// The group of decoded copies: the folder and its size, the limit and the conversion switch
// stored by OK, and "Empty the cache" removing at once every copy but those in use.
TEST_F(GeneralSettingsDialogTest, DecodedCopiesGroupShowsTrimsAndStores) {
  test::TempDir dir;
  const std::string folder = dir / "decoded";
  std::filesystem::create_directories(folder);
  test::WriteBytes(folder + "/x.wav", std::vector<uint8_t>(1 << 20, 0));
  test::WriteText(folder + "/x.wav.src", "/music/x.flac\n");
  test::WriteBytes(folder + "/y.wav", std::vector<uint8_t>(1 << 20, 0));
  Dlg.ShowDecodedCache(folder, {folder + "/y.wav"});
  test::OnNextModal([&](QWidget* w) {
    EXPECT_EQ(C<QLabel>(w, "CacheFolderLbl")->text().toStdString(), folder);
    EXPECT_EQ(C<QLabel>(w, "CacheSizeLbl")->text(), "2.0 MiB in 2 decoded copies");
    QSpinBox* limit = C<QSpinBox>(w, "CacheLimitUd");
    EXPECT_EQ(limit->text(), "4096 MiB");
    limit->setValue(0);
    EXPECT_EQ(limit->text(), "No limit");
    QCheckBox* convert = C<QCheckBox>(w, "ConvertSourcesCk");
    EXPECT_TRUE(convert->isChecked());
    convert->setChecked(false);
    QPushButton* empty = C<QPushButton>(w, "EmptyCacheBtn");
    EXPECT_EQ(empty->text(), "&Empty the cache");
    QTest::mouseClick(empty, Qt::LeftButton);
    EXPECT_EQ(C<QLabel>(w, "CacheSizeLbl")->text(), "1.0 MiB in 1 decoded copy");
    QTest::mouseClick(C<QPushButton>(w, "OkBtn"), Qt::LeftButton);
  });
  EXPECT_EQ(Dlg.Edit(Settings, QFont()), QDialog::Accepted);
  EXPECT_FALSE(Settings.ConvertSources);
  EXPECT_EQ(Settings.DecodedLimitMiB, 0);
  EXPECT_FALSE(std::filesystem::exists(folder + "/x.wav"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/x.wav.src"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/y.wav"));
}

using test::WindowTest;

TEST_F(WindowTest, GeneralCommandShowsTheDialogOverTheSettings) {
  auto* dlg = new GeneralSettingsDialog(Prompter, Window.get());
  Window->SetGeneralSettingsDialog(dlg);
  test::OnNextModal([](QWidget* w) {
    w->findChild<QCheckBox*>("AlwaysMakeCk")->setChecked(true);
    QTest::mouseClick(w->findChild<QPushButton*>("OkBtn"), Qt::LeftButton);
  });
  Window->Action("SettingsGeneral")->trigger();
  EXPECT_TRUE(Ctx().Settings.MakeAlways);
}

TEST_F(WindowTest, FirstShowingAppliesTheDefaultListFont) {
  EXPECT_EQ(List()->font().family(), QFont("Arial").family());
  EXPECT_EQ(List()->font().pointSize(), 9);
  EXPECT_EQ(List()->RowHeight(), ListRowHeight(List()->font()));
  EXPECT_EQ(Child<QLineEdit>("BinPathEdit")->font(), List()->font());
  EXPECT_EQ(Child<QLineEdit>("CdtEdit")->font(), List()->font());
}

TEST_F(WindowTest, FontCommandChangesListAndPathFieldsOrNothing) {
  const QFont before = List()->font();
  const int heightBefore = List()->RowHeight();
  Window->ChooseFont = [](const QFont&) { return std::nullopt; };
  Window->Action("SettingsFont")->trigger();
  EXPECT_EQ(List()->font(), before);
  EXPECT_EQ(List()->RowHeight(), heightBefore);
  EXPECT_EQ(Child<QLineEdit>("CdtEdit")->font(), before);

  QFont chosen("DejaVu Sans");
  chosen.setPointSize(16);
  QFont seen;
  Window->ChooseFont = [&](const QFont& initial) -> std::optional<QFont> {
    seen = initial;
    return chosen;
  };
  Window->Action("SettingsFont")->trigger();
  EXPECT_EQ(seen, before);
  EXPECT_EQ(List()->font().pointSize(), 16);
  EXPECT_EQ(List()->RowHeight(), ListRowHeight(chosen));
  EXPECT_GT(List()->RowHeight(), heightBefore);
  EXPECT_EQ(Child<QLineEdit>("BinPathEdit")->font(), List()->font());
  EXPECT_EQ(Child<QLineEdit>("CdtEdit")->font(), List()->font());

  // Sizes beyond 16 points are not offered.
  chosen.setPointSize(40);
  Window->Action("SettingsFont")->trigger();
  EXPECT_EQ(List()->font().pointSize(), 16);
}

TEST_F(WindowTest, ClosingWritesGeometryColumnWidthsAndFont) {
  Window->move(120, 130);
  Window->resize(640, 480);
  List()->Header()->resizeSection(3, 77);
  QFont chosen("DejaVu Sans");
  chosen.setPointSize(12);
  chosen.setBold(true);
  chosen.setUnderline(true);
  Window->ChooseFont = [&](const QFont&) -> std::optional<QFont> { return chosen; };
  Window->Action("SettingsFont")->trigger();
  Ctx().Settings.NumFrames = 42;
  const int firstColumn = List()->Header()->sectionSize(0);
  ASSERT_FALSE(std::filesystem::exists(SettingsPath()));
  EXPECT_TRUE(Window->close());
  ASSERT_TRUE(std::filesystem::exists(SettingsPath()));

  const AppSettings s = ReadSettingsFile(SettingsPath(), "/def");
  EXPECT_EQ(s.Left, 120);
  EXPECT_EQ(s.Top, 130);
  EXPECT_EQ(s.Width, 640);
  EXPECT_EQ(s.Height, 480);
  EXPECT_EQ(s.ColumnWidth[3], 77);
  EXPECT_EQ(s.ColumnWidth[0], firstColumn);
  EXPECT_EQ(s.NumFrames, 42);
  FontSettings font;
  LoadFontSettings(IniFile(SettingsPath()), font);
  EXPECT_EQ(font.Name, "DejaVu Sans");
  EXPECT_EQ(font.Size, 12);
  EXPECT_EQ(font.Height, -FontPixelHeight(chosen));
  EXPECT_TRUE(font.IsBold);
  EXPECT_TRUE(font.IsUnderline);
  EXPECT_FALSE(font.IsItalic);
  EXPECT_EQ(font.Color, -2147483640);
  const std::string text = test::ReadText(SettingsPath());
  EXPECT_LT(text.find("[Form]"), text.find("[ColumnWidth]"));
  EXPECT_LT(text.find("[Font]"), text.find("[Font\\Style]"));

  // The next window starts where this one ended.
  Window.reset();
  Open();
  EXPECT_EQ(Window->pos(), QPoint(120, 130));
  EXPECT_EQ(Window->size(), QSize(640, 480));
  EXPECT_EQ(List()->Header()->sectionSize(3), 77);
  EXPECT_EQ(List()->font().family(), "DejaVu Sans");
  EXPECT_TRUE(List()->font().bold());
  EXPECT_EQ(Ctx().Settings.NumFrames, 42);
}

TEST_F(WindowTest, ExitWithoutChangesClosesWithoutAQuestion) {
  Window->Action("FileExit")->trigger();
  EXPECT_FALSE(Window->isVisible());
  EXPECT_TRUE(Prompter.Log.empty());
  EXPECT_TRUE(std::filesystem::exists(SettingsPath()));
}

// Exit with unsaved changes: Cancel keeps the window (and writes no settings), Save writes
// the layout first, Discard closes.
TEST_F(WindowTest, ExitWithUnsavedChangesAsksFirst) {
  const std::string layout = Dir / "disc.txt";
  struct Case {
    SaveAnswer Answer;
    bool Closed;
    bool LayoutWritten;
  } const cases[] = {{SaveAnswer::Cancel, false, false},
                     {SaveAnswer::Save, true, true},
                     {SaveAnswer::Discard, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Answer));
    std::filesystem::remove(layout);
    std::filesystem::remove(SettingsPath());
    Window.reset();
    Open();
    Window->DropPaths("Tracks", {Wave("a.wav")});
    Prompter.Log.clear();
    Prompter.SaveChangesAnswers = {c.Answer};
    Prompter.SaveAnswers = {layout};
    Window->Action("FileExit")->trigger();
    EXPECT_EQ(Prompter.Log.front(), "SaveChanges: Save changes to the disc layout?");
    EXPECT_EQ(!Window->isVisible(), c.Closed);
    EXPECT_EQ(std::filesystem::exists(SettingsPath()), c.Closed);
    EXPECT_EQ(std::filesystem::exists(layout), c.LayoutWritten);
  }
}

TEST_F(WindowTest, ASettingsFileFromElsewhereCannotHideTheWindow) {
  Window.reset();
  test::WriteText(SettingsPath(),
                  "[Form]\r\nTop=-2147483648\r\nLeft=2147483647\r\nWidth=-5\r\nHeight=99999999\r\n"
                  "[ColumnWidth]\r\nTrackNo=-40\r\nPath=2147483647\r\n"
                  "[Font]\r\nSize=0\r\nHeight=-2147483648\r\nName=\r\n");
  Open();
  EXPECT_GE(Window->width(), 500);
  EXPECT_GE(Window->height(), 400);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.intersects(Window->frameGeometry()));
  EXPECT_GE(List()->Header()->sectionSize(0), 0);
  EXPECT_GT(List()->RowHeight(), 0);
}

}  // namespace
}  // namespace varnel
