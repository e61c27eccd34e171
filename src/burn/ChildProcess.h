// Runs one outside program (cdrdao) to its end: no shell, found on PATH, in a working
// folder of its own, stdin from /dev/null, stdout and stderr captured, and optionally a
// pipe it writes its progress to on a fixed descriptor number. No other descriptor of this
// process reaches it. It runs in a process group of its own, so that a Ctrl-C at the
// terminal reaches only this program, which decides what to do.
//
// A cancel sends SIGTERM to the group, and SIGKILL if the program is still there after the
// grace period; the run always ends with waitpid, so no child outlives it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace varnel {

// The descriptor number the progress pipe has in the child.
inline constexpr int kChildRemoteFd = 3;

class ChildListener {
 public:
  virtual ~ChildListener() = default;
  virtual void ChildStarted(int /*pid*/) {}
  virtual void ChildRemoteBytes(const char* /*data*/, size_t /*size*/) {}
  // Each whole line of stderr (and the last part line at the end), without its newline.
  virtual void ChildStderrLine(const std::string& /*line*/) {}
};

struct ChildRun {
  std::vector<std::string> Argv;               // Argv[0] is looked up on PATH
  std::string WorkDir;                         // empty: this process's
  bool RemotePipe = false;                     // open kChildRemoteFd as a pipe to the listener
  std::chrono::milliseconds KillAfter{20000};  // after SIGTERM
};

struct ChildResult {
  bool Started = false;  // false: it could not be run (StartErrno says why)
  int StartErrno = 0;
  bool Exited = false;  // ended by exit (ExitStatus) rather than a signal (Signal)
  int ExitStatus = -1;
  int Signal = 0;
  bool Cancelled = false;  // a cancel came while it ran
  std::string Stdout;
  std::string Stderr;
};

// Runs `run` until the program ends; `cancel` is read every few milliseconds.
ChildResult RunChild(const ChildRun& run, ChildListener& listener, const std::atomic<bool>& cancel);

}  // namespace varnel
