// The files of a run: outputs written under temporary names and put in place together, or
// not at all; the lock of a folder of made files.
#include "make/RunFiles.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

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

}  // namespace
}  // namespace varnel
