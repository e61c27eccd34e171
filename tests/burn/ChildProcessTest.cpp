// The child runner with plain shell commands: which descriptors the child gets, and that a
// cancel ends a child (and what it started) that ignores SIGTERM.
#include "burn/ChildProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "support/RunProcess.h"

namespace varnel {
namespace {

class Collect : public ChildListener {
 public:
  void ChildRemoteBytes(const char* data, size_t size) override { Remote.append(data, size); }
  std::string Remote;
};

TEST(ChildProcessTest, TheChildHasStdioAndTheRemotePipeOnly) {
  const int leaked = dup2(STDIN_FILENO, 20);  // not close-on-exec
  ASSERT_EQ(leaked, 20);
  ChildRun run;
  run.Argv = {"sh", "-c", "cd /proc/$$/fd && echo *; echo progress >&3"};
  run.RemotePipe = true;
  run.WorkDir = "/";
  Collect c;
  std::atomic<bool> cancel{false};
  const ChildResult r = RunChild(run, c, cancel);
  close(leaked);
  ASSERT_TRUE(r.Started);
  EXPECT_TRUE(r.Exited);
  EXPECT_EQ(r.ExitStatus, 0) << r.Stderr;
  EXPECT_EQ(r.Stdout, "0 1 2 3 4\n");  // 4: the shell's own listing of the folder
  EXPECT_EQ(c.Remote, "progress\n");
}

TEST(ChildProcessTest, CancelEndsAChildThatIgnoresSigtermAndWhatItStarted) {
  ChildRun run;
  run.Argv = {"sh", "-c", "trap '' TERM; sleep 60 & echo $!; wait"};
  run.KillAfter = std::chrono::milliseconds(300);
  Collect c;
  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel.store(true);
  });
  const ChildResult r = RunChild(run, c, cancel);
  canceller.join();
  EXPECT_TRUE(r.Cancelled);
  EXPECT_FALSE(r.Exited);
  EXPECT_EQ(r.Signal, SIGKILL);
  const int sleeper = std::atoi(r.Stdout.c_str());
  ASSERT_GT(sleeper, 0) << r.Stdout;
  // Gone, or a zombie waiting for whoever adopted it, as soon as the kill it was sent has
  // been delivered (a loaded machine may take a moment to run it).
  std::string stat;
  for (int tries = 0; tries < 200; ++tries) {
    stat = test::SlurpFile("/proc/" + std::to_string(sleeper) + "/stat");
    if (stat.empty() || stat.find(") Z ") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(stat.empty() || stat.find(") Z ") != std::string::npos) << stat;
}

}  // namespace
}  // namespace varnel
