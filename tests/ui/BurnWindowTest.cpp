// File ▸ Burn… from the window against the cdrdao stand-in: the dialog shows the drive and
// the disc, Burn makes the disc and writes it behind the progress dialog, whose bar moves
// while the window keeps answering; Cancel ends cdrdao; a used CD-RW is blanked when the
// user says so; the result is told, the choices are kept, and no cdrdao is left behind.
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <filesystem>

#include "support/FakeCdrdaoRun.h"
#include "support/UiTestSupport.h"
#include "ui/dialogs/BurnDialog.h"
#include "ui/dialogs/BurnProgressDialog.h"

namespace varnel {
namespace {

#define VERSION_124 "[version]\nerr Cdrdao version 1.2.4 - (C) Andreas Mueller\n"
constexpr const char* kEmptyCdR = VERSION_124
    "[disk-info]\nout CD-RW                : no\n"
    "out Total Capacity       : 79:57:74 (359849 blocks, 702/807 MB)\nout CD-R empty : yes\n";
constexpr const char* kUsedCdRw = VERSION_124
    "[disk-info]\nout CD-RW                : yes\n"
    "out Total Capacity       : 74:00:00 (333000 blocks, 650/747 MB)\nout CD-R empty : no\n"
    "[blank]\nprogress 6 0 0 0 500 0 0\nsleep 50\n";
// Slow enough for the window to show each step.
constexpr const char* kWrite =
    "[write]\nprogress 1 1 1 0 0 100 0\nsleep 100\nprogress 3 1 1 0 0 100 80\nsleep 100\n"
    "progress 4 1 1 500 400 98 97\nsleep 300\n";

class BurnWindowTest : public test::WindowTest {};

TEST_F(BurnWindowTest, BurnShowsProgressCancelsAndTellsTheResult) {
  struct Row {
    const char* Name;
    std::string Script;
    bool CancelWhenMoving;
    std::deque<bool> YesNo;  // the answer to "blank the CD-RW?"
    std::string DiscLine;    // the start of the disc's status line
    int Permille;            // the most the disc's bar showed
    std::string Result;      // the start of the last box
    bool Made = true;        // the disc was made and written
  } rows[] = {
      {"burns",
       std::string(kEmptyCdR) + kWrite + "progress 5 1 170 0 1000 0 0\nsleep 100\n",
       false,
       {},
       "Empty CD-R, ",
       1000,
       "Information: The disc was burned."},
      {"cancel mid-track",
       std::string(kEmptyCdR) + kWrite + "hang\n",
       true,
       {},
       "Empty CD-R, ",
       400,
       "Warning: Burning was cancelled while the disc was being written"},
      {"used CD-RW blanked on Yes",
       std::string(kUsedCdRw) + kWrite,
       false,
       {true},
       "CD-RW with data on it, ",
       500,
       "Information: The disc was burned."},
      {"no disc: nothing made",
       VERSION_124 "[disk-info]\nerr ERROR: Unit not ready, giving up.\nexit 1\n",
       false,
       {},
       "There is no disc",
       0,
       "Error: There is no disc",
       false},
  };
  Window->DropPaths("Tracks", {Wave("a.wav", 588 * 75 * 5)});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string cue = Dir / (std::string(row.Name) + ".cue");
    test::FakeCdrdaoRun cdrdao(row.Script, Dir / "none.toc");
    Window->ListDrives = [] {
      return std::vector<OpticalDrive>{{"/dev/sr0", "TSST", "SH-224DB", "SB01", true, true, true}};
    };
    Window->ShowBurnDialog = [&](QDialog& d) {
      auto& dlg = static_cast<BurnDialog&>(d);
      QSignalSpy shown(&dlg, &BurnDialog::StatusShown);
      EXPECT_TRUE(shown.wait(10000));
      EXPECT_TRUE(dlg.findChild<QLabel*>("DiscStatusLbl")->text().startsWith(row.DiscLine.c_str()));
      dlg.show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
      test::ExpectReadableNames(&dlg);
      dlg.findChild<QCheckBox*>("EjectCk")->setChecked(true);
      dlg.findChild<QPushButton*>("BurnBtn")->click();
    };
    Prompter.SaveAnswers.push_back(cue);
    Prompter.YesNoAnswers = row.YesNo;
    // While a progress dialog is up: its bar, and whether the window's clock kept ticking.
    int ticks = 0, mostPermille = 0;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* dlg = qobject_cast<BurnProgressDialog*>(QApplication::activeModalWidget());
      if (!dlg) return;
      if (ticks++ == 0) test::ExpectReadableNames(dlg);
      mostPermille = std::max(mostPermille, dlg->findChild<QProgressBar*>("DiscBar")->value());
      if (row.CancelWhenMoving && mostPermille > 0)
        dlg->findChild<QPushButton*>("CancelBtn")->click();
    });
    watch.start();
    Window->Action("FileBurn")->trigger();
    watch.stop();

    EXPECT_EQ(mostPermille, row.Permille);
    EXPECT_TRUE(!row.Made || ticks > 20) << ticks;
    EXPECT_EQ(std::filesystem::exists(cue), row.Made);
    ASSERT_FALSE(Prompter.Log.empty());
    EXPECT_EQ(Prompter.Log.back().rfind(row.Result, 0), 0u) << Prompter.Log.back();
    EXPECT_TRUE(Prompter.YesNoAnswers.empty());
    const std::vector<test::FakeCdrdaoCall> calls = cdrdao.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().Argv.find("--eject") != std::string::npos, row.Made);
    for (const test::FakeCdrdaoCall& call : calls) EXPECT_FALSE(cdrdao.Alive(call.Pid));
    EXPECT_EQ(Ctx().Settings.BurnDevice, "/dev/sr0");
    EXPECT_TRUE(Ctx().Settings.BurnEject);
    EXPECT_FALSE(Window->Making());
  }
}

}  // namespace
}  // namespace varnel
