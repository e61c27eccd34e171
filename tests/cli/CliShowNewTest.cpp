#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/AudioTools.h"
#include "support/MpegFrames.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::RunProcess;
using test::TempDir;

class CliShowNew : public ::testing::Test {
 protected:
  TempDir dir;
  std::string settings = dir / "settings.ini";  // missing: every default

  std::string Wave(const std::string& name, size_t bytes, uint16_t channels = 2) {
    test::WriteBytes(dir / name, test::WaveBytes(std::vector<uint8_t>(bytes, 1), channels));
    return dir / name;
  }
  test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), VARNEL_CLI_PATH);
    return RunProcess(args);
  }
};

TEST_F(CliShowNew, NewThenShowGivesTheWindowsTexts) {
  const std::string a = Wave("a.wav", 176400 * 180);
  test::WriteBytes(dir / "b.mp3", test::Mpeg1Layer3Stereo44k(38));
  test::WriteBytes(dir / "c.cdg", std::vector<uint8_t>(2448 * 75, 0));
  const std::string layout = dir / "disc.txt";
  auto made = Cli({"new", "--settings", settings, "--catalog", "4901234567894", layout, a,
                   dir / "b.mp3", dir / "c.cdg"});
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  EXPECT_EQ(made.Out, "");
  EXPECT_EQ(made.Err, "");
  const std::string text = test::ReadText(layout);
  EXPECT_EQ(text.rfind("[FileInfo]\r\nSoftName=Varnel\r\nVersion=2.03\r\n\r\n[DiscInfo]\r\n"
                       "NumTracks=3\r\nMediaCatalog=4901234567894\r\n",
                       0),
            0u);

  auto shown = Cli({"show", "--settings", settings, layout});
  ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
  EXPECT_EQ(shown.Out,
            "1\ta.wav\tWAVE\tNone\t03:00:00 (00:02:00)\tNone\tPermited\t\t" + a + "\n" +
                "2\tb.mp3\tMP3\tNone\t00:00:74 (00:02:00)\tNone\tPermited\t\t" + (dir / "b.mp3") +
                "\n" + "3\tc.cdg\tCDG\tNone\t00:01:00 (00:02:00)\tNone\tPermited\t\t" +
                (dir / "c.cdg") + "\n" +
                // 13500 + 150, 75 (174704 bytes in whole frames) + 150, 75 + 150: 14100 frames
                " Total: 03 tracks\t 032MB\t 03:08:00\t Audio disc\n");
}

TEST_F(CliShowNew, DataTrackImageTypeAndCdText) {
  const std::string a = Wave("a.wav", 2352 * 75);
  test::WriteBytes(dir / "d.bin", std::vector<uint8_t>(2352 * 1000, 0));
  const std::string layout = dir / "mixed.txt";
  auto made = Cli({"new", "--settings", settings, "--data-track", dir / "d.bin", "--image-type",
                   "3", "--cd-text", dir / "t.cdt", layout, a});
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  const std::string text = test::ReadText(layout);
  // A mixed-mode disc carries no CD-Text; the .cdt path is kept.
  EXPECT_NE(text.find("CD-Text=0\r\nCdtPath=" + (dir / "t.cdt") + "\r\n"), std::string::npos);
  EXPECT_NE(text.find("[DataTrack]\r\nTrackFileNmae=" + (dir / "d.bin") + "\r\nImageType=3\r\n"),
            std::string::npos);
  auto shown = Cli({"show", "--settings", settings, layout});
  ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
  EXPECT_EQ(shown.Out, "2\ta.wav\tWAVE\tNone\t00:01:00 (00:02:00)\tNone\tPermited\t\t" + a +
                           "\n Total: 02 tracks\t 003MB\t 00:16:27\t Mix-Mode disc\n");

  auto audio = Cli({"new", "--settings", settings, "--cd-text", dir / "t.cdt", dir / "cd.txt", a});
  ASSERT_EQ(audio.ExitCode, 0) << audio.Err;
  EXPECT_NE(test::ReadText(dir / "cd.txt").find("CD-Text=1\r\n"), std::string::npos);
}

TEST_F(CliShowNew, RelativePathsAreStoredAsTheDialogWouldGiveThem) {
  Wave("a.wav", 2352);
  auto made = RunProcess({VARNEL_CLI_PATH, "new", "--settings", settings, "sub/../l.txt", "a.wav"},
                         dir.Path());
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  EXPECT_NE(test::ReadText(dir / "l.txt").find("\r\nTrackFileNmae=" + (dir / "a.wav") + "\r\n"),
            std::string::npos);
}

TEST_F(CliShowNew, SettingsDefaultsReachTheTracks) {
  test::WriteText(settings,
                  "[Default]\nPreEmph=1\nProtect=1\nPreGapFrames=75\n[Silece]\nAddFrames=0\n");
  const std::string a = Wave("a.wav", 2352 * 75);
  ASSERT_EQ(Cli({"new", "--settings", settings, dir / "l.txt", a}).ExitCode, 0);
  auto shown = Cli({"show", "--settings", dir / "none.ini", dir / "l.txt"});
  ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
  EXPECT_EQ(shown.Out, "1\ta.wav\tWAVE\tNone\t00:01:00 (00:01:00)\tEnable\tProhibited\t\t" + a +
                           "\n Total: 01 tracks\t 001MB\t 00:02:00\t Audio disc\n");
}

TEST_F(CliShowNew, RefusedFileNeedsYes) {
  const std::string a = Wave("a.wav", 2352);
  const std::string mono = Wave("m.wav", 400, 1);
  const std::string layout = dir / "l.txt";
  auto asked = Cli({"new", "--settings", settings, layout, a, mono, a});
  EXPECT_EQ(asked.ExitCode, 2);
  EXPECT_EQ(asked.Err,
            "\"" + mono + "\" is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?\n");
  EXPECT_FALSE(std::filesystem::exists(layout));

  auto yes = Cli({"new", "--settings", settings, "--yes", layout, a, mono, a});
  ASSERT_EQ(yes.ExitCode, 0) << yes.Err;
  EXPECT_NE(test::ReadText(layout).find("NumTracks=2\r\n"), std::string::npos);
}

TEST_F(CliShowNew, ExistingLayoutNeedsForce) {
  const std::string a = Wave("a.wav", 2352);
  const std::string layout = dir / "l.txt";
  test::WriteText(layout, "old");
  auto asked = Cli({"new", "--settings", settings, layout, a});
  EXPECT_EQ(asked.ExitCode, 2);
  EXPECT_EQ(asked.Err, "\"" + layout + "\" already exists. Do you overwrite?\n");
  EXPECT_EQ(test::ReadText(layout), "old");
  auto forced = Cli({"new", "--settings", settings, "--force", layout, a});
  ASSERT_EQ(forced.ExitCode, 0) << forced.Err;
  EXPECT_NE(test::ReadText(layout).find("NumTracks=1\r\n"), std::string::npos);
}

TEST_F(CliShowNew, NinetyNineTrackLimit) {
  const std::string a = Wave("a.wav", 2352);
  test::WriteBytes(dir / "d.bin", std::vector<uint8_t>(2048, 0));
  std::vector<std::string> args = {"new",          "--settings",  settings,
                                   "--data-track", dir / "d.bin", dir / "l.txt"};
  for (int i = 0; i < 100; ++i) args.push_back(a);
  auto made = Cli(args);
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  // A limit is a warning of sorts: stderr, and the layout with the first 98 audio tracks saved.
  EXPECT_EQ(made.Out, "");
  EXPECT_EQ(made.Err, "A disc cannot have more than 99 tracks.\n");
  EXPECT_NE(test::ReadText(dir / "l.txt").find("NumTracks=98\r\n"), std::string::npos);
}

TEST_F(CliShowNew, BadOptionsWriteNothing) {
  const std::string a = Wave("a.wav", 2352);
  EXPECT_NE(Cli({"new", "--settings", settings, "--catalog", "123", dir / "l.txt", a}).ExitCode, 0);
  EXPECT_NE(Cli({"new", "--settings", settings, "--image-type", "4", dir / "l.txt", a}).ExitCode,
            0);
  EXPECT_NE(Cli({"new", "--settings", settings}).ExitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "l.txt"));
}

TEST_F(CliShowNew, ShowRefusesWhatIsNoLayout) {
  test::WriteText(dir / "x.txt", "[FileInfo]\r\nSoftName=varnel\r\n");
  auto r = Cli({"show", "--settings", settings, dir / "x.txt"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, (dir / "x.txt") + " is not a disc layout file generated by VNL.\n");
  EXPECT_EQ(Cli({"show", "--settings", settings, dir / "missing.txt"}).ExitCode, 1);
}

TEST_F(CliShowNew, ShowAsksAboutMissingTrackFiles) {
  const std::string a = Wave("a.wav", 2352);
  ASSERT_EQ(Cli({"new", "--settings", settings, dir / "l.txt", a, a}).ExitCode, 0);
  std::filesystem::rename(a, dir / "moved.wav");
  auto asked = Cli({"show", "--settings", settings, dir / "l.txt"});
  EXPECT_EQ(asked.ExitCode, 2);
  EXPECT_EQ(asked.Out, "");
  EXPECT_EQ(asked.Err, "\"" + a + "\" is not Riff-Wave file or doesnot exist.\n");
  auto yes = Cli({"show", "--settings", settings, "--yes", dir / "l.txt"});
  EXPECT_EQ(yes.ExitCode, 0);
  EXPECT_EQ(yes.Out, " Total: 00 tracks\t 000MB\t 00:00:00\t\n");
}

}  // namespace
}  // namespace varnel

namespace varnel {
namespace {

// Tags fill the CD-Text of a new layout; show prints it a row a line.
TEST(CliCdText, NewWithTagsThenShowCdText) {
  if (!test::MissingTool({"sox", "lame", "flac", "metaflac"}).empty()) {
    GTEST_SKIP() << "sox, lame and flac make the tagged files";
  }
  TempDir dir;
  ASSERT_TRUE(test::RunAll(
      {{"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "@t.wav", "synth", "1", "sine", "440"},
       {"lame", "--quiet", "--tt", "One", "--ta", "Ann", "--tl", "Live", "@t.wav", "@a.mp3"},
       {"flac", "--silent", "-o", "@b.flac", "@t.wav"},
       {"metaflac", "--set-tag=TITLE=Deux \u00e9t\u00e9", "--set-tag=ARTIST=Ann",
        "--set-tag=ISRC=USABC9912345", "@b.flac"}},
      dir.Path()));
  const std::string layout = dir / "disc.txt";
  const std::string settings = dir / "settings.ini";
  auto made = RunProcess({VARNEL_CLI_PATH, "new", "--settings", settings, "--tags", layout,
                          dir / "a.mp3", dir / "b.flac", dir / "t.wav"});
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  auto shown = RunProcess({VARNEL_CLI_PATH, "show", "--settings", settings, "--cd-text", layout});
  ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
  EXPECT_EQ(shown.Out,
            "Disc\tLive\tAnn\t\t\t\t\n"
            "Track 1\tOne\tAnn\t\t\t\t\n"
            "Track 2\tDeux \u00e9t\u00e9\tAnn\t\t\t\t\n"
            "Track 3\t\t\t\t\t\t\n");
  const std::string text = test::ReadText(layout);
  EXPECT_NE(text.find("CD-Text=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("ISRC=USABC9912345\r\n"), std::string::npos);
}

}  // namespace
}  // namespace varnel
