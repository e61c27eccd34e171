// What varnel-cli says when it reads less than a file declares, or cannot read its settings:
// the text on stderr, exit 1, and --yes accepting a layout read without some of its tracks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

TEST(CliLeftOut, EveryLossIsSaidAndFailsUnlessAccepted) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.wav", test::WaveBytes(std::vector<uint8_t>(2352 * 75, 3)));
  const std::string layout = dir / "disc.txt";
  test::WriteText(layout,
                  "[FileInfo]\r\nSoftName=Varnel\r\n[DiscInfo]\r\nNumTracks=2\r\n[Track00]\r\n"
                  "TrackFileNmae=" +
                      (dir / "a.wav") + "\r\nFileMode=0\r\n");
  std::filesystem::create_directory(dir / "folder.ini");
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  const std::string leftOut = "\"" + layout +
                              "\" was loaded without these tracks:\n"
                              "Track01: not in the file, which declares NumTracks=2\n";
  struct Case {
    std::vector<std::string> Args;
    int Exit;
    std::string Err;  // what stderr begins with
  };
  const Case cases[] = {
      {{"show", "--settings", dir / "none.ini", layout}, 1, leftOut},
      {{"show", "--yes", "--settings", dir / "none.ini", layout}, 0, leftOut},
      {{"show", "--settings", dir / "folder.ini", layout},
       1,
       "Cannot read the settings file \"" + (dir / "folder.ini") + "\".\n"},
      {{"make", "--settings", dir / "fifo.ini", layout, dir / "disc.cue"},
       1,
       "Cannot read the settings file \"" + (dir / "fifo.ini") + "\".\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {VARNEL_CLI_PATH};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const test::ProcessResult r = test::RunProcess(args, dir.Path());
    EXPECT_EQ(r.ExitCode, c.Exit) << c.Args[1] << " " << c.Args[2] << "\n" << r.Err;
    EXPECT_EQ(r.Err.substr(0, c.Err.size()), c.Err) << c.Args[1] << " " << c.Args[2];
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "disc.cue"));
}

}  // namespace
}  // namespace varnel
