// Puts the cdrdao stand-in (support/FakeCdrdao.cpp) first on PATH for the life of the
// object, with a transcript and a log in a temporary folder, and reads the log back: the
// argument vector of each run (a TOC copy's varying name as "TOC"), its folder, whether
// its TOC was a copy, and its pid.
#pragma once

#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel::test {

struct FakeCdrdaoCall {
  int Pid = 0;
  std::string Cwd;
  std::string Argv;  // space-separated
  std::string Toc;   // "copy", "made", "missing"; empty for other commands
};

class FakeCdrdaoRun {
 public:
  // `script` is the transcript; `madeToc` the made TOC no run may be given.
  FakeCdrdaoRun(const std::string& script, const std::string& madeToc) {
    std::ofstream(Dir / "script") << script;
    OldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (std::string(VARNEL_FAKE_CDRDAO_DIR) + ":" + OldPath_).c_str(), 1);
    setenv("FAKE_CDRDAO_SCRIPT", (Dir / "script").c_str(), 1);
    setenv("FAKE_CDRDAO_LOG", (Dir / "log").c_str(), 1);
    setenv("FAKE_CDRDAO_MADE_TOC", madeToc.c_str(), 1);
  }
  ~FakeCdrdaoRun() {
    setenv("PATH", OldPath_.c_str(), 1);
    for (const char* v : {"FAKE_CDRDAO_SCRIPT", "FAKE_CDRDAO_LOG", "FAKE_CDRDAO_MADE_TOC"}) {
      unsetenv(v);
    }
  }
  FakeCdrdaoRun(const FakeCdrdaoRun&) = delete;
  FakeCdrdaoRun& operator=(const FakeCdrdaoRun&) = delete;

  std::vector<FakeCdrdaoCall> Calls() const {
    std::vector<FakeCdrdaoCall> calls;
    std::istringstream log(SlurpFile(Dir / "log"));
    std::string line;
    static const std::regex copyName(R"([^\t/]*\.burn-[A-Za-z0-9]{6}\.toc)");
    while (std::getline(log, line)) {
      if (line.rfind("pid ", 0) == 0) {
        calls.emplace_back();
        calls.back().Pid = std::atoi(line.c_str() + 4);
      } else if (calls.empty()) {
        continue;
      } else if (line.rfind("cwd ", 0) == 0) {
        calls.back().Cwd = line.substr(4);
      } else if (line.rfind("argv ", 0) == 0) {
        std::string argv = std::regex_replace(line.substr(5), copyName, "TOC");
        for (char& c : argv) c = c == '\t' ? ' ' : c;
        calls.back().Argv = argv;
      } else if (line.rfind("toc ", 0) == 0) {
        calls.back().Toc = line.substr(4);
      }
    }
    return calls;
  }

  // Whether a process with that pid still exists (a zombie counts).
  static bool Alive(int pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

  TempDir Dir;

 private:
  std::string OldPath_;
};

}  // namespace varnel::test
