// The input checks: kind from the extension, the wave, MP3 and CD+G checks with their
// summaries, the MP3 DataSize rounding, and the refusal texts.
#include "formats/audio/InputChecks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>

#include "support/MpegHeaders.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::AppendFrames;
using test::MpegHeader;

// A summary whose fields hold a value no check writes, to see which ones a check filled.
constexpr int32_t kUnset = -7;
WaveDataInfo Unset() {
  return {kUnset, kUnset, kUnset, kUnset, kUnset};
}

// MPEG-1 Layer I at 44 100 Hz: 32 kbit/s frames are 32 bytes of 8 ms, 64 kbit/s frames
// 68 bytes of 8.5 ms; both durations are exact binary fractions.
const std::array<uint8_t, 4> kLayerI32 =
    MpegHeader({.LayerCode = test::kLayerI, .BitrateIndex = 1});
const std::array<uint8_t, 4> kLayerI64 =
    MpegHeader({.LayerCode = test::kLayerI, .BitrateIndex = 2});

TEST(FileKind, FromTheLowerCasedExtensionOfTheFileName) {
  EXPECT_EQ(FileModeFromPath("/music/a.WAV"), FileModeWave);
  EXPECT_EQ(FileModeFromPath("/music/a.wav"), FileModeWave);
  EXPECT_EQ(FileModeFromPath("/music/b.Mp3"), FileModeMp3);
  EXPECT_EQ(FileModeFromPath("b.mp3"), FileModeMp3);
  EXPECT_EQ(FileModeFromPath("/music/c.bin"), FileModeCdg);
  EXPECT_EQ(FileModeFromPath("/music/c.cdg"), FileModeCdg);
  EXPECT_EQ(FileModeFromPath("/music/noext"), FileModeCdg);
  EXPECT_EQ(FileModeFromPath(""), FileModeCdg);
  EXPECT_EQ(FileModeFromPath("/music/a.wav.bin"), FileModeCdg);
  EXPECT_EQ(FileModeFromPath("/music/a.bin.wav"), FileModeWave);
  EXPECT_EQ(FileModeFromPath("/music/a.wave"), FileModeCdg);
  EXPECT_EQ(FileModeFromPath("/music/a."), FileModeCdg);
  // A dot in a folder name is not an extension.
  EXPECT_EQ(FileModeFromPath("/music/album.wav/track"), FileModeCdg);
  EXPECT_EQ(FileModeFromPath("/x.mp3/"), FileModeCdg);
}

TEST(WaveCheck, Results) {
  test::TempDir dir;
  std::vector<uint8_t> data(4 * 100, 1);
  test::WriteBytes(dir / "ok.wav", test::WaveBytes(data));
  test::WriteBytes(dir / "mono.wav", test::WaveBytes(data, 1, 16, 44100));
  test::WriteBytes(dir / "rate.wav", test::WaveBytes(data, 2, 16, 48000));
  test::WriteBytes(dir / "8bit.wav", test::WaveBytes(data, 2, 8, 44100));
  auto floatWave = test::WaveBytes(data, 2, 32, 44100);
  floatWave[20] = 3;  // IEEE float format tag
  test::WriteBytes(dir / "float.wav", floatWave);
  test::WriteBytes(dir / "text.wav", {'h', 'e', 'l', 'l', 'o'});

  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckWaveFile(dir / "ok.wav", info), 1);
  EXPECT_EQ(info, (WaveDataInfo{44, 400, 2, 16, 44100}));
  info = Unset();
  EXPECT_EQ(CheckWaveFile(dir / "mono.wav", info), 0);
  EXPECT_EQ(info.Channels, 1);
  EXPECT_EQ(CheckWaveFile(dir / "rate.wav", info), 0);
  EXPECT_EQ(CheckWaveFile(dir / "8bit.wav", info), 0);
  EXPECT_EQ(CheckWaveFile(dir / "float.wav", info), -1);
  EXPECT_EQ(CheckWaveFile(dir / "text.wav", info), -1);
  EXPECT_EQ(CheckWaveFile(dir / "missing.wav", info), -1);
}

TEST(Mp3Check, AcceptedFileAndItsSummary) {
  test::TempDir dir;
  std::vector<uint8_t> bytes;
  AppendFrames(bytes, kLayerI32, 32, 125);  // 125 × 8 ms = 1000 ms
  test::WriteBytes(dir / "a.mp3", bytes);
  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckMp3File(dir / "a.mp3", info), 1);
  EXPECT_EQ(info, (WaveDataInfo{0, 4 * 44101, 2, 16, 44100}));
}

TEST(Mp3Check, HalfSecondRoundsUpOneSampleFrame) {
  test::TempDir dir;
  std::vector<uint8_t> bytes;
  AppendFrames(bytes, kLayerI32, 32, 54);  // 432 ms
  AppendFrames(bytes, kLayerI64, 68, 8);   // + 68 ms
  test::WriteBytes(dir / "a.mp3", bytes);
  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckMp3File(dir / "a.mp3", info), 1);
  EXPECT_EQ(info.DataSize, 4 * 22051);
}

TEST(Mp3Check, OtherRateOrMonoIsZero) {
  test::TempDir dir;
  std::vector<uint8_t> r22;
  AppendFrames(r22, MpegHeader({.Mpeg1 = false, .BitrateIndex = 8}), 208, 10);
  test::WriteBytes(dir / "r22.mp3", r22);
  std::vector<uint8_t> mono;
  AppendFrames(mono, MpegHeader({.ChannelMode = 3}), 417, 10);
  test::WriteBytes(dir / "mono.mp3", mono);

  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckMp3File(dir / "r22.mp3", info), 0);
  EXPECT_EQ(info.SampleRate, 22050);
  EXPECT_EQ(info.Channels, 2);
  EXPECT_EQ(info.DataOffset, 0);
  EXPECT_GT(info.DataSize, 0);
  info = Unset();
  EXPECT_EQ(CheckMp3File(dir / "mono.mp3", info), 0);
  EXPECT_EQ(info.SampleRate, 44100);
  EXPECT_EQ(info.Channels, 1);
  EXPECT_EQ(info.BitsPerSample, 16);
}

TEST(Mp3Check, RefusedFiles) {
  test::TempDir dir;
  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckMp3File(dir / "missing.mp3", info), -1);
  EXPECT_EQ(info, Unset());
  test::WriteBytes(dir / "junk.mp3", {'n', 'o', 't', ' ', 'm', 'p', '3'});
  EXPECT_EQ(CheckMp3File(dir / "junk.mp3", info), -1);
  EXPECT_EQ(info, Unset());
  ASSERT_EQ(mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);
  EXPECT_EQ(CheckMp3File(dir / "fifo.mp3", info), -1);
  // Opens (a header at the start) but the walk fails: free-format frames cannot be measured.
  std::vector<uint8_t> free;
  AppendFrames(free, MpegHeader({.BitrateIndex = 0}), 417, 3);
  test::WriteBytes(dir / "free.mp3", free);
  EXPECT_EQ(CheckMp3File(dir / "free.mp3", info), -1);
  EXPECT_EQ(info.DataSize, kUnset);
}

TEST(Mp3Check, PlayingTimeIsLimitedByPositionsNotByA32BitDataSize) {
  // MPEG-2 Layer III, 8 kbit/s, 16 kHz: 36-byte frames of 36 ms (16 kHz: result 0). DataSize
  // passes 2^31 at about 12 173 943.6 ms and is kept; a position stops fitting in an int32 at
  // 2 147 483 647 sample frames, about 48 695 774 ms.
  const auto header = MpegHeader({.Mpeg1 = false, .BitrateIndex = 1, .RateIndex = 2});
  const struct {
    int Frames;
    int32_t Result;
    int64_t DataSize;
  } rows[] = {
      {338165, 0, 4 * int64_t{536870755}},    // 12 173 940 ms
      {338166, 0, 4 * int64_t{536872342}},    // 12 173 976 ms
      {1352660, 0, 4 * int64_t{2147483017}},  // 48 695 760 ms
      {1352661, -1, kUnset},                  // 48 695 796 ms
  };
  test::TempDir dir;
  std::vector<uint8_t> bytes;
  for (const auto& row : rows) {
    AppendFrames(bytes, header, 36, row.Frames - static_cast<int>(bytes.size() / 36));
    test::WriteBytes(dir / "long.mp3", bytes);
    WaveDataInfo info = Unset();
    EXPECT_EQ(CheckMp3File(dir / "long.mp3", info), row.Result) << row.Frames;
    EXPECT_EQ(info.DataSize, row.DataSize) << row.Frames;
  }
}

TEST(Mp3DataSize, RoundingOfTheProduct) {
  // 44.1 as a double lies above 44.1: a multiple of 10 ms gets one sample frame more.
  EXPECT_EQ(Mp3DataSizeFromDuration(1000.0f), 176404);
  EXPECT_EQ(Mp3DataSizeFromDuration(500.0f), 4 * 22051);
  EXPECT_EQ(Mp3DataSizeFromDuration(1000.01f), 4 * 44101);
  EXPECT_EQ(Mp3DataSizeFromDuration(10.0f), 4 * 442);
  EXPECT_EQ(Mp3DataSizeFromDuration(0.0f), 0);
  EXPECT_EQ(Mp3DataSizeFromDuration(26.0625f), 4 * 1150);  // 1149.35…
}

TEST(Mp3DataSize, LimitsOfThe32BitPositions) {
  // A byte count past 2^31 (about 3 h 22 min) is no limit: the sample frames are, since
  // every position is 32-bit (about 13 h 31 min).
  EXPECT_EQ(Mp3DataSizeFromDuration(12173943.0f), 4 * 536870887);
  EXPECT_EQ(Mp3DataSizeFromDuration(12173944.0f), 4 * int64_t{536870931});
  EXPECT_EQ(Mp3DataSizeFromDuration(48695772.0f), 4 * int64_t{2147483546});
  EXPECT_EQ(Mp3DataSizeFromDuration(48695776.0f), -1);
  EXPECT_EQ(Mp3DataSizeFromDuration(std::numeric_limits<float>::max()), -1);
  EXPECT_EQ(Mp3DataSizeFromDuration(std::numeric_limits<float>::infinity()), -1);
  EXPECT_EQ(Mp3DataSizeFromDuration(std::numeric_limits<float>::quiet_NaN()), -1);
  EXPECT_EQ(Mp3DataSizeFromDuration(-1.0f), -1);
}

TEST(CdgCheck, WholeSectorsOnly) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.cdg", std::vector<uint8_t>(2448 * 1000, 0));
  test::WriteBytes(dir / "b.cdg", std::vector<uint8_t>(2448 * 1000 + 1, 0));
  test::WriteBytes(dir / "empty.cdg", {});

  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckCdgFile(dir / "a.cdg", info), 1);
  EXPECT_EQ(info, (WaveDataInfo{0, 2352000, 2, 16, 44100}));
  info = Unset();
  EXPECT_EQ(CheckCdgFile(dir / "b.cdg", info), 255);
  EXPECT_EQ(info, Unset());
  EXPECT_EQ(CheckCdgFile(dir / "empty.cdg", info), 1);
  EXPECT_EQ(info, (WaveDataInfo{0, 0, 2, 16, 44100}));
}

TEST(CdgCheck, UnopenablePaths) {
  test::TempDir dir;
  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckCdgFile(dir / "missing.cdg", info), -1);
  EXPECT_EQ(CheckCdgFile(dir.Path(), info), -1);
  ASSERT_EQ(mkfifo((dir / "fifo.cdg").c_str(), 0600), 0);
  EXPECT_EQ(CheckCdgFile(dir / "fifo.cdg", info), -1);  // refused, not waited on
  EXPECT_EQ(info, Unset());
}

TEST(CdgCheck, DataSizeBeyond32BitsIsRefused) {
  // 913 045 sectors give 2 147 481 840 bytes of audio; one more sector would overflow.
  test::TempDir dir;
  std::error_code ec;
  test::WriteBytes(dir / "max.cdg", {});
  std::filesystem::resize_file(dir / "max.cdg", uint64_t{2448} * 913045, ec);
  if (ec) GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
  test::WriteBytes(dir / "over.cdg", {});
  std::filesystem::resize_file(dir / "over.cdg", uint64_t{2448} * 913046, ec);
  ASSERT_FALSE(ec);

  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckCdgFile(dir / "max.cdg", info), 1);
  EXPECT_EQ(info.DataSize, 2147481840);
  info = Unset();
  EXPECT_EQ(CheckCdgFile(dir / "over.cdg", info), 255);
  EXPECT_EQ(info, Unset());
}

TEST(CheckOfKind, ChoosesTheCheckByExtension) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.WAV", test::WaveBytes(std::vector<uint8_t>(8, 0)));
  test::WriteBytes(dir / "a.bin", std::vector<uint8_t>(2448, 0));
  test::WriteBytes(dir / "noext", std::vector<uint8_t>(2448 * 2, 0));
  // Wave bytes under an .Mp3 name are not an MP3 file.
  test::WriteBytes(dir / "wave.Mp3", test::WaveBytes(std::vector<uint8_t>(8, 0)));

  int32_t mode = -1;
  WaveDataInfo info = Unset();
  EXPECT_EQ(CheckFileOfKind(dir / "a.WAV", mode, info), 1);
  EXPECT_EQ(mode, FileModeWave);
  EXPECT_EQ(info.DataSize, 8);
  EXPECT_EQ(CheckFileOfKind(dir / "wave.Mp3", mode, info), -1);
  EXPECT_EQ(mode, FileModeMp3);
  EXPECT_EQ(CheckFileOfKind(dir / "a.bin", mode, info), 1);
  EXPECT_EQ(mode, FileModeCdg);
  EXPECT_EQ(info.DataSize, 2352);
  EXPECT_EQ(CheckFileOfKind(dir / "noext", mode, info), 1);
  EXPECT_EQ(mode, FileModeCdg);
  EXPECT_EQ(info.DataSize, 2 * 2352);
}

TEST(Refusal, TheQuestionTexts) {
  EXPECT_EQ(RefusalMessage(FileModeWave, 0),
            " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?");
  EXPECT_EQ(RefusalMessage(FileModeWave, -1),
            " is not Riff-Wave file or doesnot exist. Do you want to continue?");
  EXPECT_EQ(RefusalMessage(FileModeMp3, 0), " is not 44.1kHz, Streo. Do you want to continue?");
  EXPECT_EQ(RefusalMessage(FileModeMp3, -1),
            " is not MP3 file or doesnot exist. Do you want to continue?");
  for (int32_t result : {0, -1, 255}) {
    EXPECT_EQ(RefusalMessage(FileModeCdg, result), " is not CDG binary. Do you want to continue?");
  }
  for (int32_t mode : {FileModeWave, FileModeMp3, FileModeCdg}) {
    EXPECT_EQ(RefusalMessage(mode, 1), "");
  }
}

TEST(Refusal, EachCheckLeadsToItsText) {
  test::TempDir dir;
  test::WriteBytes(dir / "mono.wav", test::WaveBytes(std::vector<uint8_t>(8, 0), 1));
  std::vector<uint8_t> r22;
  AppendFrames(r22, MpegHeader({.Mpeg1 = false, .BitrateIndex = 8}), 208, 3);
  test::WriteBytes(dir / "r22.mp3", r22);
  test::WriteBytes(dir / "odd.bin", std::vector<uint8_t>(100, 0));

  struct Case {
    std::string Name;
    std::string Text;
  };
  const Case cases[] = {
      {"mono.wav", " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"},
      {"missing.wav", " is not Riff-Wave file or doesnot exist. Do you want to continue?"},
      {"r22.mp3", " is not 44.1kHz, Streo. Do you want to continue?"},
      {"missing.mp3", " is not MP3 file or doesnot exist. Do you want to continue?"},
      {"odd.bin", " is not CDG binary. Do you want to continue?"},
      {"missing", " is not CDG binary. Do you want to continue?"},
  };
  for (const Case& c : cases) {
    int32_t mode = -1;
    WaveDataInfo info;
    const int32_t result = CheckFileOfKind(dir / c.Name, mode, info);
    EXPECT_NE(result, 1) << c.Name;
    EXPECT_EQ(RefusalMessage(mode, result), c.Text) << c.Name;
  }
}

}  // namespace
}  // namespace varnel
