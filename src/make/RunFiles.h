// Every file a making run reads and every file it writes, and the writing itself, so that a
// run either puts all of its outputs in place or changes nothing:
//
// - The guard. Before anything is written, no output may be a file that the run or its
//   layout reads: not by name (".", "..", doubled "/" and symbolic links resolved, also a
//   link that points nowhere yet) and not by identity (same device and inode, links
//   followed both ways). No two outputs may be one file, and no output may be a folder.
// - Outputs are written under temporary names in their final folders, created exclusively
//   (never through a link or over an existing file), and put in place only by Commit, all
//   together. Until then, and on any failure or cancellation, every existing file stays
//   exactly as it was: the destructor removes what was not committed. The old files the
//   outputs replaced are kept under temporary names until the caller has reported the
//   outcome (TakeReplaced), because the kernel can take a good while to free hundreds of
//   megabytes; the destructor removes those not taken.
// - In a locked folder the commit is journaled (make/CommitJournal.h): old files move aside
//   before the new ones take their names, so no rename replaces a file, and a run killed
//   between two renames is finished or rolled back by the next run or the next load of a
//   layout. Elsewhere (a Test run writes only its sheets) each output replaces its old file
//   in one step (an exchange of names).
// - Only the small journal is flushed to the device: the page cache holds the run's files as
//   it holds any others written, and nothing makes the file system write them out early.
// - One run per folder: LockFolder holds an advisory lock (flock) on the folder of the made
//   files for the life of the object; a second run fails at once. A run killed outright
//   leaves only temporary files, which the next run that locks the folder removes.
//
// Every failure throws TrackFailure with the fail message of the output involved and the
// reason (the system's error text and the path) as its detail.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/FileIdentity.h"
#include "model/PosixFile.h"

namespace varnel {

class RunFiles {
 public:
  RunFiles();
  // Removes every temporary file that was not committed and releases the lock.
  ~RunFiles();
  RunFiles(const RunFiles&) = delete;
  RunFiles& operator=(const RunFiles&) = delete;

  // A file the run or its layout reads; it may be missing. Empty paths are ignored.
  void AddInput(const std::string& path);
  // A file the run writes, with the message that fails the run when it cannot be written.
  // Returns the output's index.
  size_t AddOutput(const std::string& path, const std::string& failMessage);

  size_t OutputCount() const { return Outputs_.size(); }
  const std::string& OutputPath(size_t output) const { return Outputs_[output].Path; }
  const std::string& FailMessage(size_t output) const { return Outputs_[output].FailMessage; }

  // The guard (above). Writes nothing.
  void Guard();

  // Creates `folder` with its missing parents (failing with `failMessage`) and locks it;
  // fails with `busyMessage` when another run holds it, and with LinkedFolderMessage when
  // `folder` is a symbolic link (it is never followed). Then finishes or rolls back a commit
  // a killed run left half done, and removes the temporary files killed runs left behind.
  // The folders created here are removed again (when empty) unless the run commits.
  void LockFolder(const std::string& folder, const std::string& failMessage,
                  const std::string& busyMessage);

  // Writes output `output` under a temporary name in its folder (created when missing):
  // `fill` writes the new, empty file (and may close it); it is closed afterwards. A
  // replaced file's permission bits carry over.
  void Write(size_t output, const std::function<void(PosixFile&)>& fill);
  // Write in two steps, so that several outputs can be filled at once: Open creates the
  // temporary file (on the run's thread, one output at a time); Fill runs `fill` on it and
  // closes it, and may run on any thread, for different outputs at the same time. Both
  // fail as Write does.
  PosixFile Open(size_t output);
  void Fill(size_t output, PosixFile& file, const std::function<void(PosixFile&)>& fill) const;

  // Puts every written output in place, in the order they were added. When one cannot be,
  // those already placed are put back as they were, as far as the file system allows. In a
  // locked folder the commit is journaled (make/CommitJournal.h): a kill at any moment
  // leaves the whole old set or the whole new set once the next run, or the next load of a
  // layout, has seen the journal.
  void Commit();

  // For tests: called before each rename of a journaled commit with the number of renames
  // done, and once more after the last.
  std::function<void(size_t renames)> RenameHook;

  // The old files that committed outputs replaced, now under temporary names in their
  // folders; from here the caller removes them (RemoveFiles, RemoveFilesDetached).
  std::vector<std::string> TakeReplaced() { return std::move(Replaced_); }

 private:
  struct OutputFile {
    std::string Path;
    std::string FailMessage;
    std::string Temporary;  // empty until written, and again once committed
  };
  struct FileId {
    dev_t Dev = 0;
    ino_t Ino = 0;
  };

  [[noreturn]] void Fail(size_t output, const std::string& detail) const;
  std::string TemporaryName(const std::string& folder);
  void RemoveLeftovers(const std::string& folder);
  void CommitWithJournal();
  void CommitByExchange();

  std::vector<std::string> Inputs_;
  std::vector<FileId> InputIds_;
  std::vector<OutputFile> Outputs_;
  int LockFd_ = -1;
  bool Locked_ = false;
  std::string LockedFolder_;          // absolute
  std::vector<std::string> Created_;  // by LockFolder, deepest first; kept once committed
  std::string Tag_;  // marks this run's temporary names; the locked folder's identity
  std::set<std::string> Cleaned_;
  std::mt19937_64 Random_;
  std::vector<std::string> Replaced_;
};

// Removes the files; failures are ignored (another run may be removing them too).
void RemoveFiles(const std::vector<std::string>& paths) noexcept;
// The same in a process of its own that the caller does not wait for (it holds none of the
// caller's open files, so a pipe from the caller ends when the caller does), when the files
// hold at least `worthAProcess` bytes; smaller ones, and all of them when no process can be
// started, are removed before this returns. Only for a process with no other thread.
inline constexpr int64_t kRemoveInOwnProcessBytes = int64_t{64} << 20;
void RemoveFilesDetached(const std::vector<std::string>& paths,
                         int64_t worthAProcess = kRemoveInOwnProcessBytes) noexcept;

}  // namespace varnel
