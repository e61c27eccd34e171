// MpegAudioFile: header fields against the tables of ISO/IEC 11172-3 and 13818-3, the tags
// and wrappers around the audio, the frame walk, and hostile or truncated input.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "formats/audio/MpegAudioFile.h"
#include "support/MpegHeaders.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::AppendFrames;
using test::kLayerI;
using test::kLayerII;
using test::kLayerIII;
using test::kLayerReserved;
using test::MpegFields;
using test::MpegHeader;

// MPEG-1 Layer III, 128 kbit/s, 44 100 Hz: 417 bytes, 418 padded.
const std::array<uint8_t, 4> kL3 = MpegHeader({});
const std::array<uint8_t, 4> kL3Pad = MpegHeader({.Padding = true});

std::vector<uint8_t> PlainFrames(int count) {
  std::vector<uint8_t> v;
  AppendFrames(v, kL3, 417, count);
  return v;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

void ExpectEmpty(const MpegAudioFile& m) {
  EXPECT_TRUE(m.FileName.empty());
  EXPECT_TRUE(m.Data.empty());
  EXPECT_FALSE(m.HasFirstFrame);
  EXPECT_EQ(m.FirstFrameOffset, 0);
  EXPECT_EQ(m.AudioSize, 0);
  EXPECT_EQ(m.FrameCount, 0);
  EXPECT_EQ(m.GetDuration(), 0.0f);
}

// ---------------------------------------------------------------------------------------
// Header fields

TEST(MpegHeaderFields, SyncPattern) {
  const uint8_t good[4] = {0xFF, 0xFB, 0x90, 0x00};
  const uint8_t mpeg25[4] = {0xFF, 0xE3, 0x90, 0x00};
  const uint8_t badFirst[4] = {0xFE, 0xFB, 0x90, 0x00};
  const uint8_t badNibble[4] = {0xFF, 0x7B, 0x90, 0x00};
  EXPECT_TRUE(MpegAudioFile::IsFrameHeader(good));
  EXPECT_FALSE(MpegAudioFile::IsFrameHeader(mpeg25));
  EXPECT_FALSE(MpegAudioFile::IsFrameHeader(badFirst));
  EXPECT_FALSE(MpegAudioFile::IsFrameHeader(badNibble));
  // Nothing that is not a header has a bitrate, rate, length or duration.
  for (const uint8_t* h : {mpeg25, badFirst, badNibble}) {
    EXPECT_EQ(MpegAudioFile::FrameBitrate(h), 0);
    EXPECT_EQ(MpegAudioFile::FrameSampleRate(h), 0);
    EXPECT_EQ(MpegAudioFile::FrameLength(h), 0);
    EXPECT_EQ(MpegAudioFile::FrameDuration(h), 0.0);
  }
}

TEST(MpegHeaderFields, BitrateTablesOfTheStandards) {
  struct Row {
    bool Mpeg1;
    int Layer;
    std::array<int, 16> Kbps;
  };
  const Row rows[] = {
      {true, kLayerI, {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}},
      {true, kLayerII, {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0}},
      {true, kLayerIII, {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
      {false, kLayerI, {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
      {false, kLayerII, {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
      {false, kLayerIII, {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
  };
  for (const Row& r : rows) {
    for (int i = 0; i < 16; ++i) {
      const auto h = MpegHeader({.Mpeg1 = r.Mpeg1, .LayerCode = r.Layer, .BitrateIndex = i});
      EXPECT_EQ(MpegAudioFile::FrameBitrate(h.data()), r.Kbps[i])
          << "MPEG-" << (r.Mpeg1 ? 1 : 2) << " layer code " << r.Layer << " index " << i;
    }
  }
  for (int i = 0; i < 16; ++i) {
    for (bool mpeg1 : {true, false}) {
      const auto h = MpegHeader({.Mpeg1 = mpeg1, .LayerCode = kLayerReserved, .BitrateIndex = i});
      EXPECT_EQ(MpegAudioFile::FrameBitrate(h.data()), 0);
    }
  }
}

TEST(MpegHeaderFields, SampleRates) {
  const int mpeg1[4] = {44100, 48000, 32000, 0};
  const int mpeg2[4] = {22050, 24000, 16000, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(MpegAudioFile::FrameSampleRate(MpegHeader({.Mpeg1 = true, .RateIndex = i}).data()),
              mpeg1[i]);
    EXPECT_EQ(MpegAudioFile::FrameSampleRate(MpegHeader({.Mpeg1 = false, .RateIndex = i}).data()),
              mpeg2[i]);
  }
}

TEST(MpegHeaderFields, FrameLengthsPerLayerAndVersion) {
  struct Case {
    MpegFields F;
    int Length;
  };
  const Case cases[] = {
      {{}, 417},                                                            // 144000 × 128 / 44100
      {{.Padding = true}, 418},                                             // one padding byte
      {{.BitrateIndex = 14}, 1044},                                         // 320 kbit/s
      {{.LayerCode = kLayerII, .BitrateIndex = 14, .RateIndex = 1}, 1152},  // 384 @ 48 kHz
      {{.LayerCode = kLayerI, .BitrateIndex = 14}, 484},                    // (121) × 4
      {{.LayerCode = kLayerI, .BitrateIndex = 14, .Padding = true}, 488},   // slot of 4 bytes
      {{.LayerCode = kLayerI, .BitrateIndex = 1, .RateIndex = 1}, 32},      // 8 slots
      {{.Mpeg1 = false, .LayerCode = kLayerII, .BitrateIndex = 8}, 417},    // 64 @ 22 050
      {{.Mpeg1 = false, .LayerCode = kLayerII, .BitrateIndex = 8, .Padding = true}, 418},
      {{.Mpeg1 = false, .LayerCode = kLayerIII, .BitrateIndex = 8}, 208},  // 72000 × 64 / 22050
      {{.Mpeg1 = false, .LayerCode = kLayerIII, .BitrateIndex = 14, .RateIndex = 1}, 480},
      {{.Mpeg1 = false, .LayerCode = kLayerII, .BitrateIndex = 1, .RateIndex = 2}, 72},
      {{.Mpeg1 = false, .LayerCode = kLayerI, .BitrateIndex = 14}, 556},  // (139) × 4
  };
  for (const Case& c : cases) {
    const auto h = MpegHeader(c.F);
    EXPECT_EQ(MpegAudioFile::FrameLength(h.data()), c.Length)
        << std::hex << int(h[1]) << ' ' << int(h[2]) << ' ' << int(h[3]);
  }
}

TEST(MpegHeaderFields, InvalidFieldsGiveZeroLength) {
  const MpegFields invalid[] = {
      {.BitrateIndex = 0},            // free format
      {.BitrateIndex = 15},           // forbidden index
      {.RateIndex = 3},               // reserved rate
      {.LayerCode = kLayerReserved},  // reserved layer
      {.Mpeg1 = false, .LayerCode = kLayerII, .RateIndex = 3},
  };
  for (const MpegFields& f : invalid) {
    const auto h = MpegHeader(f);
    EXPECT_TRUE(MpegAudioFile::IsFrameHeader(h.data()));
    EXPECT_EQ(MpegAudioFile::FrameLength(h.data()), 0);
    EXPECT_EQ(MpegAudioFile::FrameDuration(h.data()), 0.0);
  }
}

TEST(MpegHeaderFields, DurationFollowsSizeAndBitrate) {
  EXPECT_EQ(MpegAudioFile::FrameDuration(kL3.data()), 26.0625);
  EXPECT_EQ(MpegAudioFile::FrameDuration(kL3Pad.data()), 26.125);
  // Layer I, 48 kHz, 32 kbit/s: 32 bytes → 8 ms; MPEG-2 Layer III 16 kHz, 8 kbit/s: 36 ms.
  EXPECT_EQ(MpegAudioFile::FrameDuration(
                MpegHeader({.LayerCode = kLayerI, .BitrateIndex = 1, .RateIndex = 1}).data()),
            8.0);
  EXPECT_EQ(MpegAudioFile::FrameDuration(
                MpegHeader({.Mpeg1 = false, .BitrateIndex = 1, .RateIndex = 2}).data()),
            36.0);
}

// ---------------------------------------------------------------------------------------
// Finding the first frame

TEST(MpegOpen, PlainFileStartsAtZero) {
  MpegAudioFile m;
  const auto bytes = PlainFrames(3);
  ASSERT_TRUE(m.OpenBuffer(bytes, "x.mp3"));
  EXPECT_EQ(m.FileName, "x.mp3");
  EXPECT_TRUE(m.HasFirstFrame);
  EXPECT_EQ(m.FirstFrameOffset, 0);
  EXPECT_EQ(m.AudioSize, 3 * 417);
  EXPECT_EQ(std::vector<uint8_t>(m.FirstHeader, m.FirstHeader + 4),
            std::vector<uint8_t>(kL3.begin(), kL3.end()));
}

TEST(MpegOpen, Id3v2SizeIsSynchsafe) {
  MpegAudioFile m;
  // 00 00 02 01 → 2 × 128 + 1 = 257 body bytes; the frame follows the 10-byte header.
  ASSERT_TRUE(m.OpenBuffer(Concat({test::Id3v2Tag({0, 0, 2, 1}, 257), PlainFrames(2)})));
  EXPECT_EQ(m.FirstFrameOffset, 267);
  EXPECT_EQ(m.AudioSize, 2 * 417);
  EXPECT_EQ(m.CountFrames(), 2);
  // Each byte carries seven bits: 01 7F → 255.
  ASSERT_TRUE(m.OpenBuffer(Concat({test::Id3v2Tag({0, 0, 1, 0x7F}, 255), PlainFrames(1)})));
  EXPECT_EQ(m.FirstFrameOffset, 265);
}

TEST(MpegOpen, Id3v2Broken) {
  MpegAudioFile m;
  // Junk between the tag and the frame: no sync search.
  EXPECT_FALSE(m.OpenBuffer(Concat({test::Id3v2Tag({0, 0, 0, 10}, 11), PlainFrames(2)})));
  ExpectEmpty(m);
  // A size pointing past the end of the file.
  EXPECT_FALSE(m.OpenBuffer(Concat({test::Id3v2Tag({0x7F, 0x7F, 0x7F, 0x7F}, 0), PlainFrames(1)})));
  ExpectEmpty(m);
  // A size pointing exactly at the end: no room for a header.
  EXPECT_FALSE(m.OpenBuffer(test::Id3v2Tag({0, 0, 0, 20}, 20)));
  // A tag header cut short.
  EXPECT_FALSE(m.OpenBuffer({'I', 'D', '3', 3, 0, 0, 0}));
  ExpectEmpty(m);
}

TEST(MpegOpen, Id3v1ShortensTheAudio) {
  MpegAudioFile m;
  const auto bytes = Concat({PlainFrames(4), test::Id3v1Tag()});
  ASSERT_TRUE(m.OpenBuffer(bytes));
  EXPECT_EQ(m.AudioSize, 4 * 417);
  EXPECT_EQ(m.CountFrames(), 4);
  // A tag one byte short of 128 bytes is not at s − 128: the whole file counts as audio.
  auto shortTag = test::Id3v1Tag();
  shortTag.pop_back();
  ASSERT_TRUE(m.OpenBuffer(Concat({PlainFrames(4), shortTag})));
  EXPECT_EQ(m.AudioSize, 4 * 417 + 127);
  EXPECT_EQ(m.CountFrames(), 4);  // the walk still stops at "TAG", not a header
}

TEST(MpegOpen, Lyrics3v2BeforeId3v1) {
  MpegAudioFile m;
  const auto lyrics = test::Lyrics3v2Block();
  ASSERT_TRUE(m.OpenBuffer(Concat({PlainFrames(4), lyrics, test::Id3v1Tag()})));
  EXPECT_EQ(m.AudioSize, 4 * 417);
  EXPECT_EQ(m.CountFrames(), 4);
  // Size characters that are not digits: no Lyrics3 tag, only the ID3v1 tag is removed.
  const auto notDigits = test::Lyrics3v2Block("00 03x");
  ASSERT_TRUE(m.OpenBuffer(Concat({PlainFrames(4), notDigits, test::Id3v1Tag()})));
  EXPECT_EQ(m.AudioSize, static_cast<int32_t>(4 * 417 + notDigits.size()));
  // A size that would put the block before the start of the file is ignored too.
  const auto tooLarge = test::Lyrics3v2Block("999999");
  ASSERT_TRUE(m.OpenBuffer(Concat({PlainFrames(4), tooLarge, test::Id3v1Tag()})));
  EXPECT_EQ(m.AudioSize, static_cast<int32_t>(4 * 417 + tooLarge.size()));
  EXPECT_EQ(m.CountFrames(), 4);
}

TEST(MpegOpen, Rmp3Wrapper) {
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(test::Rmp3Wrapper(PlainFrames(3))));
  EXPECT_EQ(m.FirstFrameOffset, 20);
  EXPECT_EQ(m.AudioSize, 3 * 417);
  EXPECT_EQ(m.CountFrames(), 3);
  // The data size replaces what a trailing ID3v1 tag would have removed.
  ASSERT_TRUE(m.OpenBuffer(Concat({test::Rmp3Wrapper(PlainFrames(3)), test::Id3v1Tag()})));
  EXPECT_EQ(m.AudioSize, 3 * 417);
  // An ID3v2 tag inside the data chunk is taken off the data size.
  ASSERT_TRUE(
      m.OpenBuffer(test::Rmp3Wrapper(Concat({test::Id3v2Tag({0, 0, 0, 6}, 6), PlainFrames(3)}))));
  EXPECT_EQ(m.FirstFrameOffset, 36);
  EXPECT_EQ(m.AudioSize, 3 * 417);
}

TEST(MpegOpen, Rmp3Broken) {
  MpegAudioFile m;
  auto noData = test::Rmp3Wrapper(PlainFrames(2));
  noData[12] = 'D';  // "Data" is not "data"
  EXPECT_FALSE(m.OpenBuffer(noData));
  ExpectEmpty(m);
  // A data size larger than the file is cut to the bytes present.
  ASSERT_TRUE(m.OpenBuffer(test::Rmp3Wrapper(PlainFrames(2), 0xFFFFFFFFLL)));
  EXPECT_EQ(m.AudioSize, 2 * 417);
  EXPECT_EQ(m.CountFrames(), 2);
  // Cut short in the middle of the chunk header.
  const auto full = test::Rmp3Wrapper(PlainFrames(1));
  for (size_t n : {4u, 11u, 12u, 15u, 18u, 20u, 22u}) {
    EXPECT_FALSE(m.OpenBuffer(std::vector<uint8_t>(full.begin(), full.begin() + n))) << n;
  }
}

TEST(MpegOpen, OtherRiffFormsFail) {
  MpegAudioFile m;
  auto avi = test::Rmp3Wrapper(PlainFrames(2));
  std::copy_n("AVI ", 4, avi.begin() + 8);
  EXPECT_FALSE(m.OpenBuffer(avi));
}

TEST(MpegOpen, WaveWrapperLayer3) {
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(test::WaveWrapper(PlainFrames(3), false)));
  EXPECT_EQ(m.FirstFrameOffset, 58);
  EXPECT_EQ(m.AudioSize, 3 * 417);
  EXPECT_EQ(m.CountFrames(), 3);
  ASSERT_TRUE(m.OpenBuffer(test::WaveWrapper(PlainFrames(3), true)));
  EXPECT_EQ(m.FirstFrameOffset, 70);
  EXPECT_EQ(m.CountFrames(), 3);
  // A declared size past the end is cut to the bytes present.
  ASSERT_TRUE(m.OpenBuffer(test::WaveWrapper(PlainFrames(3), true, 0x55, 0x7FFFFFFF)));
  EXPECT_EQ(m.AudioSize, 3 * 417);
  // A smaller declared size limits the walk (see MpegWalk.FrameStartingInsideAudioSize).
  ASSERT_TRUE(m.OpenBuffer(test::WaveWrapper(PlainFrames(3), false, 0x55, 417)));
  EXPECT_EQ(m.AudioSize, 417);
  EXPECT_EQ(m.CountFrames(), 1);
}

TEST(MpegOpen, WaveWrapperBroken) {
  MpegAudioFile m;
  EXPECT_FALSE(m.OpenBuffer(test::WaveWrapper(PlainFrames(3), false, 1)));    // PCM
  EXPECT_FALSE(m.OpenBuffer(test::WaveWrapper(PlainFrames(3), true, 0x50)));  // Layer I/II
  ExpectEmpty(m);
  // After "fact" something other than "data".
  auto factThenList = test::WaveWrapper(PlainFrames(3), true);
  std::copy_n("LIST", 4, factThenList.begin() + 62);
  EXPECT_FALSE(m.OpenBuffer(factThenList));
  // Neither "fact" nor "data" after the format chunk.
  auto junk = test::WaveWrapper(PlainFrames(3), false);
  std::copy_n("junk", 4, junk.begin() + 50);
  EXPECT_FALSE(m.OpenBuffer(junk));
  // An extra size pointing past the end of the file.
  auto farExtra = test::WaveWrapper(PlainFrames(1), false);
  farExtra[36] = 0xFF;
  farExtra[37] = 0xFF;
  EXPECT_FALSE(m.OpenBuffer(farExtra));
  // Cut short anywhere in the headers.
  const auto full = test::WaveWrapper(PlainFrames(1), true);
  for (size_t n = 8; n < 74; n += 3) {
    EXPECT_FALSE(m.OpenBuffer(std::vector<uint8_t>(full.begin(), full.begin() + n))) << n;
  }
}

TEST(MpegOpen, NoHeaderAtTheStart) {
  MpegAudioFile m;
  auto shifted = Concat({{0}, PlainFrames(2)});
  EXPECT_FALSE(m.OpenBuffer(shifted));
  std::vector<uint8_t> mpeg25 = PlainFrames(2);
  mpeg25[1] = 0xE3;
  EXPECT_FALSE(m.OpenBuffer(mpeg25));
  ExpectEmpty(m);
}

TEST(MpegOpen, TinyFiles) {
  MpegAudioFile m;
  for (size_t n = 0; n < 4; ++n) {
    EXPECT_FALSE(m.OpenBuffer(std::vector<uint8_t>(kL3.begin(), kL3.begin() + n))) << n;
    ExpectEmpty(m);
  }
  // Four bytes that are a header: a file of one (truncated) frame.
  ASSERT_TRUE(m.OpenBuffer(std::vector<uint8_t>(kL3.begin(), kL3.end())));
  EXPECT_EQ(m.CountFrames(), 1);
  // Shorter than 143 bytes: judged by its first frame alone.
  std::vector<uint8_t> small(100, 0);
  std::copy(kL3.begin(), kL3.end(), small.begin());
  ASSERT_TRUE(m.OpenBuffer(small));
  EXPECT_EQ(m.AudioSize, 100);
}

TEST(MpegOpen, TagsLargerThanTheFileLeaveNoAudio) {
  // An ID3v2 tag that reaches into the trailing ID3v1 tag, with a header 3 bytes into it:
  // the arithmetic would go below zero; the object keeps 0 and the walk counts nothing.
  std::vector<uint8_t> bytes = test::Id3v2Tag({0, 0, 0, 20}, 17);
  auto tag = test::Id3v1Tag();
  std::copy(kL3.begin(), kL3.end(), tag.begin() + 3);
  bytes.insert(bytes.end(), tag.begin(), tag.end());
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(bytes));
  EXPECT_EQ(m.FirstFrameOffset, 30);
  EXPECT_EQ(m.AudioSize, 0);
  EXPECT_EQ(m.CountFrames(), 0);
}

// ---------------------------------------------------------------------------------------
// Opening from the file system

TEST(MpegOpenFile, MeasuresTheWholeFile) {
  test::TempDir dir;
  const std::string path = dir / "a.mp3";
  test::WriteBytes(path, Concat({PlainFrames(5), test::Id3v1Tag()}));
  MpegAudioFile m;
  ASSERT_TRUE(m.Open(path));
  EXPECT_EQ(m.FileName, path);
  EXPECT_EQ(m.Size(), 5 * 417 + 128);
  EXPECT_EQ(m.CountFrames(), 5);
  m.Reset();
  ExpectEmpty(m);
  EXPECT_EQ(m.CountFrames(), 0);
}

TEST(MpegOpenFile, UnusablePaths) {
  test::TempDir dir;
  MpegAudioFile m;
  EXPECT_FALSE(m.Open(dir / "missing.mp3"));
  EXPECT_FALSE(m.Open(dir.Path()));  // a folder
  test::WriteBytes(dir / "empty.mp3", {});
  EXPECT_FALSE(m.Open(dir / "empty.mp3"));
  ASSERT_EQ(mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);
  EXPECT_FALSE(m.Open(dir / "fifo.mp3"));  // refused, not waited on
  ExpectEmpty(m);
}

TEST(MpegOpenFile, FailedOpenEmptiesALoadedObject) {
  test::TempDir dir;
  test::WriteBytes(dir / "good.mp3", PlainFrames(2));
  test::WriteBytes(dir / "bad.mp3", {1, 2, 3, 4, 5});
  MpegAudioFile m;
  ASSERT_TRUE(m.Open(dir / "good.mp3"));
  ASSERT_EQ(m.CountFrames(), 2);
  EXPECT_FALSE(m.Open(dir / "bad.mp3"));
  ExpectEmpty(m);
}

TEST(MpegOpenFile, TooLargeToLoadFailsWithoutAllocating) {
  test::TempDir dir;
  const std::string path = dir / "huge.mp3";
  test::WriteBytes(path, PlainFrames(1));
  std::error_code ec;
  std::filesystem::resize_file(path, uint64_t{1} << 31, ec);  // sparse: INT32_MAX + 1 bytes
  if (ec) GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
  MpegAudioFile m;
  EXPECT_FALSE(m.Open(path));
  ExpectEmpty(m);
}

// ---------------------------------------------------------------------------------------
// The frame walk

TEST(MpegWalk, CountsMixedFramesAndSumsDurations) {
  std::vector<uint8_t> bytes;
  AppendFrames(bytes, kL3, 417, 3);
  AppendFrames(bytes, kL3Pad, 418, 2);
  // Variable bitrate: a 320 kbit/s frame and an MPEG-1 Layer II frame, each by its header.
  AppendFrames(bytes, MpegHeader({.BitrateIndex = 14}), 1044);
  AppendFrames(bytes, MpegHeader({.LayerCode = kLayerII, .BitrateIndex = 14, .RateIndex = 1}),
               1152);
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(bytes));
  EXPECT_EQ(m.CountFrames(), 7);
  EXPECT_EQ(m.FrameCount, 7);
  // 3 × 26.0625 + 2 × 26.125 + 1044 / 320 × 8 + 1152 / 384 × 8 = 130.4375 + 26.1 + 24
  const float expected = static_cast<float>(
      static_cast<float>(static_cast<float>(3 * 26.0625 + 2 * 26.125) + 26.1) + 24.0);
  EXPECT_EQ(m.GetDuration(), expected);
  // A second walk over the same data gives the same result.
  EXPECT_EQ(m.CountFrames(), 7);
  EXPECT_EQ(m.GetDuration(), expected);
}

TEST(MpegWalk, DurationIsRoundedToFloatAfterEveryFrame) {
  // 320 kbit/s at 44.1 kHz: 1044 bytes, 26.1 ms, not exact in binary.
  const int frames = 1000;
  std::vector<uint8_t> bytes;
  AppendFrames(bytes, MpegHeader({.BitrateIndex = 14}), 1044, frames);
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(bytes));
  ASSERT_EQ(m.CountFrames(), frames);
  const double frame = 1044.0 / 320 * 8;
  float stepwise = 0.0f;
  double exact = 0.0;
  for (int i = 0; i < frames; ++i) {
    stepwise = static_cast<float>(static_cast<long double>(stepwise) + frame);
    exact += frame;
  }
  ASSERT_NE(stepwise, static_cast<float>(exact));  // the test can tell the two apart
  EXPECT_EQ(m.GetDuration(), stepwise);
}

TEST(MpegWalk, StopsAtANonHeaderAndKeepsTheCount) {
  std::vector<uint8_t> bytes = PlainFrames(5);
  bytes.insert(bytes.end(), 10, 0x55);
  AppendFrames(bytes, kL3, 417, 3);
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(bytes));
  EXPECT_EQ(m.CountFrames(), 5);
  EXPECT_FLOAT_EQ(m.GetDuration(), 5 * 26.0625f);
  // Fewer than four bytes after the last frame end the walk as well.
  for (size_t extra = 1; extra < 4; ++extra) {
    std::vector<uint8_t> tail = PlainFrames(2);
    tail.insert(tail.end(), kL3.begin(), kL3.begin() + extra);
    ASSERT_TRUE(m.OpenBuffer(tail));
    EXPECT_EQ(m.CountFrames(), 2) << extra;
  }
}

TEST(MpegWalk, ZeroLengthFrameFailsAndKeepsThePreviousResult) {
  const MpegFields bad[] = {
      {.BitrateIndex = 0},            // free format
      {.BitrateIndex = 15},           // forbidden index
      {.RateIndex = 3},               // reserved rate
      {.LayerCode = kLayerReserved},  // reserved layer
  };
  for (const MpegFields& f : bad) {
    MpegAudioFile m;
    ASSERT_TRUE(m.OpenBuffer(PlainFrames(5)));
    ASSERT_EQ(m.CountFrames(), 5);
    const float before = m.GetDuration();
    const auto h = MpegHeader(f);
    std::copy(h.begin(), h.end(), m.Data.begin() + 3 * 417);
    EXPECT_EQ(m.CountFrames(), 0);
    EXPECT_EQ(m.FrameCount, 5);
    EXPECT_EQ(m.GetDuration(), before);
  }
}

TEST(MpegWalk, UnmeasurableFirstFrameOpensButCountsNothing) {
  std::vector<uint8_t> bytes;
  AppendFrames(bytes, MpegHeader({.BitrateIndex = 0}), 417, 2);
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(bytes));
  EXPECT_EQ(m.CountFrames(), 0);
  EXPECT_EQ(m.FrameCount, 0);
}

TEST(MpegWalk, FrameStartingInsideAudioSize) {
  // A frame is counted when it starts before AudioSize, even if it ends after it; a valid
  // header at or past AudioSize is not.
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(test::Rmp3Wrapper(PlainFrames(3), 835)));
  EXPECT_EQ(m.CountFrames(), 3);
  ASSERT_TRUE(m.OpenBuffer(test::Rmp3Wrapper(PlainFrames(3), 834)));
  EXPECT_EQ(m.CountFrames(), 2);
  ASSERT_TRUE(m.OpenBuffer(test::Rmp3Wrapper(PlainFrames(3), 0)));
  EXPECT_EQ(m.CountFrames(), 0);
}

TEST(MpegWalk, TruncatedLastFrameIsCounted) {
  std::vector<uint8_t> bytes = PlainFrames(3);
  bytes.resize(2 * 417 + 100);
  MpegAudioFile m;
  ASSERT_TRUE(m.OpenBuffer(bytes));
  EXPECT_EQ(m.CountFrames(), 3);
}

TEST(MpegWalk, NothingLoaded) {
  MpegAudioFile m;
  EXPECT_EQ(m.CountFrames(), 0);
  EXPECT_FALSE(m.OpenBuffer({}));
  EXPECT_EQ(m.CountFrames(), 0);
}

}  // namespace
}  // namespace varnel
