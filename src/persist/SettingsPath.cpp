// Where the settings file lives.
#include <pwd.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "model/PathNames.h"
#include "persist/AppSettings.h"

namespace varnel {

namespace {

bool WritableFolder(const std::string& dir) {
  return !dir.empty() && ::access(dir.c_str(), W_OK) == 0;
}

std::string UnderHome(const std::string& home, const char* rest) {
  if (!home.empty() && home.back() == '/') return home + rest;
  return home + "/" + rest;
}

}  // namespace

std::string SettingsPathFor(const std::string& exePath, const std::string& homeDir) {
  std::string dir = FolderOf(exePath);
  if (WritableFolder(dir)) return dir == "/" ? "/varnel.ini" : dir + "/varnel.ini";
  return UnderHome(homeDir, ".config/varnel/varnel.ini");
}

std::string CurrentExePath() {
  std::vector<char> buf(256);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
    if (buf.size() >= (size_t{1} << 20)) return std::string();
    buf.resize(buf.size() * 2);
  }
}

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd pw;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return std::string();
}

}  // namespace varnel
