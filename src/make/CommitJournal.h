// The journal that makes a making run's commit one step even when the process is killed
// half way through it.
//
// A commit moves each old output aside (to a temporary name in its own folder) and then
// gives the new file its name; no rename ever replaces a file, so nothing forces the new
// data to the device. Before the first rename the journal, naming every output's final,
// new (temporary) and aside names and the new file's device and inode, is written and
// flushed into the locked folder of the made files; after the last rename it is removed.
// A journal found later marks a commit that was interrupted: RecoverCommit finishes it when
// every new file already has its final name, and otherwise rolls it back (each new file
// removed, each old file given its name again), so that a reader sees either the whole old
// set or the whole new set. Recovery touches only names in the output's own folder that
// carry the run's temporary prefix, and a final name only when it holds the journal's own
// new file.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace varnel {

// The name of the journal in the folder of the made files.
inline constexpr const char* kCommitJournalName = ".varnel-commit";
// The prefix of every temporary name a making run gives a file.
inline constexpr const char* kTemporaryPrefix = ".varnel-make-";

struct CommitEntry {
  std::string Final;      // absolute
  std::string Temporary;  // the new file's name until it takes Final's
  std::string Aside;      // where the old file goes; empty when there is none
  dev_t Dev = 0;          // the new file
  ino_t Ino = 0;
};

// The journal's bytes, and the entries read back from them; nothing for bytes that are no
// journal or name a file recovery may not touch (see above).
std::string CommitJournalText(const std::vector<CommitEntry>& entries);
std::optional<std::vector<CommitEntry>> ParseCommitJournal(const std::string& text);

// Every new file in place: the commit only has to forget the old files.
bool CommitComplete(const std::vector<CommitEntry>& entries);
// Undoes the renames of `entries`, last first, as far as they were done.
void RollBackCommit(const std::vector<CommitEntry>& entries) noexcept;

enum class Recovery { NoJournal, Finished, RolledBack };
// Finishes or rolls back the commit whose journal is in `folder` and removes the journal;
// the caller holds the folder's lock. A journal that cannot be read is removed untouched.
Recovery RecoverCommit(const std::string& folder) noexcept;
// The same for every folder of made files in `workDir` that holds a journal and is not
// locked by a live run (the next load of a layout, varnel-cli make).
void RecoverInterruptedCommits(const std::string& workDir) noexcept;

}  // namespace varnel
