// The disc check against what is made: it runs when Make or Test starts (as the setting
// says, asking before a disc with an error), and it speaks of the disc the made TOC file
// describes, as cdrdao reads that file: a track too short exactly when cdrdao toc-info warns
// about it, and the disc's playing time as cdrdao toc-size counts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "app/check/DiscCheck.h"
#include "app/check/DiscTime.h"
#include "app/commands/MakeController.h"
#include "make/TocFileWriter.h"
#include "support/AudioTools.h"
#include "support/FakePrompter.h"
#include "support/MakeFixtures.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::FakePrompter;
using test::Sound;
using test::WaveTrack;

class CheckBeforeMakeTest : public ::testing::Test {
 protected:
  CheckBeforeMakeTest() { Ctx.Settings.WorkDir = Dir / "work"; }
  void AddWave(const std::string& name, size_t frames) {
    Ctx.Layout.Append(WaveTrack(Dir / name, Sound(frames)));
  }
  std::string Cue() const { return Dir / "disc.cue"; }
  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

  test::TempDir Dir;
  FakePrompter Prompter;
  AppContext Ctx{Prompter};
  MakeController Controller{Ctx};
};

TEST_F(CheckBeforeMakeTest, AnErrorAsksAndCancelStopsBeforeAnything) {
  AddWave("a.wav", 44100 * 5);
  AddWave("b.wav", 44100 * 3);
  struct Row {
    bool Test;
    bool MakeAnyway;
    MakeOutcome Outcome;
  };
  for (const Row& row :
       {Row{false, false, MakeOutcome::NotStarted}, Row{true, false, MakeOutcome::NotStarted},
        Row{false, true, MakeOutcome::Succeeded}, Row{true, true, MakeOutcome::Succeeded}}) {
    SCOPED_TRACE(std::string(row.Test ? "Test" : "Make") + (row.MakeAnyway ? ", anyway" : ""));
    Prompter.Log.clear();
    std::filesystem::remove(Cue());
    Prompter.FindingsAnswers = {row.MakeAnyway};
    if (row.MakeAnyway) Prompter.SaveAnswers = {Cue()};
    const MakeOutcome outcome = row.Test ? Controller.TestMake() : Controller.Make();
    EXPECT_EQ(outcome, row.Outcome);
    ASSERT_FALSE(Prompter.Log.empty());
    EXPECT_EQ(Prompter.Log[0],
              "Findings: error\t2\ttrack-too-short\tThe track plays 00:03:00 from index 01 to "
              "its end; a CD track plays 00:04:00 at least.");
    EXPECT_EQ(Exists(Cue()), row.MakeAnyway);
    EXPECT_EQ(Ctx.MakeState.load(), RunState::Idle);
  }
}

TEST_F(CheckBeforeMakeTest, NothingIsShownWithoutAnErrorOrWithTheSettingOff) {
  struct Row {
    const char* Name;
    size_t SecondTrackFrames;
    bool Setting;
  };
  for (const Row& row :
       {Row{"clean disc", 44100 * 4, true}, Row{"error, setting off", 44100 * 3, false}}) {
    SCOPED_TRACE(row.Name);
    Ctx.Layout.Clear();
    AddWave("a.wav", 44100 * 5);
    AddWave("b.wav", row.SecondTrackFrames);
    Ctx.Settings.CheckBeforeMake = row.Setting;
    Prompter.Log.clear();
    std::filesystem::remove(Cue());
    Prompter.SaveAnswers = {Cue()};
    EXPECT_EQ(Controller.TestMake(), MakeOutcome::Succeeded);
    ASSERT_FALSE(Prompter.Log.empty());
    EXPECT_EQ(Prompter.Log[0].rfind("Save: ", 0), 0u) << Prompter.Log[0];
  }
}

// ---- against cdrdao ---------------------------------------------------------------------

class CdrdaoAgreesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::OnPath("cdrdao")) GTEST_SKIP() << "cdrdao is not installed";
    Settings = test::SettingsWithWorkDir(Dir / "work");
    Settings.CdrdaoToc = true;
  }

  // A wave track of `frames` sample frames of sound, or of `silentTail` silent ones after
  // them.
  Track& Add(size_t frames, size_t silentTail = 0) {
    const std::string name = Dir / ("t" + std::to_string(Layout.Count()) + ".wav");
    Layout.Append(WaveTrack(name, test::Cat({Sound(frames), test::Zeros(silentTail * 4)})));
    return Layout.At(Layout.Count() - 1);
  }

  // The tracks cdrdao toc-info says are shorter than 4 seconds, on the TOC of a Make run.
  std::set<int32_t> CdrdaoShortTracks() {
    const test::RunRecord run = test::RunExport(Layout, Settings, Dir / "disc.cue", false);
    EXPECT_EQ(run.State, RunState::Succeeded) << run.Message;
    const auto r = test::RunProcess({"cdrdao", "toc-info", TocFilePath(Dir / "disc.cue")});
    std::set<int32_t> tracks;
    static const std::regex warning(R"(Track (\d+): Length is shorter than 4 seconds)");
    for (std::sregex_iterator it(r.Err.begin(), r.Err.end(), warning), end; it != end; ++it) {
      tracks.insert(std::stoi((*it)[1]));
    }
    return tracks;
  }

  std::set<int32_t> CheckShortTracks() {
    std::set<int32_t> tracks;
    for (const DiscFinding& f : CheckDisc(Layout, Settings)) {
      if (f.Code == "track-too-short") tracks.insert(f.Track);
    }
    return tracks;
  }

  // The disc's blocks as cdrdao toc-size counts them: every block after the first 2
  // seconds, which a TOC file leaves implicit.
  int64_t CdrdaoBlocks() {
    const auto r =
        test::RunProcess({"cdrdao", "toc-size", "--force", TocFilePath(Dir / "disc.cue")});
    std::smatch m;
    static const std::regex last(R"((\d+)\s*$)");
    return std::regex_search(r.Out, m, last) ? std::stoll(m[1]) : -1;
  }

  test::TempDir Dir;
  DiscLayout Layout;
  AppSettings Settings;
};

TEST_F(CdrdaoAgreesTest, TooShortExactlyWhenCdrdaoWarns) {
  constexpr size_t kFour = 300 * 588;  // 4 seconds in sample frames
  // Every pre-gap style and cut, each around the limit: a whole frame short, a sample
  // frame short (padded up to the limit), exactly, and a sample frame over.
  for (const int64_t delta : {-588, -1, 0, 1}) {
    SCOPED_TRACE("4 seconds " + std::to_string(delta) + " sample frames");
    Layout.Clear();
    const size_t n = static_cast<size_t>(static_cast<int64_t>(kFour) + delta);
    Add(kFour * 3);  // track 1: room for the disc's first pre-gap
    Add(n);          // whole file
    Add(n, 700).TrackCutTrailing = true;
    Add(n + 3000).SetTrackStartPos(3000);  // region of a file
    Track& padded = Add(n + 1000);
    padded.SetTrackStartPos(1000);
    padded.TrackPaddingHead = true;
    Track& index = Add(n + 44100);  // hidden audio of one second before the track
    index.SetPreGapStyle(PreGapIndex);
    index.SetTrackStartPos(44100);
    Track& hidden = Add(n);  // hidden audio from another file
    const std::string gap = Dir / "gap.wav";
    test::WriteBytes(gap, test::WaveBytes(Sound(44100 + 5)));
    hidden.SetPreGapFile(gap, test::CanonicalInfo((44100 + 5) * 4));
    hidden.SetPreGapStyle(PreGapFile);
    const std::set<int32_t> cdrdao = CdrdaoShortTracks();
    EXPECT_EQ(CheckShortTracks(), cdrdao);
    EXPECT_EQ(cdrdao.empty(), delta >= -1) << "the layouts do reach both sides of the limit";
    EXPECT_EQ(DiscTimeOf(Layout, Settings).TotalFrames, CdrdaoBlocks() + 150);
  }
}

}  // namespace
}  // namespace varnel
