#include "model/FileIdentity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "model/PathNames.h"

namespace varnel {

namespace {

std::string WeaklyCanonical(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
  return ec ? NormalAbsolutePath(path) : canonical.string();
}

}  // namespace

std::string ResolvedName(const std::string& path) {
  std::string name = WeaklyCanonical(AbsolutePath(path));
  // weakly_canonical leaves a final link that points nowhere as it is: follow it by hand.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(name.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
    target.resize(static_cast<size_t>(n));
    name = WeaklyCanonical(PathFromFolder(FolderOrCurrent(name), target));
  }
  return name;
}

FileIdentity FileIdentity::Of(const std::string& path) {
  FileIdentity id;
  id.Path = path;
  if (path.empty()) return id;
  id.Name = ResolvedName(path);
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    id.Exists = true;
    id.Dev = st.st_dev;
    id.Ino = st.st_ino;
  }
  return id;
}

bool FileIdentity::SameFileAs(const FileIdentity& other) const {
  if (Path.empty() || other.Path.empty()) return false;
  return Name == other.Name || (Exists && other.Exists && Dev == other.Dev && Ino == other.Ino);
}

const FileIdentity* SameFileAmong(const FileIdentity& output,
                                  const std::vector<FileIdentity>& inputs) {
  for (const FileIdentity& in : inputs) {
    if (output.SameFileAs(in)) return &in;
  }
  return nullptr;
}

std::string InputWrittenOver(const std::string& output, const std::vector<std::string>& inputs) {
  const FileIdentity out = FileIdentity::Of(output);
  for (const std::string& in : inputs) {
    if (!in.empty() && out.SameFileAs(FileIdentity::Of(in))) return in;
  }
  return {};
}

}  // namespace varnel
