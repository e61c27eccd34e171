#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::RunProcess;
using test::TempDir;

struct UsageCase {
  std::vector<std::string> Args;
  const char* ErrSays;  // a piece of the message on stderr
};

// A wrong command line is a usage error: exit 2, the reason on stderr, nothing on stdout and
// no file written, whichever subcommand it hits.
TEST(CliUsage, WrongCommandLinesExitTwoAndWriteNothing) {
  TempDir dir;
  const std::string layout = dir / "disc.txt";
  test::WriteBytes(dir / "a.wav", test::WaveBytes(std::vector<uint8_t>(2352, 0)));
  const UsageCase cases[] = {
      {{}, "subcommand is required"},
      {{"blank", layout}, "subcommand is required"},
      {{"burn", "--speed", "fast", layout, dir / "disc.cue"}, "--speed"},
      {{"check"}, "FILE is required"},
      {{"show", "--bogus", layout}, "--bogus"},
      {{"make", layout}, "CUE is required"},
      {{"new", "--image-type", "4", layout, dir / "a.wav"}, "--image-type"},
      {{"new", "--catalog", "12345", layout, dir / "a.wav"}, "13 digits"},
      {{"new", "--settings"}, "--settings"},
  };
  for (const UsageCase& c : cases) {
    std::vector<std::string> argv{VARNEL_CLI_PATH};
    argv.insert(argv.end(), c.Args.begin(), c.Args.end());
    const auto r = RunProcess(argv);
    const std::string shown = testing::PrintToString(c.Args);
    EXPECT_EQ(r.ExitCode, 2) << shown << "\n" << r.Err;
    EXPECT_EQ(r.Out, "") << shown;
    EXPECT_NE(r.Err.find(c.ErrSays), std::string::npos) << shown << "\n" << r.Err;
    EXPECT_FALSE(std::filesystem::exists(layout)) << shown;
  }
}

// --version and --help answer on stdout with exit 0 and need no subcommand.
TEST(CliUsage, VersionAndHelpNeedNoSubcommand) {
  const auto version = RunProcess({VARNEL_CLI_PATH, "--version"});
  EXPECT_EQ(version.ExitCode, 0) << version.Err;
  EXPECT_EQ(version.Out, "varnel-cli " VARNEL_TEST_PROJECT_VERSION "\n");
  EXPECT_EQ(version.Err, "");

  const auto help = RunProcess({VARNEL_CLI_PATH, "make", "--help"});
  EXPECT_EQ(help.ExitCode, 0) << help.Err;
  EXPECT_NE(help.Out.find("LAYOUT"), std::string::npos) << help.Out;
  EXPECT_EQ(help.Err, "");
}

}  // namespace
}  // namespace varnel
