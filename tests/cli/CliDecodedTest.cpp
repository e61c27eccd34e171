// varnel-cli with FLAC, AIFF, Ogg Vorbis and Opus files: check prints the decoded summary,
// new and show take them, and make burns a disc from a layout that mixes a FLAC track with
// hidden audio from another FLAC file, a wave and an MP3 track — a TOC that cdrdao accepts,
// every file it names a wave file, track 1 holding the samples flac -d gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/AudioTools.h"
#include "support/RunProcess.h"

namespace varnel {
namespace {

using test::Command;
using test::RunProcess;
using test::TempDir;

Command Tone(const std::string& file, int64_t frames, int hz) {
  return {"sox",
          "-r",
          "44100",
          "-c",
          "2",
          "-n",
          "-b",
          "16",
          "@" + file,
          "synth",
          std::to_string(frames) + "s",
          "sine",
          std::to_string(hz)};
}

Command FlacDecode(const std::string& flac, const std::string& raw) {
  return {
      "flac",          "--silent", "-f",      "-d",      "--force-raw-format", "--endian=little",
      "--sign=signed", "-o",       "@" + raw, "@" + flac};
}

class CliDecoded : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string t = test::MissingTool({"sox", "flac", "oggenc", "opusenc", "lame"});
        !t.empty()) {
      GTEST_SKIP() << t << " is missing";
    }
    test::WriteText(Settings(), "[Path]\nWorkDir=" + Dir / "work" +
                                    "\n[Other]\nMakeAlways=0\n[Silece]\nAddFrames=0\n");
  }
  std::string Settings() const { return Dir / "varnel.ini"; }
  // varnel-cli with its decode cache in the test's folder.
  test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"env", "XDG_CACHE_HOME=" + Dir / "xdg", VARNEL_CLI_PATH});
    return RunProcess(args, Dir.Path());
  }
  TempDir Dir;
};

struct CheckRow {
  const char* Source;
  Command Encode;
  const char* Kind;
  int64_t Tolerance;  // sample frames
};

TEST_F(CliDecoded, CheckNewAndShowTakeEveryKind) {
  const CheckRow rows[] = {
      {"a.flac", {"flac", "--silent", "-o", "@a.flac", "@t.wav"}, "FLAC", 0},
      {"a.aif", {"sox", "@t.wav", "@a.aif"}, "AIFF", 0},
      {"a.ogg", {"oggenc", "-Q", "-o", "@a.ogg", "@t.wav"}, "OGG", 588},
      {"a.opus", {"opusenc", "--quiet", "@t.wav", "@a.opus"}, "OPUS", 588},
  };
  ASSERT_TRUE(test::RunAll({Tone("t.wav", 44100, 440)}, Dir.Path()));
  std::vector<std::string> newArgs = {"new", "--settings", Settings(), "l.txt"};
  std::string shown;
  for (const CheckRow& row : rows) {
    SCOPED_TRACE(row.Source);
    ASSERT_TRUE(test::RunAll({row.Encode}, Dir.Path()));
    const std::string path = Dir / row.Source;
    const auto r = Cli({"check", path});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    std::istringstream fields(r.Out);
    std::string kind, result, offset, size, channels, bits, rate, named;
    std::getline(fields, kind, '\t');
    std::getline(fields, result, '\t');
    std::getline(fields, offset, '\t');
    std::getline(fields, size, '\t');
    std::getline(fields, channels, '\t');
    std::getline(fields, bits, '\t');
    std::getline(fields, rate, '\t');
    std::getline(fields, named);
    EXPECT_EQ(kind, row.Kind);
    EXPECT_EQ(result + offset + channels + bits + rate,
              "1442"
              "16"
              "44100");
    EXPECT_NEAR(std::stoll(size) / 4, 44100, row.Tolerance) << size;
    EXPECT_EQ(std::stoll(size) % 4, 0);
    EXPECT_EQ(named, path);
    newArgs.push_back(row.Source);
    shown += std::string("\t") + row.Source + "\t" + row.Kind + "\t";
  }
  const auto made = Cli(newArgs);
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  const auto show = Cli({"show", "--settings", Settings(), "l.txt"});
  ASSERT_EQ(show.ExitCode, 0) << show.Err;
  // Number, name and Type of each row.
  std::istringstream lines(show.Out);
  std::string line, seen;
  for (int i = 0; i < 4 && std::getline(lines, line); ++i) {
    std::istringstream cells(line);
    std::string number, name, type;
    std::getline(cells, number, '\t');
    std::getline(cells, name, '\t');
    std::getline(cells, type, '\t');
    seen += "\t" + name + "\t" + type + "\t";
  }
  EXPECT_EQ(seen, shown) << show.Out;
}

TEST_F(CliDecoded, CheckRefusesADamagedFlacWithItsReason) {
  ASSERT_TRUE(test::RunAll(
      {Tone("t.wav", 44100, 440), {"flac", "--silent", "-o", "@a.flac", "@t.wav"}}, Dir.Path()));
  std::vector<uint8_t> bytes = test::ReadBytes(Dir / "a.flac");
  bytes.resize(bytes.size() / 2);
  test::WriteBytes(Dir / "a.flac", bytes);
  const auto r = Cli({"check", Dir / "a.flac"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, "FLAC\t-1\t-\t-\t-\t-\t-\t" + Dir / "a.flac" + "\n");
  EXPECT_EQ(r.Err.rfind("\"" + Dir / "a.flac" + "\" cannot be decoded: damaged FLAC data", 0), 0u)
      << r.Err;
}

// One track section of a layout file; keys left out take their defaults (regions: the whole
// file).
std::string TrackSection(int index, const std::string& file, int mode,
                         const std::string& preGapFile) {
  std::string t = "[Track0" + std::to_string(index) + "]\r\nTrackFileNmae=" + file +
                  "\r\nFileMode=" + std::to_string(mode) + "\r\nTrackPaddingHead=0\r\n";
  t += "PreGapStyle=" + std::string(preGapFile.empty() ? "0" : "1") +
       "\r\nPreGapFileName=" + preGapFile + "\r\nPreGapPaddingHead=1\r\nPreGapLength=150\r\n";
  return t + "\r\n";
}

TEST_F(CliDecoded, MakesABurnableDiscFromFlacWaveAndMp3WithHiddenFlacAudio) {
  if (!test::OnPath("cdrdao")) GTEST_SKIP() << "cdrdao is missing";
  ASSERT_TRUE(test::RunAll({Tone("a.wav", 200000, 440),
                            {"flac", "--silent", "-o", "@a.flac", "@a.wav"},
                            Tone("h.wav", 90000, 660),
                            {"flac", "--silent", "-o", "@h.flac", "@h.wav"},
                            Tone("b.wav", 180000, 550),
                            {"lame", "--quiet", "@b.wav", "@c.mp3"},
                            FlacDecode("a.flac", "a.raw"),
                            FlacDecode("h.flac", "h.raw")},
                           Dir.Path()));
  std::string layout =
      "[FileInfo]\r\nSoftName=Varnel\r\nVersion=2.03\r\n\r\n[DiscInfo]\r\nNumTracks=3\r\n"
      "MediaCatalog=             \r\nCD-Text=0\r\nCdtPath=\r\n\r\n"
      "[DataTrack]\r\nTrackFileNmae=\r\nImageType=0\r\n\r\n";
  layout += TrackSection(0, Dir / "a.flac", 0, Dir / "h.flac");
  layout += TrackSection(1, Dir / "b.wav", 0, "");
  layout += TrackSection(2, Dir / "c.mp3", 1, "");
  test::WriteText(Dir / "disc.txt", layout);

  const auto made = Cli({"make", "--settings", Settings(), "disc.txt", "disc.cue"});
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  const std::string cue = test::ReadText(Dir / "disc.cue");
  const std::string toc = test::ReadText(Dir / "disc.toc");
  // No Linux burner reads FLAC: neither sheet names the source.
  EXPECT_EQ(cue.find(".flac"), std::string::npos) << cue;
  EXPECT_EQ(toc.find(".flac"), std::string::npos) << toc;
  const auto info = RunProcess({"cdrdao", "toc-info", Dir / "disc.toc"}, Dir.Path());
  EXPECT_EQ(info.ExitCode, 0) << info.Out << info.Err;
  EXPECT_NE(info.Out.find(": 3 tracks,"), std::string::npos) << info.Out;

  // Track 1's wave: the hidden audio padded at its head to whole CD frames, then the track.
  const std::string track1 = Dir / "work/disc/Track01.wav";
  ASSERT_NE(cue.find("FILE \"" + track1 + "\" WAVE"), std::string::npos) << cue;
  const std::vector<int16_t> made1 = test::ReadSamples16(track1, 44);
  const std::vector<int16_t> hidden = test::ReadSamples16(Dir / "h.raw");
  const std::vector<int16_t> audio = test::ReadSamples16(Dir / "a.raw");
  const size_t headPad = 2 * ((588 - 90000 % 588) % 588);
  ASSERT_GE(made1.size(), headPad + hidden.size() + audio.size());
  EXPECT_TRUE(std::equal(hidden.begin(), hidden.end(), made1.begin() + headPad));
  EXPECT_TRUE(std::equal(audio.begin(), audio.end(), made1.begin() + headPad + hidden.size()));
  EXPECT_EQ(made1.size() % (2 * 588), 0u);
}

}  // namespace
}  // namespace varnel
