// A stand-in for cdrdao that the tests put first on PATH (it is built as `cdrdao` in a
// folder of its own: VARNEL_FAKE_CDRDAO_DIR). How a test scripts it:
//
//   FAKE_CDRDAO_SCRIPT  a transcript file, one section per cdrdao command:
//                         [version]  [disk-info]  [simulate]  [write]  [blank]
//                       A command without a section prints nothing and exits 0. In a
//                       section, one step a line, run in order:
//                         out TEXT        a line on stdout
//                         err TEXT        a line on stderr
//                         progress S T K TP TOT BUF DBUF
//                                         one --remote message: status, total tracks, track,
//                                         track and total progress (0-1000), buffer fills
//                         garbage HEX     raw bytes on the --remote pipe (e.g. ff00ff12)
//                         sleep MS        wait
//                         hang [N]        wait for SIGTERM, then exit N (without N: die by it)
//                         die SIGNAL      end by that signal number (e.g. 9, 11)
//                         exit N          end with status N (the default at the end: 0)
//   FAKE_CDRDAO_LOG     a file each run appends to:
//                         pid N | cwd PATH | argv A B C... (TAB between arguments) |
//                         toc copy|made|missing (write and simulate: whether the TOC named
//                         last is another file than FAKE_CDRDAO_MADE_TOC)
//   FAKE_CDRDAO_MADE_TOC the made TOC, which a burn must never hand to cdrdao.
//
// Like cdrdao, with --remote FD it deletes the TOC file it was given before it writes.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t gTerm = 0;
extern "C" void OnTerm(int) {
  gTerm = 1;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

void WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n <= 0) return;
    p += n;
    size -= static_cast<size_t>(n);
  }
}

std::string TocState(const std::string& toc) {
  struct stat given {};
  struct stat made {};
  if (toc.empty() || stat(toc.c_str(), &given) != 0) return "missing";
  const std::string madePath = Env("FAKE_CDRDAO_MADE_TOC");
  if (!madePath.empty() && stat(madePath.c_str(), &made) == 0 && made.st_dev == given.st_dev &&
      made.st_ino == given.st_ino) {
    return "made";
  }
  return "copy";
}

std::vector<std::string> Section(const std::string& command) {
  std::ifstream in(Env("FAKE_CDRDAO_SCRIPT"));
  std::vector<std::string> steps;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') {
      inside = line == "[" + command + "]";
    } else if (inside && !line.empty()) {
      steps.push_back(line);
    }
  }
  return steps;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command;
  std::string toc;
  int remoteFd = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--remote" && i + 1 < argc) {
      remoteFd = std::atoi(argv[++i]);
    } else if ((a == "--device" || a == "--speed" || a == "--driver" || a == "-v" ||
                a == "--blank-mode") &&
               i + 1 < argc) {
      ++i;
    } else if (a[0] != '-') {
      if (command.empty()) {
        command = a;
      } else {
        toc = a;
      }
    }
  }

  const bool writes = command == "write" || command == "simulate";
  if (const std::string log = Env("FAKE_CDRDAO_LOG"); !log.empty()) {
    std::ofstream out(log, std::ios::app);
    char cwd[PATH_MAX] = "";
    if (getcwd(cwd, sizeof cwd) == nullptr) cwd[0] = 0;
    out << "pid " << getpid() << "\ncwd " << cwd << "\nargv";
    for (int i = 0; i < argc; ++i) out << (i ? "\t" : " ") << argv[i];
    out << "\n";
    if (writes) out << "toc " << TocState(toc) << "\n";
  }
  if (writes && remoteFd >= 0 && !toc.empty()) unlink(toc.c_str());

  struct sigaction action {};
  action.sa_handler = OnTerm;
  sigemptyset(&action.sa_mask);
  for (const std::string& step : Section(command)) {
    std::istringstream words(step);
    std::string verb;
    words >> verb;
    std::string rest;
    std::getline(words, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    if (verb == "out" || verb == "err") {
      rest += "\n";
      WriteAll(verb == "out" ? 1 : 2, rest.data(), rest.size());
    } else if (verb == "progress" && remoteFd >= 0) {
      const unsigned char sync[4] = {0xff, 0x00, 0xff, 0x00};
      int32_t fields[7] = {};
      std::istringstream numbers(rest);
      for (int32_t& f : fields) numbers >> f;
      WriteAll(remoteFd, sync, sizeof sync);
      WriteAll(remoteFd, fields, sizeof fields);
    } else if (verb == "garbage" && remoteFd >= 0) {
      std::string bytes;
      for (size_t i = 0; i + 1 < rest.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(rest.substr(i, 2), nullptr, 16)));
      }
      WriteAll(remoteFd, bytes.data(), bytes.size());
    } else if (verb == "sleep") {
      usleep(static_cast<useconds_t>(std::atoi(rest.c_str())) * 1000);
    } else if (verb == "hang") {
      if (!rest.empty()) sigaction(SIGTERM, &action, nullptr);
      while (!gTerm) pause();
      return std::atoi(rest.c_str());
    } else if (verb == "die") {
      signal(std::atoi(rest.c_str()), SIG_DFL);
      raise(std::atoi(rest.c_str()));
      return 99;
    } else if (verb == "exit") {
      return std::atoi(rest.c_str());
    }
  }
  return 0;
}
