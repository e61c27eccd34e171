// When two paths name one file. Every command that writes asks this before it writes: a
// written path may never be a file that the same command reads, or the command would
// destroy its own input.
//
// Two paths are one file when they end at the same name (made absolute, ".", ".." and
// doubled "/" removed, symbolic links of the folders and of the last component followed,
// also a link that points nowhere yet), or when both exist and are the same device and inode
// (a hard link, a bind mount).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace varnel {

// The name `path` ends at (see above).
std::string ResolvedName(const std::string& path);

struct FileIdentity {
  std::string Path;  // as given
  std::string Name;  // ResolvedName(Path)
  bool Exists = false;
  dev_t Dev = 0;
  ino_t Ino = 0;

  static FileIdentity Of(const std::string& path);
  bool SameFileAs(const FileIdentity& other) const;
};

// The first of `inputs` that is the file `output` names, or null. Empty inputs are skipped.
const FileIdentity* SameFileAmong(const FileIdentity& output,
                                  const std::vector<FileIdentity>& inputs);
// The same for paths: the first of `inputs` that `output` names, or empty.
std::string InputWrittenOver(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace varnel
