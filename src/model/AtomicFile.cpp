#include "model/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "model/PathNames.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

// The process's file-creation mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
  std::string status;
  try {
    status = ReadWholeFile("/proc/self/status", 1 << 20);
  } catch (const FileError&) {
    return 022;
  }
  const size_t at = status.find("\nUmask:");
  if (at == std::string::npos) return 022;
  return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8) & 0777);
}

// A new, empty temporary file in `folder`, readable and writable by its owner only.
PosixFile CreateTemporary(const std::string& folder, std::string& name) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::mt19937_64 random(RandomBits());
  for (int attempt = 0;; ++attempt) {
    name = folder + "/.varnel-tmp-";
    for (int i = 0; i < 10; ++i) name += kDigits[random() % 36];
    try {
      return PosixFile::CreateExclusive(name, 0600);
    } catch (const FileError& e) {
      if (e.Errno() != EEXIST || attempt >= 100) throw;
    }
  }
}

}  // namespace

std::string LinkDestination(const std::string& path) {
  std::string name = path;
  for (int hop = 0; hop <= 40; ++hop) {
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(name.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return name;
    target.resize(static_cast<size_t>(n));
    name = PathFromFolder(FolderOrCurrent(name), target);
  }
  return {};
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
  auto fail = [error](int err) {
    if (error) *error = ErrnoText(err);
    return false;
  };
  if (path.empty()) return fail(ENOENT);
  if (path.find('\0') != std::string::npos) return fail(EINVAL);

  // A symbolic link stays a link: the file it names is the one written.
  const std::string target = LinkDestination(path);
  if (target.empty()) return fail(ELOOP);

  const std::string dir = FolderOrCurrent(target);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return fail(ec.value());

  mode_t mode = 0666 & ~CurrentUmask();
  bool replacing = false;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) return fail(EISDIR);
    if (!S_ISREG(old.st_mode)) return fail(EINVAL);
    if (::access(target.c_str(), W_OK) != 0) return fail(errno);
    mode = old.st_mode & 07777;
    replacing = true;
  } else if (errno != ENOENT) {
    return fail(errno);
  }

  std::string tmp;
  try {
    PosixFile out = CreateTemporary(dir, tmp);
    try {
      // Permission bits and owner are carried over where the file system allows it; a file
      // system without them (vfat) still gets the text.
      bool kept = ::fchmod(out.Fd(), mode) == 0;
      if (replacing) kept = ::fchown(out.Fd(), old.st_uid, old.st_gid) == 0 && kept;
      (void)kept;
      out.WriteAll(text.data(), text.size());
      out.Sync();
      out.Close();
    } catch (const FileError&) {
      ::unlink(tmp.c_str());
      throw;
    }
  } catch (const FileError& e) {
    return fail(e.Errno());
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    return fail(err);
  }
  // Make the rename itself durable; a folder that cannot be synced is no failure.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    const bool synced = ::fsync(dfd) == 0;
    (void)synced;
    ::close(dfd);
  }
  return true;
}

}  // namespace varnel
