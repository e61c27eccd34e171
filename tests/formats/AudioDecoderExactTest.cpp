// Sources taken sample for sample: 44 100 Hz material of at most 16 bits, and MP3 at
// 44 100 Hz. Each row makes a 3-second source with outside tools and decodes it with
// DecodeToWaveFile; the samples must equal what an outside decoder gives for the same file
// (flac -d, sox, mpg123 -w with its default gapless trimming), mono duplicated to both
// channels, and the file must be a canonical wave that sox reads at the same length.
#include <gtest/gtest.h>

#include "AudioDecoder.h"
#include "AudioTools.h"
#include "Binedit.h"

namespace varnel {
namespace {

using test::Command;

constexpr int64_t kSourceFrames = 3 * 44100;

struct ExactRow {
  std::string Name;
  std::string Source;              // file name made by Make
  std::vector<Command> Make;       // from nothing to Source
  std::vector<Command> Reference;  // from Source to ref.raw (16-bit little-endian)
  int32_t RefChannels;             // channels in ref.raw
  bool Pad;                        // decode padded to whole CD frames
  int32_t SourceChannels;
  int32_t SourceBits;
  std::vector<std::string> Tools;
  // False for an MP3 without a LAME/Xing tag: nothing says what to trim, so the decoder's
  // delay and the padding stay, as in mpg123's output.
  bool Trimmed = true;
};

void PrintTo(const ExactRow& r, std::ostream* os) {
  *os << r.Name;
}

const Command kStereoTone = {"sox", "-n",   "-r",       "44100", "-c", "2",
                             "-b",  "16",   "@src.wav", "synth", "3",  "sine",
                             "440", "sine", "663",      "gain",  "-3"};
const Command kMonoTone = {"sox",      "-n",    "-r", "44100", "-c",  "1",    "-b", "16",
                           "@src.wav", "synth", "3",  "sine",  "523", "gain", "-3"};
const Command kFlacToRaw = {
    "flac", "--silent", "-d",  "--force-raw-format", "--endian=little", "--sign=signed",
    "-o",   "@ref.raw", "@SRC"};
Command SoxToRaw(const std::string& from) {
  return {"sox", from, "-t", "raw", "-e", "signed", "-b", "16", "-L", "@ref.raw"};
}
const std::vector<Command> kMpg123ToRaw = {{"mpg123", "-q", "-w", "@ref.wav", "@SRC"},
                                           SoxToRaw("@ref.wav")};

std::vector<ExactRow> Rows() {
  return {
      {"Flac16Stereo",
       "a.flac",
       {kStereoTone, {"flac", "--silent", "-o", "@a.flac", "@src.wav"}},
       {kFlacToRaw},
       2,
       false,
       2,
       16,
       {"sox", "flac"}},
      {"Flac16Mono",
       "a.flac",
       {kMonoTone, {"flac", "--silent", "-o", "@a.flac", "@src.wav"}},
       {kFlacToRaw},
       1,
       false,
       1,
       16,
       {"sox", "flac"}},
      // 16-bit audio in a 24-bit container: every value is a whole 16-bit step, nothing to
      // dither, so the original comes back.
      {"Flac24HoldingSixteenBits",
       "a.flac",
       {kStereoTone, {"sox", "@src.wav", "-b", "24", "@a.flac"}},
       {SoxToRaw("@src.wav")},
       2,
       false,
       2,
       24,
       {"sox"}},
      {"Aiff16Stereo",
       "a.aiff",
       {kStereoTone, {"sox", "@src.wav", "@a.aiff"}},
       {SoxToRaw("@a.aiff")},
       2,
       false,
       2,
       16,
       {"sox"}},
      {"Aif8Mono",
       "a.aif",
       {kMonoTone, {"sox", "@src.wav", "-b", "8", "@a.aif"}},
       {SoxToRaw("@a.aif")},
       1,
       false,
       1,
       8,
       {"sox"}},
      {"Mp3CbrStereo",
       "a.mp3",
       {kStereoTone, {"lame", "--quiet", "-b", "192", "@src.wav", "@a.mp3"}},
       kMpg123ToRaw,
       2,
       true,
       2,
       0,
       {"sox", "lame", "mpg123"}},
      {"Mp3VbrMonoTagged",
       "a.mp3",
       {kMonoTone,
        {"lame", "--quiet", "-V", "2", "-m", "m", "--tt", "Title", "--add-id3v2", "@src.wav",
         "@a.mp3"}},
       kMpg123ToRaw,
       1,
       true,
       1,
       0,
       {"sox", "lame", "mpg123"}},
      {"Mp3Unpadded",
       "a.mp3",
       {kStereoTone, {"lame", "--quiet", "-b", "128", "@src.wav", "@a.mp3"}},
       kMpg123ToRaw,
       2,
       false,
       2,
       0,
       {"sox", "lame", "mpg123"}},
      {"Mp3WithoutInfoTag",
       "a.mp3",
       {kStereoTone, {"lame", "--quiet", "-t", "-b", "128", "@src.wav", "@a.mp3"}},
       kMpg123ToRaw,
       2,
       true,
       2,
       0,
       {"sox", "lame", "mpg123"},
       false},
  };
}

std::vector<Command> WithSource(std::vector<Command> cmds, const std::string& source) {
  for (Command& c : cmds) {
    for (std::string& a : c) {
      if (a == "@SRC") a = "@" + source;
    }
  }
  return cmds;
}

class ExactDecode : public ::testing::TestWithParam<ExactRow> {};

TEST_P(ExactDecode, SamplesEqualTheOutsideDecoder) {
  const ExactRow& row = GetParam();
  if (const std::string t = test::MissingTool(row.Tools); !t.empty()) GTEST_SKIP() << t;
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll(row.Make, dir.Path()));
  ASSERT_TRUE(test::RunAll(WithSource(row.Reference, row.Source), dir.Path()));

  TFile out = TFile::CreateExclusive(dir / "out.wav");
  std::vector<double> fractions;
  const TDecodeSummary s = DecodeToWaveFile(dir / row.Source, out, {.PadToCdFrames = row.Pad},
                                            [&](double f) { fractions.push_back(f); });
  out.Close();

  EXPECT_EQ(s.SourceRate, 44100);
  EXPECT_EQ(s.SourceChannels, row.SourceChannels);
  EXPECT_EQ(s.SourceBits, row.SourceBits);
  EXPECT_FALSE(s.Resampled);
  const std::vector<int16_t> ref = test::ReadSamples16(dir / "ref.raw");
  const size_t frames = ref.size() / static_cast<size_t>(row.RefChannels);
  // Gapless MP3 decoding gives back exactly the length lame was given.
  if (row.Trimmed) {
    EXPECT_EQ(frames, static_cast<size_t>(kSourceFrames));
  } else {
    EXPECT_GT(frames, static_cast<size_t>(kSourceFrames));
  }
  EXPECT_EQ(s.FramesWritten - s.PaddingFrames, static_cast<int64_t>(frames));
  ASSERT_FALSE(fractions.empty());
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_EQ(fractions.back(), 1.0);

  const std::vector<int16_t> ours = test::ReadSamples16(dir / "out.wav", 44);
  ASSERT_EQ(ours.size(), static_cast<size_t>(s.FramesWritten) * 2);
  ASSERT_GE(ours.size(), 2 * frames);
  size_t mismatches = 0;
  for (size_t i = 0; i < frames; ++i) {
    const int16_t left = ref[i * row.RefChannels];
    const int16_t right = ref[i * row.RefChannels + (row.RefChannels - 1)];
    if (ours[2 * i] != left || ours[2 * i + 1] != right) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0u);
  for (size_t i = 2 * frames; i < ours.size(); ++i) ASSERT_EQ(ours[i], 0) << i;
  if (row.Pad) {
    EXPECT_EQ(ours.size() * 2 % 2352, 0u);
    EXPECT_LT(s.PaddingFrames, 588);
  } else {
    EXPECT_EQ(s.PaddingFrames, 0);
  }

  // The canonical header, as our reader and sox see it.
  WaveDataInfo info;
  ASSERT_EQ(ReadWaveHeader(dir / "out.wav", info), 1);
  EXPECT_EQ(info, s.WaveInfo());
  EXPECT_EQ(test::ReadBytes(dir / "out.wav").size(), 44u + info.DataSize);
  const test::ProcessResult soxi = test::RunProcess({"soxi", "-s", dir / "out.wav"});
  EXPECT_EQ(soxi.Out, std::to_string(s.FramesWritten) + "\n") << soxi.Err;
}

INSTANTIATE_TEST_SUITE_P(Formats, ExactDecode, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace varnel
