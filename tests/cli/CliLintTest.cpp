// varnel-cli lint and make --check: the built program on layouts written as text; what
// goes to which stream, the exit codes, and that a refused make writes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/DiscCheckLayouts.h"
#include "support/MpegFrames.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::KeyIndex;
using test::TrackKeys;

constexpr int64_t kSecond = 44100;

class CliLint : public ::testing::Test {
 protected:
  CliLint() {
    test::WriteBytes(dir / "long.wav", test::WaveBytes(std::vector<uint8_t>(10 * kSecond * 4, 1)));
    test::WriteBytes(dir / "short.wav", test::WaveBytes(std::vector<uint8_t>(3 * kSecond * 4, 1)));
    test::WriteBytes(dir / "m.mp3", test::Mpeg1Layer3Stereo44k(200));
    test::WriteText(settings, "[Path]\r\nWorkDir=" + dir / "work" + "\r\n");
  }
  std::string Layout(const std::string& name, const std::vector<KeyIndex>& tracks,
                     const KeyIndex& disc = {}) {
    test::WriteText(dir / name, test::LayoutText(dir.Path(), disc, tracks));
    return dir / name;
  }
  test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), VARNEL_CLI_PATH);
    return test::RunProcess(args);
  }
  KeyIndex Long() { return TrackKeys("@long.wav", 10 * kSecond); }

  test::TempDir dir;
  std::string settings = dir / "settings.ini";
};

const std::string kShortLine =
    "error\t2\ttrack-too-short\tThe track plays 00:03:00 from index 01 to its end; a CD track "
    "plays 00:04:00 at least.\n";
const std::string kMp3Line =
    "note\t2\tmp3-needs-toc\tAn MP3 track burns on Linux only from the TOC file for cdrdao, "
    "which names its decoded audio.\n";

TEST_F(CliLint, FindingsOnStdoutExitOneOnlyForAnError) {
  const std::string clean = Layout("clean.txt", {Long(), Long()});
  const std::string shortTrack =
      Layout("short.txt", {Long(), TrackKeys("@short.wav", 3 * kSecond)});
  KeyIndex mp3 = TrackKeys("@m.mp3", 0, {{"FileMode", "1"}});
  mp3.erase("TrackEndPos");
  const std::string noted = Layout("mp3.txt", {Long(), mp3});
  struct Row {
    std::vector<std::string> Args;
    int Exit;
    std::string Out;
  };
  const Row rows[] = {
      {{"lint", "--settings", settings, clean}, 0, ""},
      {{"lint", "--settings", settings, shortTrack}, 1, kShortLine},
      {{"lint", "--settings", settings, noted}, 0, kMp3Line},
      {{"lint", "--settings", settings, "--media", "74", clean}, 0, ""},
      {{"lint", clean, "--media", "99", "--settings", settings}, 0, ""},
  };
  for (const Row& row : rows) {
    const auto r = Cli(row.Args);
    EXPECT_EQ(r.ExitCode, row.Exit) << row.Args.back() << r.Err;
    EXPECT_EQ(r.Out, row.Out);
    EXPECT_EQ(r.Err, "");
  }
}

TEST_F(CliLint, UsageAndLoadingErrors) {
  const std::string clean = Layout("clean.txt", {Long()});
  test::WriteText(dir / "no-layout.txt", "[FileInfo]\r\nSoftName=Other\r\n");
  struct Row {
    std::vector<std::string> Args;
    int Exit;
  };
  const Row rows[] = {
      {{"lint", "--media", "75", clean}, 2},
      {{"lint", "--media", "eighty", clean}, 2},
      {{"lint"}, 2},
      {{"lint", "--settings", settings, dir / "no-layout.txt"}, 1},
  };
  for (const Row& row : rows) {
    const auto r = Cli(row.Args);
    EXPECT_EQ(r.ExitCode, row.Exit) << row.Args.back();
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err, "");
  }
}

TEST_F(CliLint, MakeCheckStopsBeforeWritingUnlessYes) {
  const std::string shortTrack =
      Layout("short.txt", {Long(), TrackKeys("@short.wav", 3 * kSecond)});
  const std::string clean = Layout("clean.txt", {Long(), Long()});
  const std::string cue = dir / "disc.cue";
  struct Row {
    std::vector<std::string> Flags;
    std::string Layout;
    int Exit;
    std::string Err;
    bool Written;
  };
  const std::string progress = "Editing and Copying a wave file for Track01...\n";
  const Row rows[] = {
      {{"--check"}, shortTrack, 1, kShortLine, false},
      {{"--check", "--test"}, shortTrack, 1, kShortLine, false},
      {{"--check", "--yes"}, shortTrack, 0, kShortLine, true},
      {{"--check"}, clean, 0, "", true},
      {{}, shortTrack, 0, "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Layout + (row.Flags.empty() ? "" : " " + row.Flags.back()));
    std::filesystem::remove_all(dir / "work");
    std::filesystem::remove(cue);
    std::vector<std::string> args = {"make", "--settings", settings, "--toc"};
    args.insert(args.end(), row.Flags.begin(), row.Flags.end());
    args.insert(args.end(), {row.Layout, cue});
    const auto r = Cli(args);
    EXPECT_EQ(r.ExitCode, row.Exit) << r.Err;
    EXPECT_EQ(r.Err.substr(0, row.Err.size()), row.Err);
    EXPECT_EQ(std::filesystem::exists(cue), row.Written);
    EXPECT_EQ(std::filesystem::exists(dir / "disc.toc"), row.Written);
    if (!row.Written) {
      EXPECT_EQ(r.Out, "");
      EXPECT_EQ(r.Err, row.Err);
    }
  }
}

}  // namespace
}  // namespace varnel
