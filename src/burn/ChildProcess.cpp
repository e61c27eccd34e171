#include "burn/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace varnel {

namespace {

using Clock = std::chrono::steady_clock;

// What is kept of each captured stream: enough for any answer of cdrdao's.
constexpr size_t kCaptureLimit = 1 << 20;

// A descriptor closed when it goes out of scope.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : Fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return Fd_; }
  void Close() {
    if (Fd_ >= 0) close(Fd_);
    Fd_ = -1;
  }
  void Reset(int fd) {
    Close();
    Fd_ = fd;
  }

 private:
  int Fd_ = -1;
};

// A pipe whose ends are close-on-exec and numbered above the descriptors the child gets,
// so that every dup2 into the child really copies (and so clears close-on-exec).
bool MakePipe(Fd& read, Fd& write) {
  int p[2];
  if (pipe2(p, O_CLOEXEC) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    const int high = fcntl(p[i], F_DUPFD_CLOEXEC, 10);
    close(p[i]);
    p[i] = high;
  }
  read.Reset(p[0]);
  write.Reset(p[1]);
  if (read.Get() < 0 || write.Get() < 0) return false;
  fcntl(read.Get(), F_SETFL, fcntl(read.Get(), F_GETFL) | O_NONBLOCK);
  return true;
}

// Stderr cut into lines as it arrives.
class LineSplitter {
 public:
  explicit LineSplitter(ChildListener& listener) : Listener_(listener) {}
  void Feed(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == '\n') {
        Flush();
      } else if (data[i] != '\r' && Line_.size() < kCaptureLimit) {
        Line_.push_back(data[i]);
      }
    }
  }
  void Flush() {
    if (!Line_.empty()) Listener_.ChildStderrLine(Line_);
    Line_.clear();
  }

 private:
  ChildListener& Listener_;
  std::string Line_;
};

}  // namespace

ChildResult RunChild(const ChildRun& run, ChildListener& listener,
                     const std::atomic<bool>& cancel) {
  ChildResult result;
  Fd outRead, outWrite, errRead, errWrite, remoteRead, remoteWrite;
  if (run.Argv.empty() || !MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite) ||
      (run.RemotePipe && !MakePipe(remoteRead, remoteWrite))) {
    result.StartErrno = errno ? errno : EINVAL;
    return result;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), 1);
  posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), 2);
  int firstClosed = 3;
  if (run.RemotePipe) {
    posix_spawn_file_actions_adddup2(&actions, remoteWrite.Get(), kChildRemoteFd);
    firstClosed = kChildRemoteFd + 1;
  }
  // Whatever this process has open without close-on-exec stays here.
  posix_spawn_file_actions_addclosefrom_np(&actions, firstClosed);
  if (!run.WorkDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, run.WorkDir.c_str());

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> argv;
  for (const std::string& a : run.Argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  outWrite.Close();
  errWrite.Close();
  remoteWrite.Close();
  if (rc != 0) {
    result.StartErrno = rc;
    return result;
  }
  result.Started = true;
  listener.ChildStarted(pid);

  LineSplitter lines(listener);
  char buf[4096];
  // Reads what is there now from one stream; false at its end.
  auto drain = [&](Fd& fd, int which) {
    for (;;) {
      const ssize_t n = read(fd.Get(), buf, sizeof buf);
      if (n > 0) {
        const size_t size = static_cast<size_t>(n);
        if (which == 1 && result.Stdout.size() < kCaptureLimit) result.Stdout.append(buf, size);
        if (which == 2) {
          if (result.Stderr.size() < kCaptureLimit) result.Stderr.append(buf, size);
          lines.Feed(buf, size);
        }
        if (which == 3) listener.ChildRemoteBytes(buf, size);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return true;
      fd.Close();  // end of stream, or an error that ends it
      return false;
    }
  };
  Fd* streams[3] = {&outRead, &errRead, &remoteRead};

  bool termSent = false;
  Clock::time_point termAt;
  int status = 0;
  for (;;) {
    pollfd fds[3];
    nfds_t count = 0;
    int which[3];
    for (int i = 0; i < 3; ++i) {
      if (streams[i]->Get() < 0) continue;
      fds[count] = {streams[i]->Get(), POLLIN, 0};
      which[count++] = i;
    }
    if (count > 0) {
      poll(fds, count, 50);
      for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents) drain(*streams[which[i]], which[i] + 1);
      }
    } else {
      usleep(20000);
    }
    if (cancel.load() && !termSent) {
      result.Cancelled = true;
      termSent = true;
      termAt = Clock::now();
      kill(-pid, SIGTERM);
    }
    if (termSent && Clock::now() - termAt > run.KillAfter) kill(-pid, SIGKILL);
    // Ended, but not reaped yet: until it is, its number (and so its group's) cannot be
    // given to another process.
    siginfo_t ended{};
    const int waited = waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT);
    if ((waited == 0 && ended.si_pid == pid) || (waited < 0 && errno != EINTR)) break;
  }
  // A helper it left behind in its group goes too, then the program is reaped.
  kill(-pid, SIGKILL);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // What it wrote before it ended.
  for (int i = 0; i < 3; ++i) {
    if (streams[i]->Get() >= 0) drain(*streams[i], i + 1);
  }
  lines.Flush();
  if (WIFEXITED(status)) {
    result.Exited = true;
    result.ExitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.Signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace varnel
