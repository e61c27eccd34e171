// What the window adds to the commands: undo through the menu and its keys, the capacity
// bar, "Open Recent", the layout named on the command line, the toolbar, typing into masked
// fields wherever they were clicked, Enter on the list's current row, and the access keys
// of every window.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <set>

#include "app/commands/LayoutFile.h"
#include "persist/LayoutText.h"
#include "support/FakePreviewDevice.h"
#include "support/UiTestSupport.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/DecodeProgressDialog.h"
#include "ui/dialogs/DefaultTrackPropertiesDialog.h"
#include "ui/dialogs/DiscCheckDialog.h"
#include "ui/dialogs/GeneralSettingsDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"
#include "ui/dialogs/PositionEditorDialog.h"
#include "ui/dialogs/TrackPropertiesDialog.h"
#include "ui/widgets/CapacityBar.h"

namespace varnel {
namespace {

using test::WindowTest;

// A wave file of `frames` CD frames that takes no room on disk: its header, then a hole.
std::string SparseWave(const std::string& path, int64_t frames) {
  std::vector<uint8_t> bytes = test::WaveBytes({});
  const uint32_t data = static_cast<uint32_t>(frames * 2352);
  for (int i = 0; i < 4; ++i) {
    bytes[4 + i] = static_cast<uint8_t>((data + 36) >> (8 * i));
    bytes[40 + i] = static_cast<uint8_t>(data >> (8 * i));
  }
  test::WriteBytes(path, bytes);
  std::filesystem::resize_file(path, 44 + uint64_t{data});
  return path;
}

// The bar's colour and text on an 80-minute disc, on each side of 74 and 80 minutes (the
// disc's time counts the 2-second pre-gap before track 1).
TEST_F(WindowTest, CapacityBarColourAndTextAroundTheLimits) {
  const struct {
    int64_t DiscFrames;
    CapacityLevel Level;
    const char* Text;
  } cases[] = {
      {73 * 4500 + 59 * 75 + 74, CapacityLevel::Green, "73:59 of 80:00 \u2014 6:00 left"},
      {74 * 4500, CapacityLevel::Green, "74:00 of 80:00 \u2014 6:00 left"},
      {80 * 4500, CapacityLevel::Amber, "80:00 of 80:00 \u2014 0:00 left"},
      {80 * 4500 + 1, CapacityLevel::Red, "80:00 of 80:00 \u2014 0:01 too long"},
  };
  auto* bar = Child<CapacityBar>("CapacityBar");
  EXPECT_EQ(bar->MediaButton()->text(), "80 min");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
    Window->Action("FileNew")->trigger();
    Window->DropPaths("Tracks", {SparseWave(Dir / "long.wav", c.DiscFrames - 150)});
    EXPECT_EQ(bar->Bar()->format(), c.Text);
    EXPECT_EQ(bar->Bar()->accessibleDescription(), c.Text);
    EXPECT_EQ(bar->Bar()->palette().color(QPalette::Highlight), CapacityBar::LevelColour(c.Level));
  }
  // A larger medium chosen from the bar's menu: the disc fits again, and the choice is kept.
  bar->MediaButton()->menu()->findChild<QAction*>("Media90")->trigger();
  EXPECT_EQ(bar->Bar()->format(), "80:00 of 90:00 \u2014 9:59 left");
  EXPECT_EQ(Ctx().Settings.Media, 90);
  Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  Window->close();
  EXPECT_NE(test::ReadText(SettingsPath()).find("[Disc]\r\nMedia=90\r\n"), std::string::npos);
}

// Ctrl+Z and Ctrl+Shift+Z step through the changes, the menu naming them; undoing back to
// the saved layout clears the title's mark.
TEST_F(WindowTest, UndoAndRedoThroughTheMenuAndTheirKeys) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  Prompter.SaveAnswers = {Dir / "disc.txt"};
  Window->Action("FileSave")->trigger();
  const std::string saved = LayoutFileText(Ctx().Layout);
  EXPECT_EQ(Window->Action("EditUndo")->text(), "&Undo Drop Files");
  Ctx().SelectedTrack = 0;
  Window->Action("EditMoveDown")->trigger();
  EXPECT_EQ(Window->windowTitle(), "disc.txt* \u2014 Varnel");
  EXPECT_EQ(Window->Action("EditUndo")->text(), "&Undo Move Track");
  EXPECT_FALSE(Window->Action("EditRedo")->isEnabled());
  List()->setFocus();
  QTest::keyClick(Window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(LayoutFileText(Ctx().Layout), saved);
  EXPECT_EQ(Window->windowTitle(), "disc.txt \u2014 Varnel");
  EXPECT_EQ(Window->Action("EditRedo")->text(), "R&edo Move Track");
  QTest::keyClick(Window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(List()->RowTexts(0)[1], "b.wav");
  // Ctrl+S now writes the file it came from, asking nothing.
  QTest::keyClick(Window.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Window->windowTitle(), "disc.txt \u2014 Varnel");
  EXPECT_EQ(test::ReadText(Dir / "disc.txt"), LayoutFileText(Ctx().Layout));
}

// "Open Recent" lists what was saved and loaded, the latest first; a file that is gone is
// listed but cannot be chosen. The list outlives the window.
TEST_F(WindowTest, OpenRecentListsTheLastLayouts) {
  Window->DropPaths("Tracks", {Wave("a.wav")});
  for (const char* name : {"one.txt", "two.txt"}) {
    Prompter.SaveAnswers = {Dir / name};
    Window->Action("FileSaveAs")->trigger();
  }
  std::filesystem::remove(Dir / "one.txt");
  Window->close();
  Window.reset();
  Open();
  QMenu* recent = Child<QMenu>("FileRecentMenu");
  emit recent->aboutToShow();
  const QList<QAction*> entries = recent->actions();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0]->text(), "&1 two.txt");
  EXPECT_TRUE(entries[0]->isEnabled());
  EXPECT_EQ(entries[1]->text(), "&2 one.txt");
  EXPECT_FALSE(entries[1]->isEnabled());
  entries[0]->trigger();
  EXPECT_EQ(Window->windowTitle(), "two.txt \u2014 Varnel");
  EXPECT_EQ(Ctx().Layout.Count(), 1);
}

// "varnel disc.txt" opens with that layout; a relative name counts from the current folder.
TEST_F(WindowTest, TheLayoutNamedOnTheCommandLineIsLoaded) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  const std::string text = LayoutFileText(Ctx().Layout);
  test::WriteText(Dir / "disc.txt", text);
  Window.reset();
  Open();
  const std::string before = std::filesystem::current_path();
  std::filesystem::current_path(Dir.Path());
  Window->OpenFromCommandLine({"varnel", "disc.txt"});
  std::filesystem::current_path(before);
  EXPECT_EQ(Ctx().LayoutPath, Dir / "disc.txt");
  EXPECT_EQ(LayoutFileText(Ctx().Layout), text);
  EXPECT_EQ(Window->windowTitle(), "disc.txt \u2014 Varnel");
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  Window->OpenFromCommandLine({"varnel"});  // nothing named: nothing happens
  EXPECT_EQ(Ctx().LayoutPath, Dir / "disc.txt");
}

// The toolbar offers the main commands by name, with an icon each.
TEST_F(WindowTest, ToolbarCarriesTheMainCommands) {
  auto* bar = Child<QToolBar>("MainToolBar");
  QStringList texts;
  for (QAction* a : bar->actions()) {
    if (a->isSeparator()) continue;
    texts << a->iconText();
    EXPECT_FALSE(a->icon().isNull()) << a->iconText().toStdString();
  }
  EXPECT_EQ(texts, QStringList({"Add files", "Remove", "Move up", "Move down", "Properties",
                                "Check disc", "Make", "Burn"}));
  EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
  Window->Action("SettingsToolbarText")->trigger();
  EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);
  EXPECT_FALSE(Ctx().Settings.ToolbarText);
}

// A click anywhere in the empty catalog or ISRC field, then typing, fills it from its first
// place.
TEST_F(WindowTest, MaskedFieldsTakeTypingWhereverTheyWereClicked) {
  auto typeAfterClick = [](QLineEdit* edit, double at, const char* keys) {
    edit->clear();
    QTest::mouseClick(edit, Qt::LeftButton, {},
                      QPoint(static_cast<int>(edit->width() * at), edit->height() / 2));
    QTest::qWait(20);  // the caret is set after the click has been handled
    QTest::keyClicks(edit, keys);
    return edit->displayText();
  };
  auto* catalog = Child<QLineEdit>("CatalogEdit");
  Window->DropPaths("Tracks", {Wave("a.wav")});
  auto* dialog = new TrackPropertiesDialog(Ctx(), nullptr, Window.get());
  dialog->show();
  auto* isrc = dialog->findChild<QLineEdit*>("ISRCEdit");
  for (double at : {0.02, 0.3, 0.6, 0.95}) {
    SCOPED_TRACE(at);
    EXPECT_EQ(typeAfterClick(catalog, at, "4006381333931"), "4006381333931");
    EXPECT_EQ(typeAfterClick(isrc, at, "dea120500017"), "DEA120500017");
  }
  EXPECT_EQ(Ctx().Layout.MediaCatalog, "4006381333931");
  dialog->hide();
}

// A stored place off every screen puts the window wholly onto the screen.
TEST_F(WindowTest, AStoredPlaceOffTheScreenIsBroughtBack) {
  Window->close();
  Window.reset();
  test::WriteText(SettingsPath(), "[Form]\r\nTop=-300\r\nLeft=5000\r\nWidth=600\r\nHeight=450\r\n");
  Open();
  const QRect screen = Window->screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(QRect(Window->pos(), Window->size())))
      << Window->x() << "," << Window->y();
}

// Enter on the list's current row opens its properties even before anything was selected.
TEST_F(WindowTest, EnterActsOnTheCurrentRowBeforeASelection) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  List()->selectionModel()->clear();
  List()->selectionModel()->setCurrentIndex(List()->Model()->index(1),
                                            QItemSelectionModel::NoUpdate);
  ASSERT_EQ(Ctx().SelectedTrack, -1);
  std::string opened;
  Window->ShowTrackPropertiesDialog = [&](Track& t, std::string&) { opened = t.TrackFileName; };
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(opened, Dir / "b.wav");
}

// The access keys (Alt+letter) of one window, each menu counted as a window of its own.
std::map<QChar, QStringList> AccessKeys(const QList<QString>& texts) {
  std::map<QChar, QStringList> keys;
  for (const QString& text : texts) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != '&') continue;
      if (text[i + 1] != '&') keys[text[i + 1].toLower()] << text;
      ++i;
    }
  }
  return keys;
}

void ExpectUniqueAccessKeys(QWidget* window, const QString& title) {
  QList<QString> texts;
  for (auto* b : window->findChildren<QAbstractButton*>()) {
    if (b->window() == window) texts << b->text();
  }
  for (auto* l : window->findChildren<QLabel*>()) {
    if (l->window() == window && l->buddy()) texts << l->text();
  }
  for (auto* g : window->findChildren<QGroupBox*>()) {
    if (g->window() == window) texts << g->title();
  }
  if (auto* main = qobject_cast<QMainWindow*>(window)) {
    for (QAction* a : main->menuBar()->actions()) texts << a->text();
  }
  for (const auto& [key, owners] : AccessKeys(texts)) {
    EXPECT_EQ(owners.size(), 1) << title.toStdString() << ": Alt+" << QString(key).toStdString()
                                << " is " << owners.join(", ").toStdString();
  }
}

TEST_F(WindowTest, EveryWindowAndMenuHasUniqueAccessKeys) {
  ExpectUniqueAccessKeys(Window.get(), "main window");
  for (QMenu* menu : Window->findChildren<QMenu*>()) {
    QList<QString> texts;
    for (QAction* a : menu->actions()) texts << a->text();
    for (const auto& [key, owners] : AccessKeys(texts)) {
      EXPECT_EQ(owners.size(), 1) << menu->objectName().toStdString() << ": "
                                  << owners.join(", ").toStdString();
    }
  }
  test::FakePreviewDevice device;
  std::vector<std::unique_ptr<QWidget>> dialogs;
  dialogs.emplace_back(new TrackPropertiesDialog(Ctx(), nullptr));
  dialogs.emplace_back(new PositionEditorDialog(Prompter, nullptr, &device));
  dialogs.emplace_back(new GeneralSettingsDialog(Prompter));
  dialogs.emplace_back(new DefaultTrackPropertiesDialog());
  dialogs.emplace_back(new AboutDialog());
  dialogs.emplace_back(new DiscCheckDialog({}, true));
  dialogs.emplace_back(new MakeProgressDialog());
  dialogs.emplace_back(new DecodeProgressDialog(nullptr, "a.flac"));
  for (const auto& dlg : dialogs) ExpectUniqueAccessKeys(dlg.get(), dlg->objectName());
}

}  // namespace
}  // namespace varnel
