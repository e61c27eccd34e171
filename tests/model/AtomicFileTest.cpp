// The atomic saver at symbolic links: the link stays, the file it finally names is written,
// also when nothing exists there yet; a loop of links is refused and leaves nothing behind.
#include "model/AtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "model/PosixFile.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

TEST(WriteFileAtomically, LinksAreFollowedToTheFileTheyName) {
  const struct {
    const char* What;
    std::function<void(const test::TempDir&)> Make;
    const char* Written;  // relative to the folder; null when the save fails
  } rows[] = {
      {"a relative link to a file",
       [](const test::TempDir& d) {
         test::WriteText(d / "real", "old");
         fs::create_symlink("real", d / "x");
       },
       "real"},
      {"a link that points nowhere yet, into a missing folder",
       [](const test::TempDir& d) { fs::create_symlink("new/made", d / "x"); }, "new/made"},
      {"an absolute link to a link that points nowhere",
       [](const test::TempDir& d) {
         fs::create_symlink("far", d / "near");
         fs::create_symlink(d / "near", d / "x");
       },
       "far"},
      {"a loop", [](const test::TempDir& d) { fs::create_symlink("x", d / "x"); }, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    test::TempDir dir;
    row.Make(dir);
    std::string error;
    const bool saved = WriteFileAtomically(dir / "x", "new text", &error);
    EXPECT_EQ(saved, row.Written != nullptr) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "x"));
    if (row.Written != nullptr) {
      EXPECT_EQ(test::ReadText(dir / row.Written), "new text");
    } else {
      EXPECT_EQ(error, ErrnoText(ELOOP));
    }
    // Only what the rows made, and the written file, remain: no temporary.
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
      EXPECT_EQ(entry.path().filename().string().rfind(".varnel-tmp-", 0), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace varnel
