// Sources that are converted: other rates (resampled to 44 100 Hz), more than 16 bits or
// lossy (dithered to 16 bits), mono (duplicated). Each row makes a 3-second source and
// decodes it with DecodeAudio. The length must be 3 s at 44 100 Hz (± 1 frame); where an
// outside tool converts the same file (sox `rate -v` without dither, oggdec), our samples
// must stay within a few 16-bit steps of its samples over the whole length, which a wrong
// rate, gain, channel order or offset would break; the lossy Opus must at least hold sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "AudioDecoder.h"
#include "AudioTools.h"

namespace varnel {
namespace {

using test::Command;

constexpr int64_t kFrames = 3 * 44100;

struct ConvertRow {
  std::string Name;
  std::string Source;
  std::vector<Command> Make;
  std::vector<Command> Reference;  // to ref.raw, 16-bit little-endian, 44 100 Hz; may be empty
  int32_t RefChannels;
  int MaxDiff;  // largest difference from the reference, in 16-bit steps
  int32_t SourceRate;
  int32_t SourceChannels;
  int32_t SourceBits;
  std::vector<std::string> Tools;
};

void PrintTo(const ConvertRow& r, std::ostream* os) {
  *os << r.Name;
}

Command Tone(const std::string& rate, const std::string& channels, const std::string& bits,
             const std::string& file) {
  Command c = {"sox", "-n", "-r",    rate, "-c",   channels, "-b",
               bits,  file, "synth", "3",  "sine", "440"};
  if (channels == "2") c.insert(c.end(), {"sine", "663"});
  c.insert(c.end(), {"gain", "-3"});
  return c;
}

// sox's own high-quality conversion, rounded without dither.
Command SoxReference(const std::string& from) {
  return {"sox", from, "-D", "-t",       "raw",  "-e", "signed",
          "-b",  "16", "-L", "@ref.raw", "rate", "-v", "44100"};
}

std::vector<ConvertRow> Rows() {
  // Dither moves a sample by at most one step from the rounded value; two resamplers of the
  // same quality differ by a little more, and a reference that was rounded to 16 bits before
  // sox resampled it (oggdec, mpg123) by one step more again.
  return {
      {"Flac24At96kHz",
       "a.flac",
       {Tone("96000", "2", "24", "@a.flac")},
       {SoxReference("@a.flac")},
       2,
       2,
       96000,
       2,
       24,
       {"sox"}},
      {"Flac16At48kHzMono",
       "a.flac",
       {Tone("48000", "1", "16", "@a.flac")},
       {SoxReference("@a.flac")},
       1,
       2,
       48000,
       1,
       16,
       {"sox"}},
      {"Flac24At44kHz",
       "a.flac",
       {Tone("44100", "2", "24", "@a.flac")},
       {SoxReference("@a.flac")},
       2,
       1,
       44100,
       2,
       24,
       {"sox"}},
      {"Aiff24At88kHzMono",
       "a.aiff",
       {Tone("88200", "1", "24", "@a.aiff")},
       {SoxReference("@a.aiff")},
       1,
       2,
       88200,
       1,
       24,
       {"sox"}},
      {"OggVorbisStereo",
       "a.ogg",
       {Tone("44100", "2", "16", "@src.wav"), {"oggenc", "-Q", "-o", "@a.ogg", "@src.wav"}},
       {{"oggdec", "-Q", "-R", "-o", "@ref.raw", "@a.ogg"}},
       2,
       1,
       44100,
       2,
       0,
       {"sox", "oggenc", "oggdec"}},
      {"OgaVorbisMono22kHz",
       "a.oga",
       {Tone("22050", "1", "16", "@src.wav"), {"oggenc", "-Q", "-o", "@a.oga", "@src.wav"}},
       {{"oggdec", "-Q", "-o", "@ref.wav", "@a.oga"}, SoxReference("@ref.wav")},
       1,
       3,
       22050,
       1,
       0,
       {"sox", "oggenc", "oggdec"}},
      {"OpusStereo",
       "a.opus",
       {Tone("44100", "2", "16", "@src.wav"), {"opusenc", "--quiet", "@src.wav", "@a.opus"}},
       {},
       2,
       0,
       48000,
       2,
       0,
       {"sox", "opusenc"}},
      {"Mp3At48kHz",
       "a.mp3",
       {Tone("48000", "2", "16", "@src.wav"), {"lame", "--quiet", "@src.wav", "@a.mp3"}},
       {{"mpg123", "-q", "-w", "@ref.wav", "@a.mp3"}, SoxReference("@ref.wav")},
       2,
       3,
       48000,
       2,
       0,
       {"sox", "lame", "mpg123"}},
      {"Mp3At22kHzMono",
       "a.mp3",
       {Tone("22050", "1", "16", "@src.wav"), {"lame", "--quiet", "-V", "2", "@src.wav", "@a.mp3"}},
       {{"mpg123", "-q", "-w", "@ref.wav", "@a.mp3"}, SoxReference("@ref.wav")},
       1,
       3,
       22050,
       1,
       0,
       {"sox", "lame", "mpg123"}},
  };
}

class TCollect : public TAudioSink {
 public:
  void Write(const int16_t* frames, size_t count) override {
    Samples.insert(Samples.end(), frames, frames + 2 * count);
  }
  std::vector<int16_t> Samples;
};

class ConvertDecode : public ::testing::TestWithParam<ConvertRow> {};

TEST_P(ConvertDecode, LengthAndSamplesAgreeWithOutsideConversion) {
  const ConvertRow& row = GetParam();
  if (const std::string t = test::MissingTool(row.Tools); !t.empty()) GTEST_SKIP() << t;
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll(row.Make, dir.Path()));
  ASSERT_TRUE(test::RunAll(row.Reference, dir.Path()));

  TCollect sink;
  const TDecodeSummary s = DecodeAudio(dir / row.Source, sink);
  EXPECT_EQ(s.SourceRate, row.SourceRate);
  EXPECT_EQ(s.SourceChannels, row.SourceChannels);
  EXPECT_EQ(s.SourceBits, row.SourceBits);
  EXPECT_EQ(s.Resampled, row.SourceRate != 44100);
  EXPECT_TRUE(s.Dithered);
  EXPECT_EQ(s.PaddingFrames, 0);
  EXPECT_NEAR(static_cast<double>(s.FramesWritten), kFrames, 1.0);
  ASSERT_EQ(sink.Samples.size(), static_cast<size_t>(s.FramesWritten) * 2);

  double energy = 0;
  size_t unequal = 0;
  for (size_t i = 0; i + 1 < sink.Samples.size(); i += 2) {
    energy += double(sink.Samples[i]) * sink.Samples[i];
    if (sink.Samples[i] != sink.Samples[i + 1]) ++unequal;
  }
  // Sound, not silence: the tone is at −3 dB, so its RMS is far above a few steps.
  EXPECT_GT(std::sqrt(energy / (sink.Samples.size() / 2)), 5000.0);
  if (row.SourceChannels == 1) EXPECT_EQ(unequal, 0u);
  if (row.SourceChannels == 2) EXPECT_GT(unequal, 0u);

  if (row.Reference.empty()) return;
  const std::vector<int16_t> ref = test::ReadSamples16(dir / "ref.raw");
  const size_t refFrames = ref.size() / static_cast<size_t>(row.RefChannels);
  EXPECT_NEAR(static_cast<double>(refFrames), static_cast<double>(s.FramesWritten), 1.0);
  const size_t n = std::min(refFrames, static_cast<size_t>(s.FramesWritten));
  int worst = 0;
  size_t worstAt = 0;
  for (size_t i = 0; i < n; ++i) {
    for (int c = 0; c < 2; ++c) {
      const int theirs = ref[i * row.RefChannels + (row.RefChannels == 2 ? c : 0)];
      const int d = std::abs(sink.Samples[2 * i + c] - theirs);
      if (d > worst) {
        worst = d;
        worstAt = i;
      }
    }
  }
  EXPECT_LE(worst, row.MaxDiff) << "at frame " << worstAt;
}

INSTANTIATE_TEST_SUITE_P(Formats, ConvertDecode, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace varnel
