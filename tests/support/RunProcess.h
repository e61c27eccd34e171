// Runs a program with arguments, no shell, and captures its exit code, standard output
// and standard error.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace varnel::test {

struct ProcessResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

inline std::string SlurpFile(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// Output goes to temporary files so that neither stream can block the other.
inline ProcessResult RunProcess(const std::vector<std::string>& argv,
                                const std::string& workDir = {}) {
  ProcessResult r;
  char outName[] = "/tmp/varnel-out-XXXXXX";
  char errName[] = "/tmp/varnel-err-XXXXXX";
  int outFd = mkstemp(outName);
  int errFd = mkstemp(errName);
  if (outFd < 0 || errFd < 0) {
    ADD_FAILURE() << "mkstemp failed";
    return r;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(outFd);
  close(errFd);
  if (rc == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  } else {
    ADD_FAILURE() << "cannot start " << argv[0];
  }
  r.Out = SlurpFile(outName);
  r.Err = SlurpFile(errName);
  unlink(outName);
  unlink(errName);
  return r;
}

}  // namespace varnel::test
