#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <filesystem>

#include "app/editors/EntryChecks.h"
#include "app/views/TrackColumns.h"
#include "support/UiTestSupport.h"

namespace varnel {
namespace {

using test::WindowTest;

TEST_F(WindowTest, TitleControlsAndCaptions) {
  EXPECT_EQ(Window->windowTitle(), "Varnel");
  EXPECT_EQ(Child<QGroupBox>("DataTrackGbx")->title(), " Data Track (for Mix-Mode disc) ");
  EXPECT_EQ(Child<QGroupBox>("AudioTracksGbx")->title(), " Audio Tracks ");
  EXPECT_EQ(Child<QPushButton>("BinBrowseBtn")->text(), "&Browse");
  EXPECT_EQ(Child<QPushButton>("CdtBrowseBtn")->text(), "Br&owse");
  EXPECT_EQ(Child<QPushButton>("WaveBrowseBtn")->text(), "&Add files\u2026");
  EXPECT_EQ(Child<QPushButton>("WaveClearbtn")->text(), "&Clear");
  EXPECT_EQ(Child<QCheckBox>("CdTextCk")->text(), "Enable CD-TEXT");
  ASSERT_NE(Child<QLineEdit>("BinPathEdit"), nullptr);
  ASSERT_NE(Child<QLineEdit>("CdtEdit"), nullptr);
  ASSERT_NE(Child<QHeaderView>("TracksHdr"), nullptr);
  ASSERT_NE(Child<QTreeView>("Tracks"), nullptr);

  QComboBox* type = Child<QComboBox>("BinTypeCmb");
  ASSERT_EQ(type->count(), 4);
  EXPECT_EQ(type->itemText(0), "MODE1/2048  - CDROM Mode1 Data (cooked)");
  EXPECT_EQ(type->itemText(1), "MODE1/2352  - CDROM Mode1 Data (raw)");
  EXPECT_EQ(type->itemText(2), "MODE2/2336  - CDROM-XA Mode2 Data");
  EXPECT_EQ(type->itemText(3), "MODE2/2352  - CDROM-XA Mode2 Data");
  EXPECT_EQ(type->currentIndex(), 0);
  EXPECT_FALSE(type->isEnabled());

  QHeaderView* header = List()->Header();
  ASSERT_EQ(header->count(), 9);
  const char* const texts[] = {
      "Track#",   "File name",    "Type", "Hidden track", "Length (Pregap)",
      "Emphasis", "Digital copy", "ISRC", "Path"};
  for (int c = 0; c < 9; ++c) {
    EXPECT_EQ(header->model()->headerData(c, Qt::Horizontal).toString(), texts[c]);
  }
  EXPECT_FALSE(header->sectionsMovable());

  // Assistive tools read every control by what a person sees: the label beside it, its
  // caption, or for buttons with the same caption what they act on.
  const struct {
    const char* Control;
    const char* Name;
  } names[] = {{"BinPathEdit", "Image:"},
               {"BinBrowseBtn", "Browse for data track image"},
               {"CdTextCk", "Enable CD-TEXT"},
               {"CdtEdit", "CD-TEXT file"},
               {"CdtBrowseBtn", "Browse for CD-Text file"},
               {"CatalogEdit", "Media Catalog Number:"},
               {"WaveBrowseBtn", "Add audio files"},
               {"WaveClearbtn", "Clear audio tracks"},
               {"Tracks", "Track list"},
               {"DataTrackGbx", "Data Track (for Mix-Mode disc)"},
               {"AudioTracksGbx", "Audio Tracks"}};
  for (const auto& n : names) {
    EXPECT_EQ(test::AccessibleName(Child<QWidget>(n.Control)), n.Name) << n.Control;
  }
  // A drop-down list reads as its choice, labelled by the label beside it.
  QAccessibleInterface* typeBox =
      QAccessible::queryAccessibleInterface(Child<QWidget>("BinTypeCmb"));
  ASSERT_NE(typeBox, nullptr);
  QStringList labels;
  for (const auto& [label, relation] : typeBox->relations(QAccessible::AllRelations)) {
    if (relation & QAccessible::Label) labels << label->text(QAccessible::Name);
  }
  EXPECT_TRUE(labels.contains("Type:")) << labels.join('|').toStdString();
}

// The status panels read as the texts they show, and a list row as its cells under the
// column headers.
TEST_F(WindowTest, StatusPanelsAndTrackRowsReadAsTheirTexts) {
  Window->DropPaths("Tracks", {Wave("song1.wav")});
  test::Settle();
  for (int i = 0; i < 3; ++i) {
    QLabel* panel = Child<QLabel>(QString("StatusPanel%1").arg(i).toLatin1().constData());
    EXPECT_EQ(test::AccessibleName(panel), panel->text()) << i;
  }
  EXPECT_EQ(test::AccessibleName(Child<QLabel>("StatusPanel0")), " Total: 01 tracks");
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List());
  ASSERT_NE(list, nullptr);
  QAccessibleTableInterface* table = list->tableInterface();
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->rowCount(), 1);
  ASSERT_EQ(table->columnCount(), 9);
  const std::array<std::string, 9> texts = List()->RowTexts(0);
  for (int c = 0; c < 9; ++c) {
    QAccessibleInterface* cell = table->cellAt(0, c);
    ASSERT_NE(cell, nullptr) << c;
    EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), texts[static_cast<size_t>(c)]) << c;
    QAccessibleTableCellInterface* ci = cell->tableCellInterface();
    ASSERT_NE(ci, nullptr);
    const QList<QAccessibleInterface*> headers = ci->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1) << c;
    EXPECT_EQ(headers.front()->text(QAccessible::Name), kTrackColumns[c].Title);
    // The header cells are handed over to the caller; the cache disposes of them.
    for (QAccessibleInterface* h : headers) {
      QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(h));
    }
  }
}

TEST_F(WindowTest, MenusListTheCommandTable) {
  auto entries = [this](const char* menu) {
    QStringList out;
    for (QAction* a : Child<QMenu>(menu)->actions()) {
      out << (a->isSeparator() ? QString("-") : a->objectName() + "=" + a->text());
    }
    return out;
  };
  EXPECT_EQ(
      entries("FileMenu"),
      QStringList({"FileBin=Select a .&bin file for mix-mode disc",
                   "FileAudio=Select .&wav/.mp3/.cdg files for audio tracks",
                   "FileCdt=Select a .cdt file for CD-TEXT information", "-",
                   "FileNew=&New deic layout", "FileLoad=&Load disc layout",
                   "FileRecent=Open &Recent", "FileImport=&Import a cue sheet or TOC…",
                   "FileSave=&Save disc layout", "FileSaveAs=Save disc layout &as…", "-",
                   "FileMake=&Make a Cue sheet for CDRWIN",
                   "FileTest=&Test (Don't make wave files)", "FileCheck=&Check disc…",
                   "FileIdentity=Disc identit&y…", "FileBurn=B&urn…", "-", "FileExit=E&xit"}));
  EXPECT_EQ(entries("EditMenu"),
            QStringList({"EditUndo=&Undo", "EditRedo=R&edo", "-", "EditProperty=Track &properties",
                         "EditRemove=&Remove a selected track",
                         "EditClearAudio=&Clear audio tracks", "-", "EditMoveUp=&Move track up",
                         "EditMoveDown=Move track d&own", "-", "EditCdText=CD-&Text…"}));
  EXPECT_EQ(entries("SettingsMenu"),
            QStringList({"SettingsGeneral=&General", "SettingsDefault=&Default properties",
                         "SettingsFont=&Font", "SettingsToolbarText=&Toolbar text beside icons"}));
  EXPECT_EQ(entries("HelpMenu"), QStringList({"HelpAbout=&About"}));

  QStringList titles;
  for (QAction* a : Window->menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&Settings", "&Help"}));
  const struct {
    const char* Action;
    const char* Keys;
  } shortcuts[] = {{"FileNew", "Ctrl+N"},        {"FileLoad", "Ctrl+O"},
                   {"FileSave", "Ctrl+S"},       {"FileSaveAs", "Ctrl+Shift+S"},
                   {"FileExit", "Ctrl+Q"},       {"FileCheck", "F5"},
                   {"FileMake", "Ctrl+M"},       {"EditUndo", "Ctrl+Z"},
                   {"EditRedo", "Ctrl+Shift+Z"}, {"EditRemove", "Ctrl+Del"}};
  for (const auto& s : shortcuts) {
    EXPECT_EQ(Window->Action(s.Action)->shortcut(), QKeySequence(s.Keys)) << s.Action;
  }
}

TEST_F(WindowTest, SizeAndStatusPanels) {
  EXPECT_EQ(Window->minimumSize(), QSize(500, 400));
  // No settings file: a size that shows every column, within the screen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(Window->width(), std::min(kDefaultWindowWidth, screen.width() - 40));
  EXPECT_EQ(Window->height(), std::min(kDefaultWindowHeight, screen.height() - 60));
  // At the stored place, or as near it as keeps the window on the screen.
  EXPECT_EQ(Window->pos(), QPoint(std::min(100, screen.right() + 1 - Window->width()),
                                  std::min(100, screen.bottom() + 1 - Window->height())));
  // Each panel holds its widest text, down to the smallest window.
  const char* const widest[] = {" Total: 99 tracks", " 9999MB", " 999:59:74", " Mix-Mode disc"};
  for (QSize size : {Window->size(), QSize(500, 400)}) {
    Window->resize(size);
    test::Settle();
    const int widths[] = {90, 50, 55, 50};
    for (int i = 0; i < 4; ++i) {
      QLabel* panel = Child<QLabel>(QString("StatusPanel%1").arg(i).toLatin1().constData());
      EXPECT_GE(panel->width(), widths[i]);
      EXPECT_GE(panel->contentsRect().width(),
                panel->fontMetrics().horizontalAdvance(QString::fromLatin1(widest[i])))
          << i << " at " << size.width();
      EXPECT_EQ(panel->parentWidget(), Child<QStatusBar>("StatusBar"));
      EXPECT_LE(panel->geometry().right(), Child<QStatusBar>("StatusBar")->width());
    }
  }
  EXPECT_EQ(Panel(0), " Total: 00 tracks");
  EXPECT_EQ(Panel(1), " 000MB");
  EXPECT_EQ(Panel(2), " 00:00:00");
  EXPECT_EQ(Panel(3), "");
  // Without stored widths every column shows its header and a typical text whole.
  QHeaderView* header = List()->Header();
  const QFontMetrics m(List()->font());
  const char* const samples[] = {"99",         "01 Morning Light.wav", "WAVE",
                                 "None",       "00:00:00 (00:00:00)",  "Enable",
                                 "Prohibited", "DEA120500017"};
  for (int c = 0; c < 8; ++c) {
    EXPECT_GE(header->sectionSize(c) - 8, m.horizontalAdvance(samples[c])) << c;
    EXPECT_GE(header->sectionSize(c),
              header->fontMetrics().horizontalAdvance(kTrackColumns[c].Title))
        << c;
  }
  // The last column takes the room that is left.
  EXPECT_GE(header->sectionViewportPosition(8) + header->sectionSize(8),
            List()->viewport()->width());
}

TEST_F(WindowTest, AddingRemovingAndClearingTracksUpdatesListAndStatusBar) {
  Window->DropPaths("Tracks", {Wave("a.wav", 588 * 75 * 3), Wave("b.wav"), Wave("c.wav")});
  EXPECT_EQ(List()->Model()->rowCount(), 3);
  EXPECT_EQ(Panel(0), " Total: 03 tracks");
  EXPECT_EQ(Panel(3), " Audio disc");
  // 3 + 1 + 1 seconds of audio and three 2-second pre-gaps: 11 seconds.
  EXPECT_EQ(Panel(2), " 00:11:00");
  EXPECT_EQ(List()->RowTexts(0)[4], "00:03:00 (00:02:00)");

  // Ctrl+Del with nothing selected does nothing.
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  List()->setFocus();
  List()->selectionModel()->clear();
  Ctx().SelectedTrack = -1;
  QTest::keyClick(List(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(List()->Model()->rowCount(), 3);

  // Select the first row by clicking it, then Ctrl+Del.
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowCentre(0));
  EXPECT_EQ(Ctx().SelectedTrack, 0);
  QTest::keyClick(List(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(Panel(0), " Total: 02 tracks");
  EXPECT_EQ(Panel(2), " 00:06:00");
  EXPECT_EQ(List()->RowTexts(0)[1], "b.wav");
  EXPECT_EQ(List()->RowTexts(0)[0], "1");

  Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  QTest::mouseClick(Child<QPushButton>("WaveClearbtn"), Qt::LeftButton);
  EXPECT_EQ(Prompter.Log.back(), "SaveChanges: Save changes to the disc layout?");
  EXPECT_EQ(List()->Model()->rowCount(), 0);
  EXPECT_EQ(Ctx().Layout.TotalBytes, 0);
  EXPECT_EQ(Panel(0), " Total: 00 tracks");
  EXPECT_EQ(Panel(3), "");
}

TEST_F(WindowTest, AudioBrowseButtonRunsTheAddCommand) {
  const std::string a = Wave("a.wav");
  const std::string b = Wave("b.wav");
  Prompter.OpenAnswers.push_back({a, b});
  QTest::mouseClick(Child<QPushButton>("WaveBrowseBtn"), Qt::LeftButton);
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(Panel(0), " Total: 02 tracks");
  EXPECT_EQ(Ctx().Settings.WaveFileDir, Dir.Path());
}

TEST_F(WindowTest, DataTrackPathGovernsCdTextAndImageType) {
  std::vector<uint8_t> image(2352 * 1000, 0);
  test::WriteBytes(Dir / "data.bin", image);
  QCheckBox* cdText = Child<QCheckBox>("CdTextCk");
  QComboBox* type = Child<QComboBox>("BinTypeCmb");
  QTest::mouseClick(cdText, Qt::LeftButton);
  EXPECT_TRUE(Ctx().Layout.CdTextEnabled);

  Child<QLineEdit>("BinPathEdit")->setText(QString::fromStdString(Dir / "data.bin"));
  EXPECT_EQ(Ctx().Layout.DataTrackFile, Dir / "data.bin");
  EXPECT_FALSE(cdText->isEnabled());
  EXPECT_FALSE(cdText->isChecked());
  EXPECT_FALSE(Ctx().Layout.CdTextEnabled);
  EXPECT_TRUE(type->isEnabled());
  EXPECT_EQ(Panel(0), " Total: 01 tracks");
  EXPECT_EQ(Panel(1), " 003MB");
  EXPECT_EQ(Panel(2), " 00:13:27");
  EXPECT_EQ(Panel(3), " Data disc");

  type->setCurrentIndex(2);
  EXPECT_EQ(Ctx().Layout.ImageType, 2);
  // A hand-edited index outside the box shows as no selection and is kept.
  Ctx().Layout.ImageType = 7;
  Window->UpdateFromContext();
  EXPECT_EQ(type->currentIndex(), -1);
  EXPECT_EQ(Ctx().Layout.ImageType, 7);

  Child<QLineEdit>("BinPathEdit")->clear();
  EXPECT_TRUE(cdText->isEnabled());
  EXPECT_FALSE(cdText->isChecked());
  EXPECT_FALSE(type->isEnabled());
  EXPECT_EQ(Panel(0), " Total: 00 tracks");
}

TEST_F(WindowTest, CatalogFieldHoldsThirteenPositions) {
  QLineEdit* catalog = Child<QLineEdit>("CatalogEdit");
  EXPECT_EQ(Ctx().Layout.MediaCatalog, std::string(13, ' '));
  catalog->setFocus();
  catalog->setCursorPosition(0);
  QTest::keyClicks(catalog, "12a3");
  EXPECT_EQ(catalog->displayText(), "123" + QString(10, ' '));
  // Half typed: not taken yet.
  EXPECT_EQ(Ctx().Layout.MediaCatalog, std::string(13, ' '));
  QTest::keyClicks(catalog, "45678901234567");
  EXPECT_EQ(Ctx().Layout.MediaCatalog, "1234567890123");
  EXPECT_TRUE(Prompter.Log.empty());
}

// Leaving the field, saving or making with a half-typed number: the warning, the field
// keeps the number being typed and the focus, and the layout keeps its number.
TEST_F(WindowTest, AHalfTypedCatalogIsRefusedWhereverItWouldGo) {
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  QLineEdit* catalog = Child<QLineEdit>("CatalogEdit");
  catalog->setFocus();
  catalog->setCursorPosition(0);
  QTest::keyClicks(catalog, "4006381333931");
  ASSERT_EQ(Ctx().Layout.MediaCatalog, "4006381333931");
  catalog->setCursorPosition(3);
  QTest::keyClick(catalog, Qt::Key_Delete);
  const std::string warning = "Warning: " + std::string(kCatalogEntryMessage);

  QTest::keyClick(catalog, Qt::Key_Tab);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Prompter.Log.empty(); }, 2000));
  EXPECT_EQ(Prompter.Log, std::vector<std::string>{warning});
  EXPECT_TRUE(QTest::qWaitFor([&] { return catalog->hasFocus(); }, 2000));
  EXPECT_EQ(catalog->displayText(), "400 381333931");
  EXPECT_EQ(Ctx().Layout.MediaCatalog, "4006381333931");

  for (const char* command : {"FileSave", "FileMake", "FileTest"}) {
    Prompter.Log.clear();
    Window->Action(command)->trigger();
    EXPECT_EQ(Prompter.Log, std::vector<std::string>{warning}) << command;  // nothing else ran
  }
  // Emptied, it is taken: the disc has no number.
  catalog->selectAll();
  QTest::keyClick(catalog, Qt::Key_Backspace);
  EXPECT_EQ(Ctx().Layout.MediaCatalog, std::string(13, ' '));
}

TEST_F(WindowTest, SaveNewAndLoadShowTheLayoutInTheControls) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  Child<QLineEdit>("CatalogEdit")->setText("4006381333931");
  Child<QLineEdit>("CdtEdit")->setText("/tmp/x.cdt");
  const std::string layout = Dir / "disc.txt";
  Prompter.SaveAnswers.push_back(layout);
  Window->Action("FileSave")->trigger();
  ASSERT_TRUE(std::filesystem::exists(layout));

  Window->Action("FileNew")->trigger();
  EXPECT_EQ(List()->Model()->rowCount(), 0);
  EXPECT_EQ(Child<QLineEdit>("CdtEdit")->text(), "");
  EXPECT_EQ(Child<QLineEdit>("CatalogEdit")->displayText(), QString(13, ' '));
  EXPECT_EQ(Panel(0), " Total: 00 tracks");

  Prompter.OpenAnswers.push_back({layout});
  Window->Action("FileLoad")->trigger();
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(List()->RowTexts(1)[1], "b.wav");
  EXPECT_EQ(Child<QLineEdit>("CatalogEdit")->displayText(), "4006381333931");
  EXPECT_EQ(Child<QLineEdit>("CdtEdit")->text(), "/tmp/x.cdt");
  EXPECT_EQ(Panel(0), " Total: 02 tracks");
}

TEST_F(WindowTest, ImportShowsTheRippedDiscInTheControls) {
  const std::string a = Wave("a.wav");
  test::WriteText(Dir / "rip.cue",
                  "CATALOG 4006381333931\nFILE a.wav WAVE\nTRACK 01 AUDIO\n"
                  "INDEX 01 00:00:00\n");
  Prompter.OpenAnswers.push_back({Dir / "rip.cue"});
  Window->Action("FileImport")->trigger();
  ASSERT_EQ(List()->Model()->rowCount(), 1) << Prompter.Log.size();
  EXPECT_EQ(List()->RowTexts(0)[1], "a.wav");
  EXPECT_EQ(Child<QLineEdit>("CatalogEdit")->displayText(), "4006381333931");
  EXPECT_EQ(Panel(0), " Total: 01 tracks");
  // Imported work belongs to no file yet: the next import asks about it first.
  Prompter.SaveChangesAnswers.push_back(SaveAnswer::Cancel);
  Window->Action("FileImport")->trigger();
  EXPECT_EQ(Prompter.Log.back(), "SaveChanges: Save changes to the disc layout?");
}

TEST_F(WindowTest, BusyCommandsDoNothingWhileARunHasNotReported) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  List()->setCurrentIndex(List()->Model()->index(0));
  int opened = 0;
  Window->ShowTrackPropertiesDialog = [&](Track&, std::string&) { ++opened; };
  Ctx().MakeState.store(RunState::Succeeded);
  for (const char* a : {"FileNew", "FileLoad", "FileImport", "FileMake", "FileTest", "FileCheck",
                        "EditProperty", "EditRemove", "EditClearAudio"}) {
    Window->Action(a)->trigger();
  }
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(opened, 0);
  EXPECT_TRUE(Prompter.Log.empty());
  Ctx().MakeState.store(RunState::Idle);
  Window->Action("EditProperty")->trigger();
  EXPECT_EQ(opened, 1);
}

TEST_F(WindowTest, TrackPropertiesHandsTheSelectedTrackAndTakesTheFolderBack) {
  Window->Action("EditProperty")->trigger();  // empty list: nothing
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  Ctx().Settings.WaveFileDir = "/before";
  std::string seenFile, seenDir;
  Window->ShowTrackPropertiesDialog = [&](Track& t, std::string& dir) {
    seenFile = t.TrackFileName;
    seenDir = dir;
    dir = "/after";
  };
  Window->Action("EditProperty")->trigger();  // nothing selected: nothing
  EXPECT_EQ(seenFile, "");
  List()->setCurrentIndex(List()->Model()->index(1));
  Window->Action("EditProperty")->trigger();
  EXPECT_EQ(seenFile, Dir / "b.wav");
  EXPECT_EQ(seenDir, "/before");
  EXPECT_EQ(Ctx().Settings.WaveFileDir, "/after");
}

TEST_F(WindowTest, AnErrorNoCommandCatchesIsShownAndTheProgramGoesOn) {
  Window->DropPaths("Tracks", {Wave("a.wav")});
  List()->setCurrentIndex(List()->Model()->index(0));
  Window->ShowTrackPropertiesDialog = [](Track&, std::string&) {
    throw std::runtime_error("disk on fire");
  };
  Window->Action("EditProperty")->trigger();
  ASSERT_EQ(Prompter.Log.size(), 1u);
  EXPECT_EQ(Prompter.Log[0], "Error: disk on fire");
  EXPECT_EQ(List()->Model()->rowCount(), 1);
}

// A settings file that exists but cannot be read is named in an error box, and closing the
// window leaves it as it was instead of writing the defaults over it.
TEST_F(WindowTest, ASettingsFileThatCannotBeReadIsNamedAndKept) {
  const std::string kinds[] = {"over 64 MiB", "FIFO"};
  for (const std::string& kind : kinds) {
    Window->close();
    Window.reset();
    std::filesystem::remove(SettingsPath());
    if (kind == "FIFO") {
      ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0600), 0);
    } else {
      test::WriteText(SettingsPath(), "[Path]\r\nWorkDir=/kept\r\n");
      std::filesystem::resize_file(SettingsPath(), (uint64_t{64} << 20) + 1);
    }
    Prompter.Log.clear();
    Open();
    ASSERT_FALSE(Prompter.Log.empty()) << kind;
    EXPECT_EQ(Prompter.Log[0], "Error: Cannot read the settings file \"" + SettingsPath() + "\".")
        << kind;
    Window->close();
    struct stat st {};
    ASSERT_EQ(::lstat(SettingsPath().c_str(), &st), 0) << kind;
    if (kind == "FIFO") {
      EXPECT_TRUE(S_ISFIFO(st.st_mode));
    } else {
      EXPECT_EQ(st.st_size, (int64_t{64} << 20) + 1);
    }
  }
  std::filesystem::remove(SettingsPath());
}

}  // namespace
}  // namespace varnel
