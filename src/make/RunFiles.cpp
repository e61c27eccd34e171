#include "make/RunFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "make/CommitJournal.h"
#include "make/MakeJob.h"
#include "make/MakeMessages.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

RunFiles::RunFiles() {
  Tag_ = Hex(static_cast<uint64_t>(::getpid()));
  Tag_.insert(Tag_.begin(), 'p');
  Random_.seed(RandomBits());
}

RunFiles::~RunFiles() {
  for (const OutputFile& out : Outputs_) {
    if (!out.Temporary.empty()) ::unlink(out.Temporary.c_str());
  }
  RemoveFiles(Replaced_);
  if (LockFd_ >= 0) ::close(LockFd_);
  // A run that committed nothing leaves no folder of its own behind (only empty ones go).
  for (const std::string& folder : Created_) ::rmdir(folder.c_str());
}

void RunFiles::AddInput(const std::string& path) {
  if (!path.empty()) Inputs_.push_back(path);
}

size_t RunFiles::AddOutput(const std::string& path, const std::string& failMessage) {
  Outputs_.push_back({path, failMessage, {}});
  return Outputs_.size() - 1;
}

void RunFiles::Fail(size_t output, const std::string& detail) const {
  throw TrackFailure(Outputs_[output].FailMessage, detail);
}

void RunFiles::Guard() {
  std::vector<FileIdentity> inputs;
  InputIds_.clear();
  for (const std::string& path : Inputs_) {
    inputs.push_back(FileIdentity::Of(path));
    if (inputs.back().Exists) InputIds_.push_back({inputs.back().Dev, inputs.back().Ino});
  }
  std::vector<FileIdentity> outputs;
  for (size_t k = 0; k < Outputs_.size(); ++k) {
    const FileIdentity out = FileIdentity::Of(Outputs_[k].Path);
    struct stat st {};
    if (::lstat(out.Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      Fail(k, "\"" + out.Path + "\" is a folder");
    }
    if (const FileIdentity* in = SameFileAmong(out, inputs)) {
      Fail(k, "\"" + out.Path + "\" is \"" + in->Path + "\", a file that this run reads");
    }
    if (const FileIdentity* earlier = SameFileAmong(out, outputs)) {
      Fail(k, "\"" + out.Path + "\" and \"" + earlier->Path + "\" are one file");
    }
    outputs.push_back(out);
  }
}

void RunFiles::LockFolder(const std::string& folder, const std::string& failMessage,
                          const std::string& busyMessage) {
  struct stat link {};
  if (::lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    throw TrackFailure(LinkedFolderMessage(folder));
  }
  // The folders this run creates, deepest first: a run that commits nothing removes them.
  std::vector<std::string> missing;
  for (std::string at = NormalAbsolutePath(folder); !at.empty() && at != "/"; at = FolderOf(at)) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) == 0) break;
    missing.push_back(at);
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    throw TrackFailure(failMessage, "cannot create the folder \"" + folder + "\": " + ec.message());
  }
  Created_ = std::move(missing);
  int fd;
  do {
    // Never through a link: one made in the meantime is refused as one found above.
    fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0 && (errno == ELOOP || errno == ENOTDIR) && ::lstat(folder.c_str(), &link) == 0 &&
      S_ISLNK(link.st_mode)) {
    throw TrackFailure(LinkedFolderMessage(folder));
  }
  if (fd < 0) throw TrackFailure(failMessage, FileError("cannot open", folder, errno).what());
  if (LockFd_ >= 0) ::close(LockFd_);
  LockFd_ = fd;
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    if (errno == EWOULDBLOCK) {
      throw TrackFailure(busyMessage, "\"" + folder + "\" is locked by another run");
    }
    return;  // a file system without locks: the run goes on unlocked, and removes nothing
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) return;
  // Every run that holds this lock names its temporary files with the folder's identity, so
  // files with that tag belong to no live run.
  Tag_ = Hex(st.st_dev) + "-" + Hex(st.st_ino);
  Locked_ = true;
  LockedFolder_ = AbsolutePath(folder);
  // A commit that a killed run left half done is finished or rolled back before its
  // temporary files, old files among them, count as left over.
  RecoverCommit(LockedFolder_);
  Cleaned_.insert(ResolvedName(folder));
  RemoveLeftovers(folder);
}

void RunFiles::RemoveLeftovers(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = kTemporaryPrefix + Tag_ + "-";
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
    bool input = false;
    for (const FileId& id : InputIds_)
      input = input || (id.Dev == st.st_dev && id.Ino == st.st_ino);
    if (!input) ::unlink(path.c_str());
  }
  ::closedir(dir);
}

std::string RunFiles::TemporaryName(const std::string& folder) {
  return folder + "/" + kTemporaryPrefix + Tag_ + "-" + Hex(Random_() & 0xffffffffffu);
}

void RunFiles::Write(size_t output, const std::function<void(PosixFile&)>& fill) {
  PosixFile file = Open(output);
  Fill(output, file, fill);
}

PosixFile RunFiles::Open(size_t output) {
  OutputFile& out = Outputs_[output];
  const std::string folder = FolderOrCurrent(out.Path);
  if (Locked_ && Cleaned_.insert(ResolvedName(folder)).second) {
    RemoveLeftovers(folder);
  }
  try {
    std::error_code ec;
    fs::create_directories(folder, ec);  // a sheet's folder may be new
    if (ec) throw FileError("cannot create the folder", folder, ec.value());
    PosixFile file;
    for (int attempt = 0; !file.IsOpen(); ++attempt) {
      try {
        file = PosixFile::CreateExclusive(TemporaryName(folder));
      } catch (const FileError& e) {
        if (e.Errno() != EEXIST || attempt >= 100) throw;
      }
    }
    out.Temporary = file.Path();
    struct stat old {};
    if (::lstat(out.Path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
      // Where the file system allows it; a file system without them still gets the file.
      if (::fchmod(file.Fd(), old.st_mode & 07777) != 0 ||
          ::fchown(file.Fd(), old.st_uid, old.st_gid) != 0) {
      }
    }
    return file;
  } catch (const TrackFailure&) {
    throw;
  } catch (const std::exception& e) {
    Fail(output, e.what());
  }
}

void RunFiles::Fill(size_t output, PosixFile& file,
                    const std::function<void(PosixFile&)>& fill) const {
  try {
    fill(file);
    file.Close();
  } catch (const TrackFailure&) {
    throw;
  } catch (const std::exception& e) {
    Fail(output, e.what());
  }
}

void RunFiles::Commit() {
  for (size_t k = 0; k < Outputs_.size(); ++k) {
    if (Outputs_[k].Temporary.empty()) Fail(k, "\"" + Outputs_[k].Path + "\" was not written");
  }
  if (Locked_) {
    CommitWithJournal();
  } else {
    CommitByExchange();
  }
}

void RunFiles::CommitWithJournal() {
  std::vector<CommitEntry> entries;
  for (size_t k = 0; k < Outputs_.size(); ++k) {
    const OutputFile& out = Outputs_[k];
    CommitEntry e;
    e.Final = AbsolutePath(out.Path);
    e.Temporary = AbsolutePath(out.Temporary);
    struct stat st {};
    if (::lstat(out.Temporary.c_str(), &st) != 0)
      Fail(k, FileError("cannot find", out.Temporary, errno).what());
    e.Dev = st.st_dev;
    e.Ino = st.st_ino;
    if (::lstat(out.Path.c_str(), &st) == 0)
      e.Aside = AbsolutePath(TemporaryName(FolderOrCurrent(out.Path)));
    entries.push_back(std::move(e));
  }
  const std::string journal = LockedFolder_ + "/" + kCommitJournalName;
  try {
    // The journal is on the device before the first rename.
    const std::string text = CommitJournalText(entries);
    std::string name;
    PosixFile file;
    for (int attempt = 0; !file.IsOpen(); ++attempt) {
      try {
        name = TemporaryName(LockedFolder_);
        file = PosixFile::CreateExclusive(name, 0600);
      } catch (const FileError& e) {
        if (e.Errno() != EEXIST || attempt >= 100) throw;
      }
    }
    try {
      file.WriteAll(text.data(), text.size());
      file.Sync();
      file.Close();
      if (::renameat2(AT_FDCWD, name.c_str(), AT_FDCWD, journal.c_str(), RENAME_NOREPLACE) != 0) {
        throw FileError("cannot create", journal, errno);
      }
    } catch (...) {
      ::unlink(name.c_str());
      throw;
    }
    if (::fsync(LockFd_) != 0) throw FileError("cannot flush", LockedFolder_, errno);
  } catch (const FileError& e) {
    Fail(0, e.what());
  }

  // Each old file aside, then the new one in its place: no rename replaces a file.
  size_t renames = 0;
  auto rename = [&](const std::string& from, const std::string& to) {
    if (RenameHook) RenameHook(renames);
    ++renames;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    // A file system that cannot promise not to replace: the name is free all the same.
    const int err = errno;
    struct stat st {};
    if (err == EINVAL && ::lstat(to.c_str(), &st) != 0 && ::rename(from.c_str(), to.c_str()) == 0) {
      return 0;
    }
    return err == EINVAL ? errno : err;
  };
  for (size_t k = 0; k < entries.size(); ++k) {
    const CommitEntry& e = entries[k];
    int err = e.Aside.empty() ? 0 : rename(e.Final, e.Aside);
    if (err == 0) err = rename(e.Temporary, e.Final);
    if (err != 0) {
      RollBackCommit(entries);
      ::unlink(journal.c_str());
      Fail(k,
           "cannot put \"" + e.Temporary + "\" in place of \"" + e.Final + "\": " + ErrnoText(err));
    }
  }
  if (RenameHook) RenameHook(renames);
  Created_.clear();
  ::unlink(journal.c_str());
  const bool synced = ::fsync(LockFd_) == 0;  // the commit is kept once this returns
  (void)synced;
  for (size_t k = 0; k < entries.size(); ++k) {
    if (!entries[k].Aside.empty()) Replaced_.push_back(entries[k].Aside);
    Outputs_[k].Temporary.clear();
  }
}

void RunFiles::CommitByExchange() {
  enum class Placed { New, Exchanged, Replaced };
  std::vector<Placed> placed;
  auto rollBack = [&] {
    for (size_t j = placed.size(); j-- > 0;) {
      OutputFile& out = Outputs_[j];
      if (placed[j] == Placed::Exchanged) {
        ::renameat2(AT_FDCWD, out.Temporary.c_str(), AT_FDCWD, out.Path.c_str(), RENAME_EXCHANGE);
      } else if (placed[j] == Placed::New) {
        ::rename(out.Path.c_str(), out.Temporary.c_str());
      }
    }
  };
  for (size_t k = 0; k < Outputs_.size(); ++k) {
    OutputFile& out = Outputs_[k];
    const char* from = out.Temporary.c_str();
    const char* to = out.Path.c_str();
    // An exchange replaces the old file in one step and keeps it, under the temporary
    // name, until every output is in place. (A plain rename over a file that was just
    // written would also make the file system write it out at once.)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
      placed.push_back(Placed::Exchanged);
      continue;
    }
    int err = errno;
    if (err == ENOENT || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
      // Nothing there to exchange with, or a file system that cannot exchange.
      struct stat st {};
      const bool existed = ::lstat(to, &st) == 0;
      if (::rename(from, to) == 0) {
        placed.push_back(existed ? Placed::Replaced : Placed::New);
        continue;
      }
      err = errno;
    }
    rollBack();
    Fail(k, "cannot put \"" + out.Temporary + "\" in place of \"" + out.Path +
                "\": " + ErrnoText(err));
  }
  for (size_t k = 0; k < Outputs_.size(); ++k) {
    // An exchanged output's temporary name holds the old file now; the others have none.
    if (placed[k] == Placed::Exchanged) Replaced_.push_back(Outputs_[k].Temporary);
    Outputs_[k].Temporary.clear();
  }
  Created_.clear();
}

void RemoveFiles(const std::vector<std::string>& paths) noexcept {
  for (const std::string& path : paths) ::unlink(path.c_str());
}

void RemoveFilesDetached(const std::vector<std::string>& paths, int64_t worthAProcess) noexcept {
  int64_t bytes = 0;
  for (const std::string& path : paths) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) bytes += st.st_size;
  }
  if (paths.empty() || bytes < worthAProcess) {
    RemoveFiles(paths);
    return;
  }
  // Everything the processes below use is made now: between fork and exec-less _exit only
  // async-signal-safe calls are allowed.
  std::vector<const char*> names;
  try {
    for (const std::string& path : paths) names.push_back(path.c_str());
  } catch (...) {
    RemoveFiles(paths);
    return;
  }
  const pid_t starter = ::fork();
  if (starter == 0) {
    // A new session, and a grandchild that init adopts: nobody waits for the remover.
    ::setsid();
    const pid_t remover = ::fork();
    if (remover == 0) {
      const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
      for (int fd = 0; fd <= 2; ++fd) {
        if (null >= 0) ::dup2(null, fd);
      }
      ::close_range(3, ~0U, 0);
      for (const char* name : names) ::unlink(name);
      ::_exit(0);
    }
    ::_exit(remover > 0 ? 0 : 1);
  }
  int status = 0;
  bool started = false;
  if (starter > 0) {
    pid_t waited;
    do {
      waited = ::waitpid(starter, &status, 0);
    } while (waited < 0 && errno == EINTR);
    started = waited == starter && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  if (!started) RemoveFiles(paths);
}

}  // namespace varnel
