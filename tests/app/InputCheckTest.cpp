#include "app/commands/InputCheck.h"

#include <gtest/gtest.h>

#include "support/FakePrompter.h"
#include "support/MpegFrames.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::FakePrompter;
using test::TempDir;

struct CheckOutcome {
  bool Accepted;
  int32_t Mode;
  WaveDataInfo Info;
  bool GoOn;
};

CheckOutcome Check(FakePrompter& prompter, const std::string& path) {
  CheckOutcome o{};
  AppContext ctx(prompter);
  // The checks and questions of a file as it is: other formats are not converted.
  ctx.Settings.ConvertSources = false;
  std::string audioFile;
  o.Accepted = CheckInputFile(ctx, path, o.Mode, o.Info, audioFile, o.GoOn);
  return o;
}

TEST(CheckInputFile, AcceptsCdAudioWithoutAQuestion) {
  TempDir dir;
  std::vector<uint8_t> data(2352 * 3, 0);
  test::WriteBytes(dir / "a.wav", test::WaveBytes(data));
  FakePrompter prompter;
  CheckOutcome o = Check(prompter, dir / "a.wav");
  EXPECT_TRUE(o.Accepted);
  EXPECT_TRUE(o.GoOn);
  EXPECT_EQ(o.Mode, FileModeWave);
  EXPECT_EQ(o.Info, (WaveDataInfo{44, 2352 * 3, 2, 16, 44100}));
  EXPECT_TRUE(prompter.Log.empty());
  EXPECT_EQ(prompter.Beeps, 0);
}

// Each refusal asks its own question, path in double quotes, with a beep; the answer decides
// whether the remaining files are processed.
TEST(CheckInputFile, RefusalQuestionsOfEveryKind) {
  TempDir dir;
  test::WriteBytes(dir / "mono.WAV", test::WaveBytes(std::vector<uint8_t>(400, 0), 1, 16, 44100));
  std::vector<uint8_t> floatWave = test::WaveBytes(std::vector<uint8_t>(400, 0), 2, 32, 44100);
  floatWave[20] = 3;  // format tag: IEEE float
  test::WriteBytes(dir / "float.wav", floatWave);
  test::WriteBytes(dir / "low.mp3", test::Mpeg2Layer3Stereo22k(20));
  test::WriteBytes(dir / "mono.Mp3", test::Mpeg1Layer3Mono44k(20));
  test::WriteBytes(dir / "odd.cdg", std::vector<uint8_t>(2448 * 2 + 1, 0));
  test::WriteText(dir / "text.mp3", "not an mp3 at all");

  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir / "mono.WAV", " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"},
      {dir / "float.wav", " is not Riff-Wave file or doesnot exist. Do you want to continue?"},
      {dir / "missing.wav", " is not Riff-Wave file or doesnot exist. Do you want to continue?"},
      {dir / "low.mp3", " is not 44.1kHz, Streo. Do you want to continue?"},
      {dir / "mono.Mp3", " is not 44.1kHz, Streo. Do you want to continue?"},
      {dir / "missing.mp3", " is not MP3 file or doesnot exist. Do you want to continue?"},
      {dir / "text.mp3", " is not MP3 file or doesnot exist. Do you want to continue?"},
      {dir / "odd.cdg", " is not CDG binary. Do you want to continue?"},
      {dir / "missing.cdg", " is not CDG binary. Do you want to continue?"},
  };
  for (bool answer : {true, false}) {
    for (const auto& [path, message] : cases) {
      FakePrompter prompter;
      prompter.YesNoAnswers = {answer};
      CheckOutcome o = Check(prompter, path);
      EXPECT_FALSE(o.Accepted) << path;
      EXPECT_EQ(o.GoOn, answer) << path;
      ASSERT_EQ(prompter.Log.size(), 1u) << path;
      EXPECT_EQ(prompter.Log[0], "YesNo: \"" + path + "\"" + message);
      EXPECT_EQ(prompter.Beeps, 1);
    }
  }
}

TEST(CheckInputFile, KindFollowsTheLowerCasedExtension) {
  TempDir dir;
  // A perfectly good wave file named .bin is checked as a CD+G binary: 44 + 400 bytes is
  // not a whole number of 2448-byte sectors.
  test::WriteBytes(dir / "wave.bin", test::WaveBytes(std::vector<uint8_t>(400, 0)));
  FakePrompter prompter;
  prompter.YesNoAnswers = {true};
  CheckOutcome o = Check(prompter, dir / "wave.bin");
  EXPECT_FALSE(o.Accepted);
  EXPECT_EQ(o.Mode, FileModeCdg);

  test::WriteBytes(dir / "noext", std::vector<uint8_t>(2448, 0));
  o = Check(prompter, dir / "noext");
  EXPECT_TRUE(o.Accepted);
  EXPECT_EQ(o.Mode, FileModeCdg);
  EXPECT_EQ(o.Info.DataSize, 2352);

  test::WriteBytes(dir / "Loud.MP3", test::Mpeg1Layer3Stereo44k(10));
  o = Check(prompter, dir / "Loud.MP3");
  EXPECT_TRUE(o.Accepted);
  EXPECT_EQ(o.Mode, FileModeMp3);
  EXPECT_EQ(o.Info.SampleRate, 44100);
  EXPECT_EQ(o.Info.Channels, 2);
}

}  // namespace
}  // namespace varnel
