// varnel-cli drives and burn from outside: the real cdrdao on a machine without a CD writer,
// and the cdrdao stand-in for a simulation and for a cancel by each signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/burn/BurnDrives.h"
#include "support/FakeCdrdaoRun.h"
#include "support/MakeFixtures.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::RunProcess;
using test::TempDir;

class CliBurnTest : public ::testing::Test {
 protected:
  CliBurnTest() {
    test::WriteText(Dir / "varnel.ini", "[Other]\r\nMakeAlways=1\r\n");
    test::WriteBytes(Dir / "a.wav", test::WaveBytes(test::Sound(5 * 44100)));
    const auto r = Cli({"new", "--settings", Dir / "varnel.ini", "disc.txt", "a.wav"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
  }
  test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), VARNEL_CLI_PATH);
    return RunProcess(args, Dir.Path());
  }
  std::vector<std::string> Burn(std::vector<std::string> extra) {
    std::vector<std::string> argv = {VARNEL_CLI_PATH, "burn", "--settings", Dir / "varnel.ini"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.insert(argv.end(), {"disc.txt", "out/disc.cue"});
    return argv;
  }

  TempDir Dir;
};

// Identity and time of change of each made file.
std::vector<std::pair<ino_t, int64_t>> Stamps(const std::vector<std::string>& paths) {
  std::vector<std::pair<ino_t, int64_t>> stamps;
  for (const std::string& p : paths) {
    struct stat st {};
    EXPECT_EQ(stat(p.c_str(), &st), 0) << p;
    stamps.emplace_back(st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec);
  }
  return stamps;
}

TEST_F(CliBurnTest, WithoutADriveTheRealCdrdaoChangesNothing) {
  if (!ListOpticalDrives().empty()) GTEST_SKIP() << "this machine has a CD drive";
  auto drives = Cli({"drives"});
  EXPECT_EQ(drives.ExitCode, 1);
  EXPECT_EQ(drives.Err, "No CD writer found.\n");

  ASSERT_EQ(
      Cli({"make", "--toc", "--settings", Dir / "varnel.ini", "disc.txt", "out/disc.cue"}).ExitCode,
      0);
  const std::vector<std::string> made = {Dir / "out/disc.cue", Dir / "out/disc.toc",
                                         Dir / "out/disc/Track01.wav"};
  const auto before = Stamps(made);
  struct Row {
    std::vector<std::string> Flags;
    std::string Message;
  };
  const Row rows[] = {
      {{}, "No CD writer found.\n"},
      {{"--device", "/dev/sr0"}, "Cannot open the drive /dev/sr0: there is no CD writer"},
  };
  for (const Row& row : rows) {
    const auto r = RunProcess(Burn(row.Flags), Dir.Path());
    EXPECT_EQ(r.ExitCode, 1) << r.Err;
    EXPECT_NE(r.Err.find(row.Message), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
  EXPECT_EQ(Stamps(made), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir / "out"), {}), 3);
}

TEST_F(CliBurnTest, SimulatesWithTheStandIn) {
  test::FakeCdrdaoRun cdrdao(
      "[version]\nerr Cdrdao version 1.2.4 - (C) Andreas Mueller\n"
      "[disk-info]\nout CD-RW                : no\n"
      "out Total Capacity       : 79:57:74 (359849 blocks, 702/807 MB)\n"
      "out CD-R empty           : yes\n"
      "[simulate]\nprogress 3 1 1 0 0 100 90\nprogress 4 1 1 500 400 99 90\n"
      "progress 5 1 170 0 990 0 0\n",
      Dir / "out/disc.toc");
  const auto r =
      RunProcess(Burn({"--simulate", "--device", "/dev/sr9", "--speed", "4"}), Dir.Path());
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "Operation Successfully Completed.\n"
            "The simulation succeeded: the disc can be burned as it is.\n");
  EXPECT_NE(r.Err.find("Disc: Empty CD-R, 79:59:74\n"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("Simulating the lead-in\nSimulating track 1 of 1\nSimulating the "
                       "lead-out\n"),
            std::string::npos)
      << r.Err;
  const auto calls = cdrdao.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().Argv,
            "cdrdao simulate --device /dev/sr9 -n -v 2 --speed 4 --remote 3 TOC");
  EXPECT_EQ(calls.back().Toc, "copy");
  EXPECT_TRUE(std::filesystem::exists(Dir / "out/disc.toc"));
}

TEST_F(CliBurnTest, EachSignalStopsCdrdaoAndExits130) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    test::FakeCdrdaoRun cdrdao(
        "[disk-info]\nout CD-RW                : no\nout CD-R empty           : yes\n"
        "[write]\nprogress 3 1 1 0 0 100 90\nprogress 4 1 1 10 5 99 90\nhang\n",
        Dir / "out/disc.toc");
    const std::vector<std::string> argv = Burn({"--device", "/dev/sr0"});
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string err = cdrdao.Dir / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, Dir.Path().c_str());
    pid_t cli = 0;
    ASSERT_EQ(posix_spawn(&cli, args[0], &actions, nullptr, args.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Once cdrdao writes track 1, the signal.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (test::SlurpFile(err).find("Writing track 1 of 1") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(cli, sig);
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130) << test::SlurpFile(err);
    EXPECT_NE(test::SlurpFile(err).find("probably unusable"), std::string::npos);
    const auto calls = cdrdao.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(calls.back().Argv.find(" write "), std::string::npos);
    for (const auto& c : calls) EXPECT_FALSE(test::FakeCdrdaoRun::Alive(c.Pid)) << c.Argv;
  }
}

}  // namespace
}  // namespace varnel
