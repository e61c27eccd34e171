// The files of a run: outputs written under temporary names and put in place together, or
// not at all; the lock of a folder of made files.
#include "make/RunFiles.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "make/CommitJournal.h"
#include "support/MakeFixtures.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

size_t Entries(const std::string& folder) {
  size_t n = 0;
  for (auto it = fs::directory_iterator(folder); it != fs::directory_iterator(); ++it) ++n;
  return n;
}

void Put(RunFiles& files, size_t output, const std::string& text) {
  files.Write(output, [&text](PosixFile& out) { out.WriteAll(text.data(), text.size()); });
}

TEST(RunFilesTest, CommitPutsEveryOutputInPlaceAndNothingBefore) {
  TempDir dir;
  test::WriteText(dir / "old.wav", "old");
  ASSERT_EQ(::chmod((dir / "old.wav").c_str(), 0640), 0);
  test::WriteText(dir / "target", "keep");
  fs::create_symlink(dir / "target", dir / "link.wav");
  {
    RunFiles files;
    for (const char* name : {"old.wav", "link.wav", "new.wav"}) files.AddOutput(dir / name, name);
    files.Guard();
    for (size_t i = 0; i < 3; ++i) Put(files, i, "new" + std::to_string(i));
    EXPECT_EQ(test::ReadText(dir / "old.wav"), "old");
    EXPECT_FALSE(fs::exists(dir / "new.wav"));
    files.Commit();
  }
  EXPECT_EQ(test::ReadText(dir / "old.wav"), "new0");
  EXPECT_EQ(fs::status(dir / "old.wav").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // A link among the outputs is replaced itself; the file it named is kept.
  EXPECT_FALSE(fs::is_symlink(dir / "link.wav"));
  EXPECT_EQ(test::ReadText(dir / "link.wav"), "new1");
  EXPECT_EQ(test::ReadText(dir / "target"), "keep");
  EXPECT_EQ(test::ReadText(dir / "new.wav"), "new2");
  EXPECT_EQ(Entries(dir.Path()), 4u);  // no temporary file left
}

TEST(RunFilesTest, ReplacedFilesOutliveTheRunUntilRemoved) {
  TempDir dir;
  test::WriteText(dir / "a.wav", "old a");
  test::WriteText(dir / "b.wav", "old b");
  std::vector<std::string> replaced;
  {
    RunFiles files;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) files.AddOutput(dir / name, name);
    files.Guard();
    for (size_t i = 0; i < 3; ++i) Put(files, i, "new");
    files.Commit();
    replaced = files.TakeReplaced();
  }
  std::vector<std::string> old;
  for (const std::string& path : replaced) old.push_back(test::ReadText(path));
  std::sort(old.begin(), old.end());
  EXPECT_EQ(old, (std::vector<std::string>{"old a", "old b"}));
  // Removed by a process of their own, which this one does not wait for.
  RemoveFilesDetached(replaced, 0);
  for (int i = 0; i < 500 && Entries(dir.Path()) != 3u; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(Entries(dir.Path()), 3u);
  EXPECT_EQ(test::ReadText(dir / "a.wav"), "new");
}

TEST(RunFilesTest, FailedWriteLeavesNothingBehind) {
  struct Case {
    const char* Name;
    std::function<void(PosixFile&)> Fill;
    std::string Detail;
  };
  const std::vector<Case> cases = {
      {"a failing write",
       [](PosixFile& out) { throw FileError("cannot write", out.Path(), ENOSPC); },
       "No space left on device"},
      {"a write past the file size limit",
       [](PosixFile& out) {
         // Ignored SIGXFSZ: the write fails with EFBIG instead of killing the process.
         struct rlimit old {};
         ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
         struct rlimit low = old;
         low.rlim_cur = 4096;
         const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
         ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
         const std::string big(10000, 'x');
         try {
           out.WriteAll(big.data(), big.size());
         } catch (...) {
           ::setrlimit(RLIMIT_FSIZE, &old);
           ::signal(SIGXFSZ, oldHandler);
           throw;
         }
         ::setrlimit(RLIMIT_FSIZE, &old);
         ::signal(SIGXFSZ, oldHandler);
       },
       "File too large"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    test::WriteText(dir / "a.wav", "old");
    {
      RunFiles files;
      files.AddOutput(dir / "a.wav", "message of a.wav");
      Put(files, files.AddOutput(dir / "b.wav", "message of b.wav"), "b");
      try {
        files.Write(0, c.Fill);
        ADD_FAILURE() << c.Name << ": no failure";
      } catch (const TrackFailure& failure) {
        EXPECT_STREQ(failure.what(), "message of a.wav") << c.Name;
        EXPECT_NE(failure.Detail().find(c.Detail), std::string::npos) << failure.Detail();
      }
    }
    EXPECT_EQ(test::ReadText(dir / "a.wav"), "old") << c.Name;
    EXPECT_EQ(Entries(dir.Path()), 1u) << c.Name;
  }
}

TEST(RunFilesTest, OutputThatCannotBePutInPlaceBringsBackTheOthers) {
  TempDir dir;
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  test::WriteText(dir / "a/x.wav", "old");
  {
    RunFiles files;
    Put(files, files.AddOutput(dir / "a/x.wav", "x"), "new x");
    Put(files, files.AddOutput(dir / "a/y.wav", "y"), "new y");
    Put(files, files.AddOutput(dir / "b/z.cue", "z"), "new z");
    fs::rename(dir / "b", dir / "gone");  // the last one's temporary file goes with it
    try {
      files.Commit();
      ADD_FAILURE() << "committed";
    } catch (const TrackFailure& failure) {
      EXPECT_STREQ(failure.what(), "z");
    }
  }
  EXPECT_EQ(test::ReadText(dir / "a/x.wav"), "old");
  EXPECT_EQ(Entries(dir / "a"), 1u);
}

TEST(RunFilesTest, FolderThatCannotBeMadeFailsWithTheGivenMessage) {
  TempDir dir;
  test::WriteText(dir / "plain", "x");
  RunFiles files;
  try {
    files.LockFolder(dir / "plain/disc", "cannot", "busy");
    ADD_FAILURE() << "locked";
  } catch (const TrackFailure& failure) {
    EXPECT_STREQ(failure.what(), "cannot");
    EXPECT_NE(failure.Detail().find(dir / "plain/disc"), std::string::npos) << failure.Detail();
  }
  EXPECT_EQ(test::ReadText(dir / "plain"), "x");
}

TEST(RunFilesTest, OneRunAtATimePerFolder) {
  TempDir dir;
  auto first = std::make_unique<RunFiles>();
  first->LockFolder(dir / "work/disc", "cannot", "busy");
  RunFiles second;
  EXPECT_THROW(second.LockFolder(dir / "work/disc", "cannot", "busy"), TrackFailure);
  // Another name of the same folder is the same folder.
  fs::create_directory_symlink(dir / "work", dir / "alias");
  EXPECT_THROW(second.LockFolder(dir / "alias/disc", "cannot", "busy"), TrackFailure);
  RunFiles other;
  EXPECT_NO_THROW(other.LockFolder(dir / "work/other", "cannot", "busy"));
  first.reset();  // the first run has ended
  EXPECT_NO_THROW(second.LockFolder(dir / "work/disc", "cannot", "busy"));
}

// Every file under `root` with its text (a folder as "folder").
std::map<std::string, std::string> Files(const std::string& root) {
  std::map<std::string, std::string> all;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    all[entry.path()] = entry.is_directory() ? "folder" : test::ReadText(entry.path());
  }
  return all;
}

// A run killed between any two renames of its commit: the next run into the folder, or the
// next load of a layout (which recovers every folder of the work folder), rolls the commit
// back to the whole old set, or finishes it when every new file already had its name.
TEST(RunFilesTest, KillBetweenRenamesLeavesAWholeSetOnceRecovered) {
  // Outputs: two made files (one replaces an old one) and a sheet in another folder; five
  // renames: old Track01 aside, new Track01, new Track02, old sheet aside, new sheet.
  const size_t kRenames = 5;
  enum class By { NextRun, Recovery };
  for (const By by : {By::NextRun, By::Recovery}) {
    for (size_t killedAt = 0; killedAt <= kRenames; ++killedAt) {
      TempDir dir;
      const std::string made = dir / "work/disc";
      fs::create_directories(made);
      fs::create_directories(dir / "Discs");
      test::WriteText(made + "/Track01.wav", "old 1");
      test::WriteText(dir / "Discs/disc.cue", "old sheet");
      const auto oldSet = Files(dir.Path());
      const std::vector<std::string> outputs = {made + "/Track01.wav", made + "/Track02.wav",
                                                dir / "Discs/disc.cue"};
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        RunFiles files;
        for (const std::string& out : outputs) files.AddOutput(out, "fail");
        files.Guard();
        files.LockFolder(made, "fail", "busy");
        for (size_t i = 0; i < outputs.size(); ++i) Put(files, i, "new " + std::to_string(i));
        files.RenameHook = [killedAt](size_t renames) {
          if (renames == killedAt) ::raise(SIGKILL);
        };
        files.Commit();
        ::_exit(0);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << killedAt;
      ASSERT_TRUE(fs::exists(made + "/.varnel-commit")) << killedAt;

      if (by == By::NextRun) {
        RunFiles next;
        next.LockFolder(made, "fail", "busy");
        next.Write(next.AddOutput(dir / "Discs/other.cue", "fail"), [](PosixFile&) {});
      } else {
        RecoverInterruptedCommits(dir / "work");
      }
      const std::string why = "killed at rename " + std::to_string(killedAt) + " recovered by " +
                              (by == By::NextRun ? "the next run" : "a load");
      if (killedAt < kRenames) {
        EXPECT_EQ(Files(dir.Path()), oldSet) << why;
      } else {
        EXPECT_EQ(Files(dir.Path()),
                  (std::map<std::string, std::string>{{dir / "Discs", "folder"},
                                                      {dir / "Discs/disc.cue", "new 2"},
                                                      {dir / "work", "folder"},
                                                      {made, "folder"},
                                                      {made + "/Track01.wav", "new 0"},
                                                      {made + "/Track02.wav", "new 1"}}))
            << why;
      }
    }
  }
}

}  // namespace
}  // namespace varnel
