#include "make/CommitJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>

#include "model/PathNames.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

// "varnel commit 1", then five fields an entry, every field ended by a NUL byte (a path
// may hold any other byte).
constexpr char kHeader[] = "varnel commit 1";

bool Temporary(const std::string& name, const std::string& final) {
  const std::string base = FileNamePart(name);
  return FolderOf(name) == FolderOf(final) && base.rfind(kTemporaryPrefix, 0) == 0 &&
         base.size() > std::char_traits<char>::length(kTemporaryPrefix);
}

std::optional<uint64_t> Number(const std::string& text) {
  // Decimal digits as written: no sign, no leading zero.
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0') ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (errno != 0) return std::nullopt;
  return v;
}

bool IsNewFile(const std::string& path, const CommitEntry& e) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && st.st_dev == e.Dev && st.st_ino == e.Ino;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string CommitJournalText(const std::vector<CommitEntry>& entries) {
  std::string text(kHeader, sizeof kHeader);  // with its NUL
  auto field = [&text](const std::string& value) {
    text += value;
    text += '\0';
  };
  for (const CommitEntry& e : entries) {
    field(e.Final);
    field(e.Temporary);
    field(e.Aside);
    field(std::to_string(e.Dev));
    field(std::to_string(e.Ino));
  }
  return text;
}

std::optional<std::vector<CommitEntry>> ParseCommitJournal(const std::string& text) {
  std::vector<std::string> fields;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\0', pos);
    if (end == std::string::npos) return std::nullopt;  // cut short
    fields.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  if (fields.empty() || fields[0] != kHeader || (fields.size() - 1) % 5 != 0) return std::nullopt;
  std::vector<CommitEntry> entries;
  for (size_t i = 1; i < fields.size(); i += 5) {
    CommitEntry e{fields[i], fields[i + 1], fields[i + 2], 0, 0};
    const auto dev = Number(fields[i + 3]);
    const auto ino = Number(fields[i + 4]);
    if (!dev || !ino || e.Final.empty() || e.Final.front() != '/' ||
        FileNamePart(e.Final).empty() || !Temporary(e.Temporary, e.Final) ||
        (!e.Aside.empty() && !Temporary(e.Aside, e.Final)) || e.Aside == e.Temporary) {
      return std::nullopt;
    }
    e.Dev = static_cast<dev_t>(*dev);
    e.Ino = static_cast<ino_t>(*ino);
    entries.push_back(std::move(e));
  }
  return entries;
}

bool CommitComplete(const std::vector<CommitEntry>& entries) {
  for (const CommitEntry& e : entries) {
    if (!IsNewFile(e.Final, e)) return false;
  }
  return true;
}

void RollBackCommit(const std::vector<CommitEntry>& entries) noexcept {
  for (size_t k = entries.size(); k-- > 0;) {
    const CommitEntry& e = entries[k];
    if (IsNewFile(e.Final, e)) ::unlink(e.Final.c_str());
    if (IsNewFile(e.Temporary, e)) ::unlink(e.Temporary.c_str());
    if (!e.Aside.empty() && Exists(e.Aside) && !Exists(e.Final)) {
      ::renameat2(AT_FDCWD, e.Aside.c_str(), AT_FDCWD, e.Final.c_str(), RENAME_NOREPLACE);
    }
  }
}

Recovery RecoverCommit(const std::string& folder) noexcept {
  try {
    const std::string journal = folder + "/" + kCommitJournalName;
    std::string text;
    try {
      text = ReadWholeFile(journal, 16 << 20);
    } catch (const FileError& e) {
      if (e.Errno() == ENOENT) return Recovery::NoJournal;
      ::unlink(journal.c_str());
      return Recovery::RolledBack;
    }
    const auto entries = ParseCommitJournal(text);
    Recovery done = Recovery::RolledBack;
    if (entries && CommitComplete(*entries)) {
      for (const CommitEntry& e : *entries) {
        if (!e.Aside.empty()) ::unlink(e.Aside.c_str());
      }
      done = Recovery::Finished;
    } else if (entries) {
      RollBackCommit(*entries);
    }
    ::unlink(journal.c_str());
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      const bool synced = ::fsync(fd) == 0;
      (void)synced;
      ::close(fd);
    }
    return done;
  } catch (const std::exception&) {
    return Recovery::NoJournal;
  }
}

void RecoverInterruptedCommits(const std::string& workDir) noexcept {
  if (workDir.empty()) return;
  DIR* dir = ::opendir(workDir.c_str());
  if (dir == nullptr) return;
  try {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string folder = workDir + "/" + name;
      struct stat st {};
      if (::lstat((folder + "/" + kCommitJournalName).c_str(), &st) != 0) continue;
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) continue;
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) RecoverCommit(folder);
      ::close(fd);
    }
  } catch (const std::exception&) {
  }
  ::closedir(dir);
}

}  // namespace varnel
