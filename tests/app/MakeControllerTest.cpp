// The Make and Test commands: checks and questions before a run, the worker thread,
// cancellation, the result messages, and what the progress dialog shows.
#include "app/commands/MakeController.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/commands/IdentityCommands.h"
#include "app/commands/LayoutFile.h"
#include "app/commands/ProgressDisplay.h"
#include "support/FakePrompter.h"
#include "support/MakeFixtures.h"

namespace varnel {
namespace {

using test::FakePrompter;
using test::Sound;
using test::WaveTrack;

class MakeControllerTest : public ::testing::Test {
 protected:
  // The disc check before making has tests of its own (DiscCheckMakingTest): these runs
  // start without it.
  MakeControllerTest() : Ctx(Prompter), Controller(Ctx) {
    Ctx.Settings.WorkDir = Dir / "work";
    Ctx.Settings.CheckBeforeMake = false;
  }

  std::string Cue() const { return Dir / "Live.cue"; }
  void AddWave(const std::string& name, size_t frames) {
    Ctx.Layout.Append(WaveTrack(Dir / name, Sound(frames)));
  }

  test::TempDir Dir;
  FakePrompter Prompter;
  AppContext Ctx;
  MakeController Controller;
};

TEST_F(MakeControllerTest, FirstSilentPreGapMustBeTwoSeconds) {
  AddWave("a.wav", 588);
  Ctx.Layout.At(0).SetPreGapLength(149);  // 0:01:74
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log, (std::vector<std::string>{
                              "Warning: Pre-gap for the first audio track must be at least 2 "
                              "seconds."}));
  EXPECT_EQ(Ctx.MakeState.load(), RunState::Idle);

  Ctx.Layout.At(0).SetPreGapLength(150);
  Prompter.Log.clear();
  Prompter.SaveAnswers.push_back(std::nullopt);  // the save dialog is cancelled
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log, (std::vector<std::string>{"Save: " + std::string(kCueFileFilter)}));
  EXPECT_EQ(Prompter.Requests.back().DefaultExt, ".cue");
  EXPECT_EQ(Prompter.Requests.back().Filter,
            "Cue sheet files (*.cue;*txt)|*.cue;*txt|All files|*.*");
}

TEST_F(MakeControllerTest, FirstHiddenFilePreGapCountsTheWholeFile) {
  AddWave("a.wav", 588);
  Track& track = Ctx.Layout.At(0);
  track.SetPreGapStyle(PreGapFile);
  // 352799 bytes: 149 whole CD frames.
  track.SetPreGapFile(Dir / "h.wav", test::CanonicalInfo(352799));
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log.back(),
            "Warning: Pre-Gap for the first audio track must be at least 2 seconds.");
  // 352800 bytes pass, even with a chosen range shorter than 2 seconds.
  track.SetPreGapFile(Dir / "h.wav", test::CanonicalInfo(352800));
  track.SetPreGapEndPos(10);
  Prompter.SaveAnswers.push_back(std::nullopt);
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log.back(), "Save: " + std::string(kCueFileFilter));
}

TEST_F(MakeControllerTest, FirstSameFilePreGapMustBeTwoSeconds) {
  AddWave("a.wav", 132300 + 588);
  Track& track = Ctx.Layout.At(0);
  track.SetPreGapStyle(PreGapIndex);
  track.SetTrackPreGapPos(44100);
  track.SetTrackStartPos(132299);
  EXPECT_EQ(Controller.TestMake(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log.back(),
            "Warning: Pre-gap for the first audio track must be at least 2 seconds.");
  track.SetTrackStartPos(132300);
  Prompter.SaveAnswers.push_back(std::nullopt);
  EXPECT_EQ(Controller.TestMake(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log.back(), "Save: " + std::string(kCueFileFilter));
}

TEST_F(MakeControllerTest, EmptyLayoutSkipsTheCheckAndIsRefused) {
  // A sheet without a track is one no recorder takes.
  Prompter.SaveAnswers.push_back(Cue());
  EXPECT_EQ(Controller.Make(), MakeOutcome::Failed);
  EXPECT_FALSE(std::filesystem::exists(Cue()));
  EXPECT_EQ(Prompter.Log.back(),
            "Error: Exporting Failure.\nThe disc has no track: there is nothing to record.");
  EXPECT_EQ(Ctx.MakeState.load(), RunState::Idle);
  EXPECT_EQ(Controller.CuePath(), Cue());
}

// The success box keeps its text and tells, in its detail, where the sheet and the made
// files went; the folder it offers is the one holding them (the sheet's own after Test).
// An empty working folder puts the made files beside the sheet; a set one is used as such.
TEST_F(MakeControllerTest, SuccessBoxNamesTheSheetAndTheFolderOfTheMadeFiles) {
  AddWave("a.wav", 588 * 10);
  struct Case {
    bool Test;
    bool MakeAlways;
    bool FilesMade;
    const char* WorkDir;  // relative to Dir; nullptr: empty
    const char* Made;     // the folder of the made files, relative to Dir
  } const cases[] = {{false, true, true, "work", "work/Live/"},
                     {true, true, false, "work", "work/Live/"},
                     {false, false, false, "work", "work/Live/"},
                     {false, true, true, nullptr, "Live/"},
                     {true, true, false, nullptr, "Live/"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "test " << c.Test << " always " << c.MakeAlways
                                    << " workdir " << (c.WorkDir ? c.WorkDir : "(empty)"));
    std::filesystem::remove_all(Dir / "work");
    std::filesystem::remove_all(Dir / "Live");
    Ctx.Settings.WorkDir = c.WorkDir ? Dir / c.WorkDir : std::string();
    Ctx.Settings.MakeAlways = c.MakeAlways;
    Prompter.SaveAnswers.push_back(Cue());
    if (std::filesystem::exists(Cue())) Prompter.OkCancelAnswers.push_back(true);
    const MakeOutcome outcome = c.Test ? Controller.TestMake() : Controller.Make();
    ASSERT_EQ(outcome, MakeOutcome::Succeeded);
    const MessageBox& box = Prompter.Messages.back();
    EXPECT_EQ(box.Text, "Operation Successfully Completed.");
    EXPECT_NE(box.Detail.find("Cue sheet: " + Cue()), std::string::npos) << box.Detail;
    const std::string made = Dir / c.Made;
    EXPECT_EQ(box.Detail.find("Produced files: " + made) != std::string::npos, c.FilesMade)
        << box.Detail;
    EXPECT_EQ(box.Folder, c.FilesMade ? made : Dir.Path());
    EXPECT_TRUE(std::filesystem::is_directory(box.Folder));
    EXPECT_EQ(std::filesystem::exists(made + "Track01.wav"), c.FilesMade);
  }
}

// The files a re-make replaced are kept under temporary names until the result is out,
// then removed by a thread of the controller's.
TEST_F(MakeControllerTest, RemakeRemovesTheFilesItReplacedAfterTheResult) {
  AddWave("a.wav", 588 * 10);
  Ctx.Settings.MakeAlways = true;
  auto leftovers = [this] {
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir.Path())) {
      count += entry.path().filename().string().rfind(".varnel-make-", 0) == 0;
    }
    return count;
  };
  for (int run = 0; run < 2; ++run) {
    Prompter.SaveAnswers.push_back(Cue());
    if (std::filesystem::exists(Cue())) Prompter.OkCancelAnswers.push_back(true);
    ASSERT_EQ(Controller.Make(), MakeOutcome::Succeeded);
  }
  for (int i = 0; i < 500 && leftovers() > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(leftovers(), 0);
  EXPECT_TRUE(std::filesystem::exists(Dir / "work/Live/Track01.wav"));
}

// The TOC file, written as the setting says, is named in the detail; the text stays.
TEST_F(MakeControllerTest, SuccessBoxNamesTheTocFileWhenOneIsWritten) {
  AddWave("a.wav", 588 * 10);
  for (bool toc : {true, false}) {
    SCOPED_TRACE(toc);
    std::filesystem::remove(Dir / "Live.toc");
    Ctx.Settings.CdrdaoToc = toc;
    Prompter.SaveAnswers.push_back(Cue());
    if (std::filesystem::exists(Cue())) Prompter.OkCancelAnswers.push_back(true);
    ASSERT_EQ(Controller.Make(), MakeOutcome::Succeeded);
    const MessageBox& box = Prompter.Messages.back();
    EXPECT_EQ(box.Text, "Operation Successfully Completed.");
    EXPECT_EQ(box.Detail.find("TOC file for cdrdao: " + Dir / "Live.toc") != std::string::npos, toc)
        << box.Detail;
    EXPECT_EQ(std::filesystem::exists(Dir / "Live.toc"), toc);
    // The disc it made, named by the ID its identity gives.
    const std::string id = PlanIdentity(Ctx.Layout, Ctx.Settings, {}).Ids.MusicBrainz;
    EXPECT_NE(box.Detail.find("\nMusicBrainz disc ID: " + id), std::string::npos) << box.Detail;
  }
}

TEST_F(MakeControllerTest, ExistingCueFileNeedsOkAndMustBeWritable) {
  AddWave("a.wav", 588);
  test::WriteText(Cue(), "old");
  const std::string question = "OkCancel: \"" + Cue() + "\" already exists. Do you overwrite?";

  Prompter.SaveAnswers.push_back(Cue());
  Prompter.OkCancelAnswers.push_back(false);
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log.back(), question);
  EXPECT_EQ(test::ReadText(Cue()), "old");

  ASSERT_EQ(::chmod(Cue().c_str(), 0444), 0);
  Prompter.SaveAnswers.push_back(Cue());
  Prompter.OkCancelAnswers.push_back(true);
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Prompter.Log.back(), "Error: Cannot overwrite \"" + Cue() + "\".");
  EXPECT_EQ(test::ReadText(Cue()), "old");

  ASSERT_EQ(::chmod(Cue().c_str(), 0644), 0);
  Prompter.SaveAnswers.push_back(Cue());
  Prompter.OkCancelAnswers.push_back(true);
  EXPECT_EQ(Controller.Make(), MakeOutcome::Succeeded);
  EXPECT_NE(test::ReadText(Cue()), "old");
}

TEST_F(MakeControllerTest, TestRunWritesTheSheetButNoWaveFile) {
  AddWave("a.wav", 588);
  Ctx.Settings.MakeAlways = true;
  Prompter.SaveAnswers.push_back(Cue());
  EXPECT_EQ(Controller.TestMake(), MakeOutcome::Succeeded);
  EXPECT_TRUE(Controller.TestFlag());
  EXPECT_NE(test::ReadText(Cue()).find("work/Live/Track01.wav"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Dir / "work"));
  Prompter.SaveAnswers.push_back(Cue());
  Prompter.OkCancelAnswers.push_back(true);
  EXPECT_EQ(Controller.Make(), MakeOutcome::Succeeded);
  EXPECT_FALSE(Controller.TestFlag());
  EXPECT_TRUE(std::filesystem::exists(Dir / "work/Live/Track01.wav"));
}

TEST_F(MakeControllerTest, FailedRunShowsItsMessageAsAnError) {
  AddWave("a.wav", 588);
  std::filesystem::remove(Dir / "a.wav");
  Ctx.Settings.MakeAlways = true;
  Prompter.SaveAnswers.push_back(Cue());
  EXPECT_EQ(Controller.Make(), MakeOutcome::Failed);
  const std::string message =
      "Exporting Failure.\nCould not create \"" + Dir / "work/Live/Track01.wav" + "\" for track1";
  EXPECT_EQ(Prompter.Log.back(), "Error: " + message);
  EXPECT_EQ(Controller.MakeResultMessage(), message);
  // The reason travels beside the fixed text, as the box's detail.
  EXPECT_EQ(Prompter.Messages.back().Detail,
            "cannot open \"" + Dir / "a.wav" + "\": No such file or directory");
  EXPECT_EQ(Controller.MakeResultDetail(), Prompter.Messages.back().Detail);
  EXPECT_EQ(Ctx.MakeState.load(), RunState::Idle);
  EXPECT_FALSE(std::filesystem::exists(Cue()));
}

TEST_F(MakeControllerTest, LoadedLayoutFileIsNeverWrittenOver) {
  const std::string layout = Dir / "disc.txt";
  const std::string text = "[FileInfo]\r\nSoftName=Varnel\r\n";
  test::WriteText(layout, text);
  ASSERT_TRUE(LoadLayoutFile(Ctx, layout));
  AddWave("a.wav", 588);
  Prompter.SaveAnswers.push_back(layout);
  Prompter.OkCancelAnswers.push_back(true);
  EXPECT_EQ(Controller.Make(), MakeOutcome::Failed);
  EXPECT_EQ(Prompter.Log.back(), "Error: Exporting Failure.\nCould not create\"" + layout + "\".");
  EXPECT_EQ(test::ReadText(layout), text);
}

TEST_F(MakeControllerTest, ReceiverSeesEveryNotificationOnTheWorkerThread) {
  AddWave("a.wav", 588);
  AddWave("b.wav", 588);
  AddWave("c.wav", 588);
  ProgressDisplay display;
  test::ProgressLog log;
  log.Next = &display;
  std::vector<std::string> operations;
  std::thread::id worker;
  log.Hook = [&](const std::string&) {
    worker = std::this_thread::get_id();
    operations.push_back(display.Operation + " " + std::to_string(display.Position) + "/" +
                         std::to_string(display.Maximum));
  };
  ASSERT_TRUE(Controller.ReportProgressTo(&log));
  Prompter.SaveAnswers.push_back(Cue());
  EXPECT_EQ(Controller.Make(), MakeOutcome::Succeeded);
  EXPECT_NE(worker, std::this_thread::get_id());
  EXPECT_EQ(log.Notes, (std::vector<std::string>{"RunStarted 2", "TrackStarted 2", "TrackStarted 3",
                                                 "WritingSheet", "RunEnded Succeeded"}));
  EXPECT_EQ(operations,
            (std::vector<std::string>{"Editing and Copying a wave file for Track01... 0/3",
                                      "Editing and Copying a wave file for Track02... 1/3",
                                      "Editing and Copying a wave file for Track03... 2/3",
                                      "Exporting Cue sheet... 3/3", "Exporting Cue sheet... 3/3"}));
}

TEST_F(MakeControllerTest, CancelFromTheDialogStopsAfterTheTrackInProgress) {
  AddWave("a.wav", 588);
  AddWave("b.wav", 588);
  Ctx.Settings.MakeAlways = true;
  std::mutex mutex;
  std::condition_variable cv;
  bool cancelled = false;
  // The run waits in RunStarted until the dialog's Cancel has been pressed.
  test::ProgressLog log;
  log.Hook = [&](const std::string& note) {
    if (note.rfind("RunStarted ", 0) != 0) return;
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait(lock, [&] { return cancelled; });
  };
  ASSERT_TRUE(Controller.ReportProgressTo(&log));
  Prompter.SaveAnswers.push_back(Cue());
  const auto outcome = Controller.Make([&] {
    Controller.Cancel();
    {
      std::lock_guard<std::mutex> lock(mutex);
      cancelled = true;
    }
    cv.notify_all();
    while (!Controller.WaitForRunEnd(std::chrono::milliseconds(50))) {
    }
  });
  EXPECT_EQ(outcome, MakeOutcome::Cancelled);
  EXPECT_EQ(Prompter.Log.back(), "Plain: Operation was Canceled by User.");
  // A cancelled run makes nothing at all.
  EXPECT_FALSE(std::filesystem::exists(Dir / "work/Live/Track01.wav"));
  EXPECT_FALSE(std::filesystem::exists(Dir / "work/Live/Track02.wav"));
  EXPECT_FALSE(std::filesystem::exists(Cue()));
  EXPECT_EQ(Ctx.MakeState.load(), RunState::Idle);
}

TEST_F(MakeControllerTest, LateCancelDoesNotTurnAFinishedRunIntoACancelledOne) {
  AddWave("a.wav", 588);
  Prompter.SaveAnswers.push_back(Cue());
  auto outcome = Controller.Make([&] {
    while (!Controller.WaitForRunEnd(std::chrono::milliseconds(50))) {
    }
    Controller.Cancel();  // pressed after the run ended, before the dialog closed
  });
  EXPECT_EQ(outcome, MakeOutcome::Succeeded);
  EXPECT_EQ(Prompter.Log.back(), "Plain: Operation Successfully Completed.");

  // The same for a failed run.
  std::filesystem::remove(Dir / "a.wav");
  Ctx.Settings.MakeAlways = true;
  Prompter.SaveAnswers.push_back(Cue());
  Prompter.OkCancelAnswers.push_back(true);
  outcome = Controller.Make([&] {
    while (!Controller.WaitForRunEnd(std::chrono::milliseconds(50))) {
    }
    Controller.Cancel();
  });
  EXPECT_EQ(outcome, MakeOutcome::Failed);
  EXPECT_EQ(Prompter.Log.back().rfind("Error: Exporting Failure.", 0), 0u);
}

TEST_F(MakeControllerTest, CommandsWaitForTheResultToBeShown) {
  // No run: Cancel changes nothing.
  Controller.Cancel();
  EXPECT_EQ(Ctx.MakeState.load(), RunState::Idle);
  // While a result is pending, both commands and the receiver registration do nothing.
  Ctx.MakeState.store(RunState::Failed);
  EXPECT_EQ(Controller.Make(), MakeOutcome::NotStarted);
  EXPECT_EQ(Controller.TestMake(), MakeOutcome::NotStarted);
  test::ProgressLog log;
  EXPECT_FALSE(Controller.ReportProgressTo(&log));
  EXPECT_TRUE(Prompter.Log.empty());
  Ctx.MakeState.store(RunState::Idle);
  EXPECT_TRUE(Controller.ReportProgressTo(&log));
}

// Each call in turn, as a run with a data track and two audio tracks makes them, then the
// start of the next run.
TEST(ProgressDisplayTest, EachCallSetsTheTextAndTheBar) {
  const std::string track = "Editing and Copying a wave file for Track";
  struct Row {
    const char* Call;
    std::function<void(ProgressDisplay&)> Apply;
    std::string Operation;
    int32_t Position;
    int32_t Maximum;
  };
  const Row rows[] = {
      {"nothing yet", [](ProgressDisplay&) {}, "Current Operation", 0, 100},
      {"RunStarted 2", [](ProgressDisplay& d) { d.RunStarted(2); }, track + "01...", 0, 3},
      {"TrackStarted 2", [](ProgressDisplay& d) { d.TrackStarted(2); }, track + "02...", 1, 3},
      {"TrackStarted 3", [](ProgressDisplay& d) { d.TrackStarted(3); }, track + "03...", 2, 3},
      {"WritingSheet", [](ProgressDisplay& d) { d.WritingSheet(); }, "Exporting Cue sheet...", 3,
       3},
      {"RunEnded Succeeded", [](ProgressDisplay& d) { d.RunEnded(RunState::Succeeded); },
       "Exporting Cue sheet...", 3, 3},
      {"RunEnded Failed", [](ProgressDisplay& d) { d.RunEnded(RunState::Failed); },
       "Exporting Cue sheet...", 3, 3},
      // A new run starts the bar afresh.
      {"RunStarted -1", [](ProgressDisplay& d) { d.RunStarted(-1); }, track + "01...", 0, 0},
  };
  ProgressDisplay d;
  for (const Row& row : rows) {
    row.Apply(d);
    EXPECT_EQ(d.Operation, row.Operation) << row.Call;
    EXPECT_EQ(d.Position, row.Position) << row.Call;
    EXPECT_EQ(d.Maximum, row.Maximum) << row.Call;
  }
}

}  // namespace
}  // namespace varnel
