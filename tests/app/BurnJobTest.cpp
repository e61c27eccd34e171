// The burn job against the cdrdao stand-in, one transcript a row: what cdrdao was run with
// (in which folder, on which TOC), how the job ended and what it told the user, that the
// made TOC survived, and that no cdrdao outlived the job.
#include "app/burn/BurnJob.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "support/FakeCdrdaoRun.h"

namespace varnel {
namespace {

using test::FakeCdrdaoRun;

constexpr const char* kBanner124 =
    "[version]\nerr Cdrdao version 1.2.4 - (C) Andreas Mueller <andreas@daneb.de>\n";
constexpr const char* kEmptyCdR =
    "[disk-info]\nout CD-RW                : no\n"
    "out Total Capacity       : 79:57:74 (359849 blocks, 702/807 MB)\n"
    "out CD-R medium          : n/a\nout Recording Speed      : 4X - 48X\n"
    "out CD-R empty           : yes\n";
constexpr const char* kUsedCdRw =
    "[disk-info]\nout CD-RW                : yes\n"
    "out Total Capacity       : 74:00:00 (333000 blocks, 650/747 MB)\n"
    "out CD-R empty           : no\nout Toc Type             : CD-DA or CD-ROM\n";
// A whole write: analysing, lead-in, two tracks (with a stray byte run between messages),
// lead-out.
constexpr const char* kGoodWrite =
    "progress 1 2 1 0 0 100 0\nprogress 3 2 1 0 0 100 80\nprogress 4 2 1 500 250 98 97\n"
    "garbage 00ff00ff12ff\nprogress 4 2 2 1000 900 97 96\nprogress 5 2 170 0 990 0 0\n";

const std::string kWrite124 = "cdrdao write --device /dev/sr0 -n -v 2 --remote 3 TOC";

struct Row {
  const char* Name;
  std::string Script;  // without a [version] section: 1.2.4's banner
  BurnOptions Options;
  bool CdText = false;
  int64_t DiscFrames = 300000;
  std::vector<std::string> Runs;  // the argument vectors after `cdrdao version`
  BurnOutcome Outcome;
  BurnProblem Problem = BurnProblem::None;
  std::string MessagePart;  // a part of the user's text
  bool Unusable = false;
  bool CancelOnTrack = false;  // cancel at cdrdao's first track (or blanking) progress
};

BurnOptions On(const char* device, bool simulate = false, bool first = false, bool eject = false,
               int32_t speed = 0, bool blank = false) {
  BurnOptions o;
  o.Device = device;
  o.Simulate = simulate;
  o.SimulateFirst = first;
  o.Eject = eject;
  o.Speed = speed;
  o.Blank = blank;
  return o;
}

const std::string kInfo = "cdrdao disk-info --device /dev/sr0";

std::vector<Row> Rows() {
  const std::string empty = kEmptyCdR;
  const std::string good = std::string("[write]\n") + kGoodWrite;
  return {
      {"BurnsWithTheCdTextDriverOptionOn124",
       empty + good,
       On("/dev/sr0"),
       true,
       300000,
       {kInfo, "cdrdao write --device /dev/sr0 -n -v 2 --driver generic-mmc:0x10 --remote 3 TOC"},
       BurnOutcome::Burned,
       BurnProblem::None,
       "The disc was burned."},
      {"NoDriverOptionFrom125",
       "[version]\nerr Cdrdao version 1.2.5 - (C) Andreas Mueller\n" + empty + good,
       On("/dev/sr1", false, false, true, 8),
       true,
       300000,
       {"cdrdao disk-info --device /dev/sr1",
        "cdrdao write --device /dev/sr1 -n -v 2 --eject --speed 8 --remote 3 TOC"},
       BurnOutcome::Burned,
       BurnProblem::None,
       "burned",
       false,
       false},
      {"SimulatesOnly",
       empty + "[simulate]\n" + kGoodWrite,
       On("/dev/sr0", true, false, true),
       false,
       300000,
       {kInfo, "cdrdao simulate --device /dev/sr0 -n -v 2 --eject --remote 3 TOC"},
       BurnOutcome::Simulated,
       BurnProblem::None,
       "simulation succeeded"},
      {"SimulatesThenWritesEjectingOnlyAfterTheWrite",
       empty + "[simulate]\n" + kGoodWrite + good,
       On("/dev/sr0", false, true, true),
       false,
       300000,
       {kInfo, "cdrdao simulate --device /dev/sr0 -n -v 2 --remote 3 TOC",
        "cdrdao write --device /dev/sr0 -n -v 2 --eject --remote 3 TOC"},
       BurnOutcome::Burned,
       BurnProblem::None,
       "burned",
       false,
       false},
      {"NoDisc",
       "[disk-info]\nerr WARNING: Unit not ready, still trying...\n"
       "err ERROR: Unit not ready, giving up.\nexit 1\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::NoDisc,
       "no disc in the drive /dev/sr0"},
      {"DiskInfoWithoutAMedium",
       "[disk-info]\nout CD-RW                : n/a\nout Total Capacity       : n/a\n"
       "out CD-R empty           : n/a\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::NoDisc,
       "Insert a blank CD-R",
       false,
       false},
      {"PermissionDenied",
       "[disk-info]\nerr ERROR: Unable to open SCSI device /dev/sr0: Permission denied.\n"
       "err ERROR: Cannot setup device /dev/sr0.\nexit 1\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::PermissionDenied,
       "\"cdrom\" group"},
      {"DriveBusy",
       "[disk-info]\nerr ERROR: Unable to open SCSI device /dev/sr0: Device or resource busy.\n"
       "exit 1\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::DriveBusy,
       "another program is using it"},
      {"CdRWithData",
       "[disk-info]\nout CD-RW                : no\n"
       "out Total Capacity       : 79:57:74 (359849 blocks, 702/807 MB)\n"
       "out CD-R empty           : no\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::DiscNotEmpty,
       "insert a blank disc"},
      {"UsedCdRwIsNotBlankedUnasked",
       kUsedCdRw,
       On("/dev/sr0"),
       false,
       300000,
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::RewritableNotEmpty,
       "erases everything"},
      {"UsedCdRwIsBlankedWhenAsked",
       std::string(kUsedCdRw) + "[blank]\nprogress 6 0 0 0 500 0 0\n" + good,
       On("/dev/sr0", false, false, false, 0, true),
       false,
       300000,
       {kInfo, "cdrdao blank --device /dev/sr0 --blank-mode minimal -n --remote 3", kWrite124},
       BurnOutcome::Burned,
       BurnProblem::None,
       "burned",
       false,
       false},
      {"CancelWhileBlanking",
       std::string(kUsedCdRw) + "[blank]\nprogress 6 0 0 0 500 0 0\nhang\n",
       On("/dev/sr0", false, false, false, 0, true),
       false,
       300000,
       {kInfo, "cdrdao blank --device /dev/sr0 --blank-mode minimal -n --remote 3"},
       BurnOutcome::Cancelled,
       BurnProblem::None,
       "blank the rewritable disc again",
       false,
       true},
      {"TooLongForTheMediumStopsBeforeWriting",
       kUsedCdRw,
       On("/dev/sr0", false, false, false, 0, true),
       false,
       333151,  // the 2 seconds before track 1 count on both sides
       {kInfo},
       BurnOutcome::Failed,
       BurnProblem::DoesNotFit,
       "plays 74:02:01, the disc holds 74:02:00"},
      {"CdrdaoFindsItTooLong",
       empty + "[write]\nerr ERROR: Length of toc (80:01:53, 360128 blocks) exceeds capacity of "
               "CD-R (79:57:74, 359849 blocks).\nerr ERROR: Please use option '--overburn' to "
               "start recording anyway.\nexit 1\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo, kWrite124},
       BurnOutcome::Failed,
       BurnProblem::DoesNotFit,
       "does not fit",
       false,
       false},
      {"DriveRefusesTheCueSheet",
       empty + "[write]\nprogress 1 2 1 0 0 100 0\nerr ERROR: Cannot send cue sheet.\nexit 1\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo, kWrite124},
       BurnOutcome::Failed,
       BurnProblem::DriveRefusesDiscAtOnce,
       "disc-at-once"},
      {"WriteFailsMidTrack",
       empty + "[write]\nprogress 3 2 1 0 0 100 80\nprogress 4 2 1 10 5 100 80\n"
               "err ERROR: Write data failed.\nexit 1\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo, kWrite124},
       BurnOutcome::Failed,
       BurnProblem::CdrdaoFailed,
       "probably unusable",
       true},
      {"CancelMidTrack",
       empty + "[write]\nprogress 3 2 1 0 0 100 80\nprogress 4 2 1 10 5 99 80\nhang\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo, kWrite124},
       BurnOutcome::Cancelled,
       BurnProblem::None,
       "probably unusable",
       true,
       true},
      {"CancelDuringSimulationHarmsNothing",
       empty + "[simulate]\nprogress 4 2 1 10 5 99 80\nhang 1\n",
       On("/dev/sr0", true),
       false,
       300000,
       {kInfo, "cdrdao simulate --device /dev/sr0 -n -v 2 --remote 3 TOC"},
       BurnOutcome::Cancelled,
       BurnProblem::None,
       "nothing was written",
       false,
       true},
      {"CdrdaoDies",
       empty + "[write]\nprogress 3 2 1 0 0 100 80\nprogress 4 2 1 10 5 99 80\ndie 9\n",
       On("/dev/sr0"),
       false,
       300000,
       {kInfo, kWrite124},
       BurnOutcome::Failed,
       BurnProblem::CdrdaoDied,
       "probably unusable",
       true},
  };
}

class Recorder : public BurnListener {
 public:
  std::function<void()> OnTrack;
  void BurnStatusKnown(const DiscStatus& status) override { Status = status; }
  void BurnProgressed(const BurnProgress& p) override {
    Progress.push_back(p);
    const bool busy = p.Stage == BurnStage::WritingTrack ||
                      (p.Stage == BurnStage::Blanking && p.Remote.Status != 0);
    if (busy && OnTrack) std::exchange(OnTrack, nullptr)();
  }
  void BurnEnded(const BurnResult& r) override {
    std::lock_guard lock(Mutex);
    Results.push_back(r);
    Cv.notify_all();
  }
  bool WaitEnded() {
    std::unique_lock lock(Mutex);
    return Cv.wait_for(lock, std::chrono::seconds(30), [&] { return !Results.empty(); });
  }
  DiscStatus Status;
  std::vector<BurnProgress> Progress;
  std::vector<BurnResult> Results;
  std::mutex Mutex;
  std::condition_variable Cv;
};

class BurnJobTable : public ::testing::TestWithParam<Row> {};

TEST_P(BurnJobTable, RunsCdrdaoAsTheTranscriptSays) {
  const Row& row = GetParam();
  test::TempDir disc;
  const std::string toc = disc / "disc.toc";
  const std::string tocText = row.CdText ? "CD_DA\nCD_TEXT {\n}\n" : "CD_DA\n";
  test::WriteText(toc, tocText);
  const bool ownBanner = row.Script.find("[version]") != std::string::npos;
  FakeCdrdaoRun cdrdao(ownBanner ? row.Script : kBanner124 + row.Script, toc);

  Recorder recorder;
  {
    BurnRequest request{toc, row.CdText, row.DiscFrames, row.Options};
    BurnJob job(request, recorder);
    if (row.CancelOnTrack) recorder.OnTrack = [&job] { job.Cancel(); };
    ASSERT_TRUE(recorder.WaitEnded());
  }
  ASSERT_EQ(recorder.Results.size(), 1u);
  const BurnResult& r = recorder.Results[0];
  EXPECT_EQ(r.Outcome, row.Outcome) << r.Message << "\n" << r.Detail;
  EXPECT_EQ(r.Problem, row.Problem) << r.Message << "\n" << r.Detail;
  EXPECT_NE(r.Message.find(row.MessagePart), std::string::npos) << r.Message;
  EXPECT_EQ(r.DiscMayBeUnusable, row.Unusable);

  std::vector<test::FakeCdrdaoCall> calls = cdrdao.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].Argv, "cdrdao version");
  std::vector<std::string> runs;
  for (size_t i = 1; i < calls.size(); ++i) runs.push_back(calls[i].Argv);
  EXPECT_EQ(runs, row.Runs);
  for (const test::FakeCdrdaoCall& c : calls) {
    EXPECT_FALSE(FakeCdrdaoRun::Alive(c.Pid)) << c.Argv;
    if (c.Toc.empty()) continue;
    EXPECT_EQ(c.Toc, "copy") << c.Argv;
    EXPECT_EQ(c.Cwd, disc.Path()) << c.Argv;
  }
  // The made TOC is all that is left in its folder, as it was.
  EXPECT_EQ(test::ReadText(toc), tocText);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disc.Path()), {}), 1);
  if (row.Outcome == BurnOutcome::Burned) {
    // Every message of the write arrived whole, the stray bytes between them skipped.
    ASSERT_GE(recorder.Progress.size(), 6u);
    const BurnProgress& lastTrack = recorder.Progress[recorder.Progress.size() - 3];
    EXPECT_EQ(lastTrack.Stage, BurnStage::WritingTrack);
    EXPECT_EQ(lastTrack.Remote, (RemoteProgress{4, 2, 2, 1000, 900, 97, 96}));
    EXPECT_EQ(recorder.Progress[recorder.Progress.size() - 2].Stage, BurnStage::LeadOut);
  }
}

INSTANTIATE_TEST_SUITE_P(Transcripts, BurnJobTable, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(BurnJobTest, WithoutCdrdaoSaysToInstallIt) {
  test::TempDir disc;
  test::WriteText(disc / "disc.toc", "CD_DA\n");
  const std::string oldPath = std::getenv("PATH");
  setenv("PATH", disc.Path().c_str(), 1);
  Recorder recorder;
  {
    BurnJob job(BurnRequest{disc / "disc.toc", false, 1000, On("/dev/sr0")}, recorder);
    ASSERT_TRUE(recorder.WaitEnded());
  }
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(recorder.Results.at(0).Problem, BurnProblem::NoCdrdao);
  EXPECT_NE(recorder.Results[0].Message.find("\"cdrdao\""), std::string::npos);
}

}  // namespace
}  // namespace varnel
