// The file primitive: what it opens and refuses, that it never writes through an existing
// name, and that every failure carries errno and the path.
#include "model/PosixFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "support/TestFiles.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

// The errno of the FileError that `f` throws (0 when it throws none).
int ErrnoOf(const std::function<void()>& f, std::string* what = nullptr) {
  try {
    f();
  } catch (const FileError& e) {
    if (what) *what = e.what();
    return e.Errno();
  }
  return 0;
}

TEST(PosixFileTest, OpenForReadingTakesOnlyRegularFilesAndNeverBlocks) {
  test::TempDir dir;
  test::WriteText(dir / "plain", "abc");
  fs::create_symlink(dir / "plain", dir / "link");
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // no writer: open must not wait
  const struct {
    std::string Path;
    int Errno;
  } rows[] = {
      {dir / "plain", 0},
      {dir / "link", 0},
      {dir / "missing", ENOENT},
      {dir / "folder", EISDIR},
      {dir / "fifo", EINVAL},
      {"/dev/zero", EINVAL},
      {"", ENOENT},
      {std::string("a\0b", 3), EINVAL},
  };
  for (const auto& row : rows) {
    std::string what;
    EXPECT_EQ(ErrnoOf([&] { PosixFile::OpenForReading(row.Path); }, &what), row.Errno) << row.Path;
    if (row.Errno != 0 && row.Path.find('\0') == std::string::npos) {
      EXPECT_NE(what.find("\"" + row.Path + "\""), std::string::npos) << what;
    }
  }
  PosixFile f = PosixFile::OpenForReading(dir / "link");
  char buf[8] = {};
  EXPECT_EQ(f.ReadAt(1, buf, sizeof buf), 2u);
  EXPECT_EQ(std::string(buf, 2), "bc");
  EXPECT_EQ(f.ReadAt(10, buf, sizeof buf), 0u);
  EXPECT_EQ(f.Size(), 3);
}

TEST(PosixFileTest, ReadCachedAtGivesWhatReadAtGivesOrLess) {
  test::TempDir dir;
  std::string text(300000, 'a');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  test::WriteText(dir / "t", text);
  const PosixFile f = PosixFile::OpenForReading(dir / "t");
  for (const int64_t offset : {int64_t{0}, int64_t{4097}, int64_t{299990}, int64_t{400000}}) {
    std::string got(70000, '\0');
    const size_t n = f.ReadCachedAt(offset, got.data(), got.size());
    const size_t from = std::min(static_cast<size_t>(offset), text.size());
    ASSERT_LE(n, std::min(got.size(), text.size() - from));
    EXPECT_EQ(got.substr(0, n), text.substr(from, n)) << offset;
  }
  char c = 0;
  EXPECT_EQ(f.ReadCachedAt(-1, &c, 1), 0u);
  EXPECT_EQ(PosixFile().ReadCachedAt(0, &c, 1), 0u);
}

TEST(PosixFileTest, CreateExclusiveNeverReplacesOrFollowsAnExistingName) {
  test::TempDir dir;
  test::WriteText(dir / "kept", "precious");
  fs::create_symlink(dir / "kept", dir / "to-kept");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  for (const std::string name : {"kept", "to-kept", "dangling"}) {
    EXPECT_EQ(ErrnoOf([&] { PosixFile::CreateExclusive(dir / name); }), EEXIST) << name;
  }
  EXPECT_EQ(test::ReadText(dir / "kept"), "precious");
  EXPECT_FALSE(fs::exists(dir / "nowhere"));

  PosixFile out = PosixFile::CreateExclusive(dir / "new");
  out.WriteAll("hello world", 11);
  out.WriteAllAt(0, "J", 1);
  out.WriteAll("!", 1);  // the position follows the appends, not WriteAllAt
  EXPECT_EQ(out.Size(), 12);
  out.Close();
  out.Close();  // a second close does nothing
  EXPECT_EQ(test::ReadText(dir / "new"), "Jello world!");
  EXPECT_EQ(ErrnoOf([&] { out.WriteAll("x", 1); }), EBADF);
}

TEST(PosixFileTest, AFailingWriteCarriesErrnoAndPath) {
  test::TempDir dir;
  // A file-size limit makes write(2) fail with EFBIG instead of killing the process.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string what;
  const int err = ErrnoOf(
      [&] {
        PosixFile out = PosixFile::CreateExclusive(dir / "big");
        std::string block(1000, 'x');
        out.WriteAll(block.data(), block.size());
      },
      &what);
  setrlimit(RLIMIT_FSIZE, &before);
  sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_EQ(err, EFBIG);
  EXPECT_EQ(what, "cannot write \"" + dir / "big" + "\": " + ErrnoText(EFBIG));
}

TEST(PosixFileTest, ReadWholeFileRefusesWhatIsTooLargeOrNoFile) {
  test::TempDir dir;
  test::WriteText(dir / "ten", "0123456789");
  EXPECT_EQ(ReadWholeFile(dir / "ten", 10), "0123456789");
  EXPECT_EQ(ErrnoOf([&] { ReadWholeFile(dir / "ten", 9); }), EFBIG);
  EXPECT_EQ(ErrnoOf([&] { ReadWholeFile("/dev/zero", 1 << 20); }), EINVAL);
  EXPECT_EQ(ErrnoOf([&] { ReadWholeFile(dir / "none", 10); }), ENOENT);
}

}  // namespace
}  // namespace varnel
