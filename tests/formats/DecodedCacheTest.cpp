// The decode cache (each format's entry is checked in AudioDecoderTest): staleness after every
// kind of change to the source, damaged entries, and what a killed, canceled, failed or
// concurrent decode leaves.
#include "formats/audio/DecodedCache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "formats/audio/InputChecks.h"
#include "formats/audio/WaveHeader.h"
#include "support/AudioTools.h"

namespace varnel {
namespace {

using test::Command;
namespace fs = std::filesystem;

const Command kTone = {"sox",   "-n", "-r",   "44100", "-c",   "2",   "-b",   "16", "@t.wav",
                       "synth", "3",  "sine", "440",   "sine", "663", "gain", "-3"};

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// An entry's file name and that of the file beside it naming its source.
std::vector<std::string> Named(const std::string& entry) {
  const std::string name = fs::path(entry).filename();
  return {name, name + ".src"};
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

void SetTimes(const std::string& path, const struct stat& st) {
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Writes `bytes` over the file at `offset` in place, keeping its size and times.
void PatchKeepingTimes(const std::string& path, int64_t offset, const std::vector<uint8_t>& bytes) {
  const struct stat before = StatOf(path);
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  const int64_t at = offset >= 0 ? offset : before.st_size + offset;
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), at), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
  SetTimes(path, before);
}

class DecodedCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string t = test::MissingTool({"sox", "flac"}); !t.empty()) GTEST_SKIP() << t;
    ASSERT_TRUE(test::RunAll(
        {kTone, {"flac", "--silent", "-o", "@a.flac", "@t.wav"}, {"sox", "@t.wav", "@a.aiff"}},
        Dir.Path()));
  }
  std::string Folder() const { return Dir / "cache"; }

  test::TempDir Dir;
};

// ---- staleness -------------------------------------------------------------------------

struct ChangeRow {
  std::string Name;
  std::function<void(const std::string&)> Change;
};

void PrintTo(const ChangeRow& r, std::ostream* os) {
  *os << r.Name;
}

class SourceChanges : public DecodedCacheTest, public ::testing::WithParamInterface<ChangeRow> {};

TEST_P(SourceChanges, MakeTheOldEntryStaleAndARedecodeReplacesIt) {
  DecodedCache cache(Folder());
  const std::string source = Dir / "a.aiff";
  const DecodedEntry old = cache.Decode(source);
  GetParam().Change(source);

  EXPECT_FALSE(cache.Lookup(source));
  const DecodedEntry fresh = cache.Decode(source);
  EXPECT_NE(fresh.Path, old.Path);
  EXPECT_EQ(cache.Lookup(source)->Path, fresh.Path);
  // The old version's entry is gone; only the new one is left.
  EXPECT_EQ(FilesIn(Folder()), Named(fresh.Path));
}

INSTANTIATE_TEST_SUITE_P(Rows, SourceChanges,
                         ::testing::Values(
                             // Sample bytes near the start and near the end, size and times kept.
                             ChangeRow{"HeadContent",
                                       [](const std::string& p) {
                                         PatchKeepingTimes(p, 2000, {1, 2, 3, 4});
                                       }},
                             ChangeRow{"TailContent",
                                       [](const std::string& p) {
                                         PatchKeepingTimes(p, -400, {1, 2, 3, 4});
                                       }},
                             ChangeRow{"ModificationTime",
                                       [](const std::string& p) {
                                         struct stat st = StatOf(p);
                                         st.st_mtim.tv_sec -= 3600;
                                         SetTimes(p, st);
                                       }},
                             ChangeRow{"Size",
                                       [](const std::string& p) {
                                         const struct stat st = StatOf(p);
                                         ASSERT_EQ(::truncate(p.c_str(), st.st_size + 4), 0);
                                         SetTimes(p, st);
                                       }},
                             // Same bytes, same times, another file put in its place.
                             ChangeRow{"ReplacedByRename",
                                       [](const std::string& p) {
                                         const struct stat st = StatOf(p);
                                         test::WriteBytes(p + ".new", test::ReadBytes(p));
                                         SetTimes(p + ".new", st);
                                         ASSERT_EQ(::rename((p + ".new").c_str(), p.c_str()), 0);
                                       }}),
                         [](const auto& info) { return info.param.Name; });

// ---- damaged entries -------------------------------------------------------------------

TEST_F(DecodedCacheTest, ADamagedEntryIsNotReusedButDecodedAgain) {
  const struct {
    const char* Name;
    std::function<void(const std::string&)> Damage;
  } rows[] = {
      {"cut short", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 1000), 0); }},
      {"longer than declared",
       [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), StatOf(p).st_size + 4), 0); }},
      {"size field zero",
       [](const std::string& p) {
         PatchKeepingTimes(p, 40, {0, 0, 0, 0});
       }},
      {"mono header",
       [](const std::string& p) {
         PatchKeepingTimes(p, 22, {1, 0});
       }},
  };
  DecodedCache cache(Folder());
  const std::string source = Dir / "a.flac";
  const DecodedEntry good = cache.Decode(source);
  const std::vector<uint8_t> goodBytes = test::ReadBytes(good.Path);
  for (const auto& r : rows) {
    r.Damage(good.Path);
    EXPECT_FALSE(cache.Lookup(source)) << r.Name;
    const DecodedEntry again = cache.Decode(source);
    EXPECT_EQ(again.Path, good.Path) << r.Name;
    EXPECT_EQ(test::ReadBytes(again.Path), goodBytes) << r.Name;
  }
}

// ---- interrupted, failed and concurrent decodes -----------------------------------------

TEST_F(DecodedCacheTest, AKilledDecodeLeavesOnlyATemporaryFileThatIsNeverTaken) {
  const std::string source = Dir / "a.flac";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    DecodedCache cache(Folder());
    try {
      cache.Decode(source, [](double f) {
        if (f >= 0.5) ::raise(SIGKILL);
      });
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

  std::vector<std::string> left = FilesIn(Folder());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].rfind(".tmp-", 0), 0u) << left[0];
  DecodedCache cache(Folder());
  EXPECT_FALSE(cache.Lookup(source));

  // A day later the next decode clears it away.
  const std::string temp = Folder() + "/" + left[0];
  struct stat old = StatOf(temp);
  old.st_mtim.tv_sec -= 2 * 24 * 3600;
  SetTimes(temp, old);
  const DecodedEntry e = cache.Decode(source);
  EXPECT_EQ(FilesIn(Folder()), Named(e.Path));
}

TEST_F(DecodedCacheTest, CanceledFailedOrChangingDecodesLeaveNothing) {
  test::WriteText(Dir / "text.flac", "not audio\n");
  std::atomic<bool> cancel{false};
  DecodedCache cache(Folder());
  EXPECT_THROW(cache.Decode(
                   Dir / "a.flac", [&](double f) { cancel = f > 0.2; }, &cancel),
               DecodeCanceled);
  EXPECT_THROW(cache.Decode(Dir / "text.flac"), DecodeError);
  // The source changes under the decode: what was decoded belongs to neither version.
  try {
    cache.Decode(Dir / "a.flac", [&](double f) {
      if (f > 0.2 && f < 0.5) {
        struct stat st = StatOf(Dir / "a.flac");
        st.st_mtim.tv_sec += 10;
        SetTimes(Dir / "a.flac", st);
      }
    });
    ADD_FAILURE() << "kept a decode of a changing file";
  } catch (const DecodeError& e) {
    EXPECT_STREQ(e.what(), "the file changed while it was being decoded");
  }
  EXPECT_EQ(FilesIn(Folder()), std::vector<std::string>{});
  EXPECT_FALSE(cache.Lookup(Dir / "a.flac"));
}

TEST_F(DecodedCacheTest, ProcessesDecodingAtOnceShareOneCompleteEntry) {
  const std::string source = Dir / "a.flac";
  std::vector<pid_t> children;
  for (int i = 0; i < 3; ++i) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int rc = 1;
      try {
        DecodedCache cache(Folder());
        rc = cache.Decode(source).Info.DataSize == 3 * 44100 * 4 ? 0 : 2;
      } catch (...) {
      }
      ::_exit(rc);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  DecodedCache cache(Folder());
  const std::optional<DecodedEntry> e = cache.Lookup(source);
  ASSERT_TRUE(e);
  EXPECT_EQ(FilesIn(Folder()), Named(e->Path));
}

// ---- the limit -------------------------------------------------------------------------

// Four entries used in the order a, b, c, d (a the least recently), then trimmed: the least
// recently used go first, never one in use; a lookup counts as a use.
TEST_F(DecodedCacheTest, TrimRemovesTheLeastRecentlyUsedFirstAndNeverOneInUse) {
  const std::vector<std::string> names = {"a.flac", "b.flac", "c.flac", "d.flac"};
  for (const std::string& n : names) test::WriteBytes(Dir / n, test::ReadBytes(Dir / "a.flac"));
  const struct {
    const char* Name;
    int64_t LimitEntries;       // the limit, in entries
    std::vector<int> InUse;     // by index
    std::vector<int> LookedUp;  // used again, in this order, before the trim
    std::vector<int> Left;
    int KeptSince = 4;  // entries used at or after that of this index stay
  } rows[] = {
      {"AllFit", 4, {}, {}, {0, 1, 2, 3}},
      {"OldestTwoGo", 2, {}, {}, {2, 3}},
      {"InUseStays", 2, {0}, {}, {0, 3}},
      {"AllInUse", 0, {0, 1, 2, 3}, {}, {0, 1, 2, 3}},
      {"LookupMakesRecent", 1, {}, {0}, {0}},
      {"Empty", 0, {}, {}, {}},
      {"RecentlyUsedStay", 0, {0}, {}, {0, 2, 3}, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    fs::remove_all(Folder());
    DecodedCache cache(Folder());
    std::vector<std::string> entries;
    for (size_t i = 0; i < names.size(); ++i) {
      entries.push_back(cache.Decode(Dir / names[i]).Path);
      // Last uses a second apart, in order.
      const timespec times[2] = {{static_cast<time_t>(1000000 + i), 0}, {0, UTIME_OMIT}};
      ASSERT_EQ(::utimensat(AT_FDCWD, entries.back().c_str(), times, 0), 0);
    }
    for (int i : row.LookedUp) ASSERT_EQ(cache.Lookup(Dir / names[i])->Path, entries[i]);
    std::set<std::string> inUse;
    for (int i : row.InUse) inUse.insert(entries[i]);
    const int64_t entryBytes = cache.Entries().front().Bytes;
    EXPECT_EQ(cache.SizeBytes(), 4 * entryBytes);
    const int64_t keepSinceNs =
        row.KeptSince < 4 ? (int64_t{1000000} + row.KeptSince) * 1000000000 : INT64_MAX;
    cache.Trim(row.LimitEntries * entryBytes, inUse, keepSinceNs);
    std::vector<std::string> left, expected;
    for (const CacheEntryInfo& e : cache.Entries()) {
      left.push_back(e.Path);
      EXPECT_EQ(e.Source,
                Dir / names[static_cast<size_t>(std::find(entries.begin(), entries.end(), e.Path) -
                                                entries.begin())]);
    }
    std::sort(left.begin(), left.end());
    for (int i : row.Left) expected.push_back(entries[i]);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    // No source file is left without its entry.
    EXPECT_EQ(FilesIn(Folder()).size(), 2 * expected.size());
  }
}

// A file system without room (here the process's file size limit, below one entry): the
// reason names the folder, and nothing is left in it.
TEST_F(DecodedCacheTest, NoRoomForAnEntryNamesTheFolderAndLeavesNothing) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    DecodedCache cache(Folder());
    WaveDataInfo info;
    const std::string reason = CheckDecodedFile(cache, Dir / "a.flac", info).Reason;
    const ssize_t n = ::write(fds[1], reason.data(), reason.size());
    ::_exit(n == static_cast<ssize_t>(reason.size()) ? 0 : 1);
  }
  ::close(fds[1]);
  std::string reason;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) reason.append(buf, size_t(n));
  ::close(fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(reason, " cannot be decoded: there is no room for its decoded copy in \"" + Folder() +
                        "\" (File too large).");
  EXPECT_EQ(FilesIn(Folder()), std::vector<std::string>{});
}

// ---- names and places ------------------------------------------------------------------

TEST_F(DecodedCacheTest, SourcesOfNoKindOrMissingOnes) {
  DecodedCache cache(Folder());
  EXPECT_FALSE(cache.Lookup(Dir / "t.wav"));
  EXPECT_THROW(cache.Decode(Dir / "t.wav"), DecodeError);
  try {
    cache.Lookup(Dir / "missing.flac");
    ADD_FAILURE() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Errno(), ENOENT);
  }
  EXPECT_THROW(cache.Decode(Dir / "missing.flac"), FileError);
}

TEST(DecodedCacheFolder, FollowsXdgCacheHomeElseTheHomeFolder) {
  const char* savedXdg = std::getenv("XDG_CACHE_HOME");
  const std::string saved[2] = {savedXdg ? savedXdg : "", std::getenv("HOME") ?: ""};
  ::setenv("HOME", "/home/me", 1);
  // nullptr: unset. A relative path is no valid base folder and is ignored.
  const std::pair<const char*, const char*> rows[] = {
      {"/var/c", "/var/c/varnel/decoded"},
      {nullptr, "/home/me/.cache/varnel/decoded"},
      {"", "/home/me/.cache/varnel/decoded"},
      {"relative/c", "/home/me/.cache/varnel/decoded"}};
  for (const auto& [xdg, expected] : rows) {
    xdg ? ::setenv("XDG_CACHE_HOME", xdg, 1) : ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(DecodedCache::DefaultFolder(), expected) << (xdg ? xdg : "unset");
  }
  savedXdg ? ::setenv("XDG_CACHE_HOME", saved[0].c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
  ::setenv("HOME", saved[1].c_str(), 1);
}

}  // namespace
}  // namespace varnel
