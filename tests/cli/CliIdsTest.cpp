// varnel-cli ids [--crc]: the built program on layouts written as text; the lines and their
// form, the checksum lines, a track whose audio is not the rip's on stderr with exit 1 (and
// among lint --crc's findings), and a layout whose disc cannot be planned.
#include <gtest/gtest.h>

#include <regex>

#include "support/DiscCheckLayouts.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

constexpr int64_t kSecond = 44100;

test::ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), VARNEL_CLI_PATH);
  return test::RunProcess(args);
}

TEST(CliIds, IdentityAndChecksumLines) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.wav", test::WaveBytes(std::vector<uint8_t>(10 * kSecond * 4, 1)));
  test::WriteText(dir / "s.ini", "[Path]\r\nWorkDir=" + dir / "work" + "\r\n");
  const std::string text =
      test::LayoutText(dir.Path(), {},
                       {test::TrackKeys("@a.wav", 10 * kSecond),
                        test::TrackKeys("@a.wav", 10 * kSecond, {{"PreGapLength", "0"}})});
  test::WriteText(dir / "l.txt", text);

  const auto ids = Cli({"ids", "--settings", dir / "s.ini", dir / "l.txt"});
  EXPECT_EQ(ids.ExitCode, 0) << ids.Err;
  // 10 s is 750 frames: track 2 follows track 1 at once, the lead-out after it.
  const std::regex idLines(
      "MusicBrainz\t[A-Za-z0-9._]{27}-\n"
      "MusicBrainzToc\t1 2 1650 150 900\n"
      "FreeDB\t([0-9a-f]{8})\n"
      "AccurateRip\t[0-9a-f]{8}\t[0-9a-f]{8}\t\\1\tdBAR-002-[0-9a-f]{8}-[0-9a-f]{8}-\\1\\.bin\n");
  EXPECT_TRUE(std::regex_match(ids.Out, idLines)) << ids.Out;

  const auto crc = Cli({"ids", "--crc", "--settings", dir / "s.ini", dir / "l.txt"});
  EXPECT_EQ(crc.ExitCode, 0) << crc.Err;
  ASSERT_EQ(crc.Out.substr(0, ids.Out.size()), ids.Out);
  std::smatch m;
  const std::string sums = crc.Out.substr(ids.Out.size());
  ASSERT_TRUE(std::regex_match(sums, m,
                               std::regex("TRACK\t01\t[0-9a-f]{8}\t[0-9a-f]{8}\t([0-9a-f]{8})\n"
                                          "TRACK\t02\t[0-9a-f]{8}\t[0-9a-f]{8}\t\\1\n")))
      << sums;  // the same audio, the same CRC32

  // The rip recorded another CRC32 for track 2.
  std::string ripped = text;
  ripped.insert(ripped.find("\r\n\r\n[DataTrack]"),
                "\r\nOriginalCrcs=01:" + m[1].str() + " 02:0badf00d");
  test::WriteText(dir / "r.txt", ripped);
  const auto differs = Cli({"ids", "--crc", "--settings", dir / "s.ini", dir / "r.txt"});
  EXPECT_EQ(differs.ExitCode, 1);
  EXPECT_EQ(differs.Out, crc.Out);
  EXPECT_EQ(differs.Err,
            "error\t2\tcrc-differs\tThe track's audio is not the rip's: its CRC32 is " +
                m[1].str() + ", the rip's 0badf00d.\n");
  const auto lint = Cli({"lint", "--crc", "--settings", dir / "s.ini", dir / "r.txt"});
  EXPECT_EQ(lint.ExitCode, 1);
  EXPECT_NE(lint.Out.find(differs.Err), std::string::npos) << lint.Out;
  EXPECT_EQ(Cli({"lint", "--settings", dir / "s.ini", dir / "r.txt"}).Out.find("crc-differs"),
            std::string::npos);

  std::filesystem::remove(dir / "a.wav");
  const auto missing = Cli({"ids", "--yes", "--settings", dir / "s.ini", dir / "l.txt"});
  EXPECT_EQ(missing.ExitCode, 1);
  EXPECT_EQ(missing.Out, "");
}

}  // namespace
}  // namespace varnel
