// varnel-cli cache: the folder, size, limit and one line per decoded copy; --limit trims the
// least recently used copies first, --clear empties the cache.
#include <gtest/gtest.h>

#include <sstream>

#include "support/AudioTools.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::TempDir;

class CliCache : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string t = test::MissingTool({"sox", "flac"}); !t.empty()) GTEST_SKIP() << t;
    for (const char* name : {"a", "b", "c"}) {
      ASSERT_TRUE(test::RunAll(
          {{"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "@t.wav", "synth", "1", "sine",
            "440"},
           {"flac", "--silent", "-f", "-o", std::string("@") + name + ".flac", "@t.wav"}},
          Dir.Path()));
    }
  }
  test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"env", "XDG_CACHE_HOME=" + Dir / "xdg", VARNEL_CLI_PATH});
    return test::RunProcess(args, Dir.Path());
  }
  // The output's lines.
  static std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  TempDir Dir;
};

TEST_F(CliCache, ListsTrimsAndEmpties) {
  const std::string folder = Dir / "xdg/varnel/decoded";
  test::WriteText(Dir / "s.ini", "[Cache]\nDecodedLimitMiB=0\n");
  auto r = Cli({"cache", "--settings", Dir / "s.ini"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, "Folder: " + folder + "\nSize: empty\nLimit: none\n");

  const std::string defaults = Dir / "none.ini";  // no file: every setting's default
  r = Cli({"new", "--settings", defaults, "l.txt", "a.flac", "b.flac", "c.flac"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  // Last used in the order c, a, b.
  const std::string order[] = {"c", "a", "b"};
  for (int i = 0; i < 3; ++i) {
    r = Cli({"check", Dir / (order[i] + ".flac")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
  }
  r = Cli({"cache", "--settings", defaults});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  std::vector<std::string> lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 6u) << r.Out;
  EXPECT_EQ(lines[0], "Folder: " + folder);
  EXPECT_EQ(lines[1].rfind("Size: ", 0), 0u);
  EXPECT_NE(lines[1].find(" MiB in 3 decoded copies"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2], "Limit: 4096 MiB");
  for (int i = 0; i < 3; ++i) {
    std::istringstream cells(lines[3 + i]);
    std::string size, used, source;
    std::getline(cells, size, '\t');
    std::getline(cells, used, '\t');
    std::getline(cells, source);
    EXPECT_EQ(size, "0.2 MiB");
    EXPECT_EQ(used.size(), 16u) << used;  // YYYY-MM-DD HH:MM
    EXPECT_EQ(source, Dir / (order[i] + ".flac"));
  }

  r = Cli({"cache", "--settings", defaults, "--limit", "0"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(Lines(r.Out).size(), 3u) << r.Out;
  EXPECT_EQ(Lines(r.Out)[1], "Size: empty");

  ASSERT_EQ(Cli({"check", Dir / "a.flac"}).ExitCode, 0);
  r = Cli({"cache", "--settings", defaults, "--clear"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(Lines(r.Out)[1], "Size: empty");
  EXPECT_EQ(Cli({"cache", "--clear", "--limit", "1"}).ExitCode, 2);
}

}  // namespace
}  // namespace varnel
