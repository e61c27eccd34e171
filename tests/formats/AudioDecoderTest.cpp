// Decoding every source kind, one row per format: each row makes a 3-second source with
// outside tools, decodes it into a canonical wave file and through the decode cache, and
// compares the samples with what an outside decoder gives for the same file: flac -d, sox,
// mpg123 -w (gapless by default), oggdec, and sox `rate -v` without dither for a resampled
// source. Exact rows (MaxDiff 0) must match sample for sample; converted rows may differ by
// the ±1 step of dither plus what two resamplers of the same quality differ by.
#include "formats/audio/AudioDecoder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "formats/audio/DecodedCache.h"
#include "formats/audio/WaveHeader.h"
#include "support/AudioTools.h"

namespace varnel {
namespace {

using test::Command;

constexpr int64_t kFrames = 3 * 44100;

struct FormatRow {
  std::string Name;
  std::string Source;
  std::vector<Command> Make;       // from nothing to Source
  std::vector<Command> Reference;  // Source to ref.raw (16-bit little-endian); may be empty
  int RefChannels;
  int MaxDiff;  // 0: sample for sample
  bool Pad;
  int32_t Rate, Channels, Bits;  // of the source
  const char* Kind;
  // An MP3 without a LAME/Xing tag says nothing about what to trim: the decoder's delay and
  // the padding stay, as in mpg123's output.
  bool Untrimmed = false;
};

void PrintTo(const FormatRow& r, std::ostream* os) {
  *os << r.Name;
}

Command Tone(const std::string& rate, int channels, const std::string& bits,
             const std::string& file) {
  Command c = {"sox", "-n",    "-r", rate,   "-c", std::to_string(channels), "-b", bits,
               file,  "synth", "3",  "sine", "440"};
  if (channels == 2) c.insert(c.end(), {"sine", "663"});
  c.insert(c.end(), {"gain", "-3"});
  return c;
}
Command ToRaw(const std::string& from, bool resample = false) {
  Command c = {"sox", from, "-D", "-t", "raw", "-e", "signed", "-b", "16", "-L", "@ref.raw"};
  if (resample) c.insert(c.end(), {"rate", "-v", "44100"});
  return c;
}
const Command kFlacToRaw = {
    "flac", "--silent", "-d",     "--force-raw-format", "--endian=little", "--sign=signed",
    "-o",   "@ref.raw", "@a.flac"};
const Command kFlac = {"flac", "--silent", "-o", "@a.flac", "@s.wav"};
const Command kMpg123 = {"mpg123", "-q", "-w", "@ref.wav", "@a.mp3"};
Command Lame(std::vector<std::string> options) {
  Command c = {"lame", "--quiet"};
  c.insert(c.end(), options.begin(), options.end());
  c.insert(c.end(), {"@s.wav", "@a.mp3"});
  return c;
}

FormatRow Row(std::string name, std::string source, std::vector<Command> make,
              std::vector<Command> reference, int refChannels, int maxDiff, bool pad, int32_t rate,
              int32_t channels, int32_t bits, const char* kind, bool untrimmed = false) {
  return {std::move(name),
          std::move(source),
          std::move(make),
          std::move(reference),
          refChannels,
          maxDiff,
          pad,
          rate,
          channels,
          bits,
          kind,
          untrimmed};
}

std::vector<FormatRow> Rows() {
  const auto s44 = Tone("44100", 2, "16", "@s.wav");
  const auto m44 = Tone("44100", 1, "16", "@s.wav");
  const Command oggenc = {"oggenc", "-Q", "-o", "@a.ogg", "@s.wav"};
  const std::vector<Command> mpg123 = {kMpg123, ToRaw("@ref.wav")};
  const std::vector<Command> mpg123Rate = {kMpg123, ToRaw("@ref.wav", true)};
  return {
      Row("Flac16Stereo", "a.flac", {s44, kFlac}, {kFlacToRaw}, 2, 0, false, 44100, 2, 16, "FLAC"),
      Row("Flac16Mono", "a.flac", {m44, kFlac}, {kFlacToRaw}, 1, 0, false, 44100, 1, 16, "FLAC"),
      // Whole 16-bit steps in a 24-bit container: nothing to dither, the original comes back.
      Row("Flac24HoldingSixteenBits", "a.flac", {s44, {"sox", "@s.wav", "-b", "24", "@a.flac"}},
          {ToRaw("@s.wav")}, 2, 0, false, 44100, 2, 24, "FLAC"),
      Row("Aiff16Stereo", "a.aiff", {s44, {"sox", "@s.wav", "@a.aiff"}}, {ToRaw("@a.aiff")}, 2, 0,
          false, 44100, 2, 16, "AIFF"),
      Row("Aif8MonoUpperCase", "a.AIF", {m44, {"sox", "@s.wav", "-b", "8", "-t", "aiff", "@a.AIF"}},
          {ToRaw("@a.AIF")}, 1, 0, false, 44100, 1, 8, "AIFF"),
      Row("Mp3CbrPadded", "a.mp3", {s44, Lame({"-b", "192"})}, mpg123, 2, 0, true, 44100, 2, 0,
          "MP3"),
      Row("Mp3VbrMonoTagged", "a.mp3", {m44, Lame({"-V", "2", "--tt", "T", "--add-id3v2"})}, mpg123,
          1, 0, true, 44100, 1, 0, "MP3"),
      Row("Mp3Unpadded", "a.mp3", {s44, Lame({"-b", "128"})}, mpg123, 2, 0, false, 44100, 2, 0,
          "MP3"),
      Row("Mp3WithoutInfoTag", "a.mp3", {s44, Lame({"-t", "-b", "128"})}, mpg123, 2, 0, true, 44100,
          2, 0, "MP3", true),
      Row("Flac24At96kHz", "a.flac", {Tone("96000", 2, "24", "@a.flac")}, {ToRaw("@a.flac", true)},
          2, 2, false, 96000, 2, 24, "FLAC"),
      Row("Flac16At48kHzMono", "a.flac", {Tone("48000", 1, "16", "@a.flac")},
          {ToRaw("@a.flac", true)}, 1, 2, false, 48000, 1, 16, "FLAC"),
      Row("Flac24At44kHz", "a.flac", {Tone("44100", 2, "24", "@a.flac")}, {ToRaw("@a.flac")}, 2, 1,
          false, 44100, 2, 24, "FLAC"),
      Row("Aiff24At88kHzMono", "a.aiff", {Tone("88200", 1, "24", "@a.aiff")},
          {ToRaw("@a.aiff", true)}, 1, 2, false, 88200, 1, 24, "AIFF"),
      Row("OggVorbis", "a.ogg", {s44, oggenc}, {{"oggdec", "-Q", "-R", "-o", "@ref.raw", "@a.ogg"}},
          2, 1, false, 44100, 2, 0, "OGG"),
      // References rounded to 16 bits before sox resamples them differ by one step more.
      Row("OgaVorbisMono22kHz", "a.oga",
          {Tone("22050", 1, "16", "@s.wav"), {"oggenc", "-Q", "-o", "@a.oga", "@s.wav"}},
          {{"oggdec", "-Q", "-o", "@ref.wav", "@a.oga"}, ToRaw("@ref.wav", true)}, 1, 3, false,
          22050, 1, 0, "OGG"),
      Row("Opus", "a.opus", {s44, {"opusenc", "--quiet", "@s.wav", "@a.opus"}}, {}, 2, 0, false,
          48000, 2, 0, "OPUS"),
      Row("Mp3At48kHz", "a.mp3", {Tone("48000", 2, "16", "@s.wav"), Lame({})}, mpg123Rate, 2, 3,
          false, 48000, 2, 0, "MP3"),
      Row("Mp3At22kHzMono", "a.mp3", {Tone("22050", 1, "16", "@s.wav"), Lame({"-V", "2"})},
          mpg123Rate, 1, 3, false, 22050, 1, 0, "MP3"),
  };
}

class Formats : public ::testing::TestWithParam<FormatRow> {};

TEST_P(Formats, DecodeLikeTheOutsideDecoderIntoACanonicalWaveAndTheCache) {
  const FormatRow& row = GetParam();
  for (const auto& cmds : {row.Make, row.Reference}) {
    for (const Command& c : cmds) {
      if (!test::OnPath(c[0])) GTEST_SKIP() << c[0] << " is not installed";
    }
  }
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll(row.Make, dir.Path()));
  ASSERT_TRUE(test::RunAll(row.Reference, dir.Path()));
  const std::string source = dir / row.Source;

  PosixFile out = PosixFile::CreateExclusive(dir / "out.wav");
  std::vector<double> progress;
  const DecodeSummary s = DecodeToWaveFile(source, out, {.PadToCdFrames = row.Pad},
                                           [&](double f) { progress.push_back(f); });
  out.Close();
  EXPECT_EQ(SourceKindText(s.Kind), std::string(row.Kind));
  EXPECT_EQ(std::tie(s.SourceRate, s.SourceChannels, s.SourceBits),
            std::tie(row.Rate, row.Channels, row.Bits));
  EXPECT_EQ(s.Resampled, row.Rate != 44100);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 1.0);

  // The length: 3 s (gapless MP3 gives back what lame was given), padded when asked.
  const int64_t frames = s.FramesWritten - s.PaddingFrames;
  const int64_t slack = row.MaxDiff == 0 ? 0 : 1;
  if (!row.Untrimmed) EXPECT_LE(std::abs(frames - kFrames), slack);
  EXPECT_EQ(s.PaddingFrames, row.Pad ? (588 - frames % 588) % 588 : 0);
  WaveDataInfo info;
  ASSERT_EQ(ReadWaveHeader(dir / "out.wav", info), 1);
  EXPECT_EQ(info, s.WaveInfo());
  EXPECT_EQ(test::ReadBytes(dir / "out.wav").size(), 44u + info.DataSize);
  EXPECT_EQ(test::RunProcess({"soxi", "-s", dir / "out.wav"}).Out,
            std::to_string(s.FramesWritten) + "\n");

  const std::vector<int16_t> ours = test::ReadSamples16(dir / "out.wav", 44);
  ASSERT_EQ(ours.size(), static_cast<size_t>(s.FramesWritten) * 2);
  for (size_t i = 2 * frames; i < ours.size(); ++i) ASSERT_EQ(ours[i], 0) << i;
  double energy = 0;
  size_t unequal = 0;
  for (int64_t i = 0; i < frames; ++i) {
    energy += double(ours[2 * i]) * ours[2 * i];
    unequal += ours[2 * i] != ours[2 * i + 1];
  }
  EXPECT_GT(std::sqrt(energy / frames), 5000.0);  // a tone at −3 dB, not silence
  EXPECT_EQ(unequal == 0, row.Channels == 1);     // mono: two identical channels

  if (!row.Reference.empty()) {
    const std::vector<int16_t> ref = test::ReadSamples16(dir / "ref.raw");
    const int64_t refFrames = static_cast<int64_t>(ref.size()) / row.RefChannels;
    EXPECT_LE(std::abs(refFrames - frames), slack);
    int worst = 0;
    for (int64_t i = 0; i < std::min(frames, refFrames); ++i) {
      for (int c = 0; c < 2; ++c) {
        const int theirs = ref[i * row.RefChannels + (row.RefChannels == 2 ? c : 0)];
        worst = std::max(worst, std::abs(ours[2 * i + c] - theirs));
      }
    }
    EXPECT_LE(worst, row.MaxDiff);
  }

  // Through the cache: the same samples, unpadded, found again afterwards.
  DecodedCache cache(dir / "cache");
  EXPECT_FALSE(cache.Lookup(source));
  const DecodedEntry e = cache.Decode(source);
  EXPECT_EQ(SourceKindText(e.Kind), std::string(row.Kind));
  EXPECT_EQ(e.Info, (WaveDataInfo{44, static_cast<int32_t>(frames * 4), 2, 16, 44100}));
  const std::vector<int16_t> cached = test::ReadSamples16(e.Path, 44);
  EXPECT_TRUE(std::equal(cached.begin(), cached.end(), ours.begin()));
  ASSERT_TRUE(cache.Lookup(source));
  EXPECT_EQ(cache.Lookup(source)->Path, e.Path);
}

INSTANTIATE_TEST_SUITE_P(Sources, Formats, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace varnel
