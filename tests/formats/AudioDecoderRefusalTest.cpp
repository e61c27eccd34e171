// What the decoder refuses and how it reports it; dither, progress and cancel.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "AudioDecoder.h"
#include "AudioTools.h"

namespace varnel {
namespace {

using test::Command;

class TCollect : public TAudioSink {
 public:
  void Write(const int16_t* frames, size_t count) override {
    Samples.insert(Samples.end(), frames, frames + 2 * count);
  }
  std::vector<int16_t> Samples;
};

const Command kTone = {"sox",   "-n", "-r",   "44100", "-c",   "2",   "-b",   "16", "@t.wav",
                       "synth", "3",  "sine", "440",   "sine", "663", "gain", "-3"};

// Overwrites `count` bytes from the middle of a file with a pattern.
void Damage(const std::string& path, size_t count) {
  std::vector<uint8_t> bytes = test::ReadBytes(path);
  ASSERT_GT(bytes.size(), 2 * count);
  for (size_t i = 0; i < count; ++i) bytes[bytes.size() / 2 + i] ^= static_cast<uint8_t>(0xA5 + i);
  test::WriteBytes(path, bytes);
}

void Truncate(const std::string& path, double keep) {
  std::vector<uint8_t> bytes = test::ReadBytes(path);
  bytes.resize(static_cast<size_t>(bytes.size() * keep));
  test::WriteBytes(path, bytes);
}

// Cuts a FLAC file at the start of its last frame, found by its header: sync code with fixed
// block size (FF F8), then 4096-sample blocks at 44.1 kHz (C9). What is left is a valid
// stream that just stops early.
void CutLastFlacFrame(const std::string& path) {
  std::vector<uint8_t> bytes = test::ReadBytes(path);
  for (size_t i = bytes.size() - 3; i > 0; --i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xF8 && bytes[i + 2] == 0xC9) {
      bytes.resize(i);
      test::WriteBytes(path, bytes);
      return;
    }
  }
  ADD_FAILURE() << "no frame header in " << path;
}

struct RefusalRow {
  std::string Name;
  std::string Source;
  std::vector<Command> Make;
  std::function<void(const std::string&)> Spoil;  // applied to the source, may be empty
  std::string Reason;                             // part of what() expected
};

void PrintTo(const RefusalRow& r, std::ostream* os) {
  *os << r.Name;
}

std::vector<RefusalRow> Rows() {
  const Command flac = {"flac", "--silent", "-o", "@a.flac", "@t.wav"};
  return {
      {"DamagedFlacFrames",
       "a.flac",
       {kTone, flac},
       [](auto& p) { Damage(p, 64); },
       "damaged FLAC data"},
      {"TruncatedFlac",
       "a.flac",
       {kTone, flac},
       [](auto& p) { Truncate(p, 0.5); },
       "damaged FLAC data"},
      {"FlacCutAtAFrame",
       "a.flac",
       {kTone, flac},
       CutLastFlacFrame,
       "of its 132300 sample frames)"},
      {"TextNamedFlac",
       "a.flac",
       {},
       [](auto& p) { test::WriteText(p, "not audio at all\n"); },
       "not a FLAC file"},
      {"EmptyFlac", "a.flac", {}, [](auto& p) { test::WriteText(p, ""); }, "not a FLAC file"},
      {"OggVorbisNamedFlac",
       "a.flac",
       {kTone, {"oggenc", "-Q", "-o", "@a.flac", "@t.wav"}},
       nullptr,
       "not a FLAC file"},
      {"FlacNamedOpus",
       "a.opus",
       {kTone, {"flac", "--silent", "-o", "@a.opus", "@t.wav"}},
       nullptr,
       "not an Opus file"},
      {"VorbisNamedOpus",
       "a.opus",
       {kTone, {"oggenc", "-Q", "-o", "@a.opus", "@t.wav"}},
       nullptr,
       "not an Opus file"},
      {"WaveNamedAiff",
       "a.aiff",
       {kTone, {"sox", "@t.wav", "-t", "wav", "@a.aiff"}},
       nullptr,
       "not an AIFF file"},
      {"TextNamedMp3",
       "a.mp3",
       {},
       [](auto& p) { test::WriteText(p, "no frames here\n"); },
       "not an MP3 file"},
      {"SixChannelFlac",
       "a.flac",
       {{"sox", "-n", "-r", "44100", "-c", "6", "-b", "16", "@a.flac", "synth", "1", "sine",
         "440"}},
       nullptr,
       "6 channels (only mono and stereo can be used)"},
      {"UnknownExtension",
       "a.wma",
       {kTone, {"sox", "@t.wav", "-t", "flac", "@a.wma"}},
       nullptr,
       "not a kind of file that can be decoded"},
  };
}

class Refusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(Refusal, ThrowsTheReasonAndWritesNoAudioHeaderSizes) {
  const RefusalRow& row = GetParam();
  if (const std::string t = test::MissingTool({"sox", "flac", "oggenc"}); !t.empty()) {
    GTEST_SKIP() << t;
  }
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll(row.Make, dir.Path()));
  if (row.Spoil) row.Spoil(dir / row.Source);

  TFile out = TFile::CreateExclusive(dir / "out.wav");
  try {
    DecodeToWaveFile(dir / row.Source, out);
    FAIL() << "decoded";
  } catch (const TDecodeError& e) {
    EXPECT_NE(std::string(e.what()).find(row.Reason), std::string::npos) << e.what();
  }
  // Whatever was written declares no audio.
  const std::vector<uint8_t> bytes = test::ReadBytes(dir / "out.wav");
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 40, bytes.begin() + 44),
            std::vector<uint8_t>(4, 0));
}

INSTANTIATE_TEST_SUITE_P(Sources, Refusal, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.Name; });

TEST(DecodeSource, MissingOrSpecialFilesAreFileErrorsWithoutBlocking) {
  test::TempDir dir;
  TCollect sink;
  const std::string fifo = dir / "pipe.flac";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string Path;
    int Errno;
  } rows[] = {{dir / "missing.flac", ENOENT}, {fifo, EINVAL}, {dir.Path() + "/", EISDIR}};
  for (const auto& r : rows) {
    try {
      DecodeAudio(r.Path, TSourceKind::Flac, sink);
      ADD_FAILURE() << r.Path << " decoded";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.Errno(), r.Errno) << r.Path;
    }
  }
  EXPECT_TRUE(sink.Samples.empty());
}

// TPDF dither of ±1 step: the error against the exact 24-bit value has mean 0 and variance
// 1/12 (rounding) + 1/6 (the triangular noise) = 1/4 of a step squared; plain rounding would
// give 1/12, rectangular dither 1/6. Digital silence stays exactly zero.
TEST(DecodeSource, TwentyFourBitsGetTriangularDitherAndSilenceStaysSilent) {
  if (const std::string t = test::MissingTool({"sox", "flac"}); !t.empty()) GTEST_SKIP() << t;
  test::TempDir dir;
  ASSERT_TRUE(
      test::RunAll({{"sox", "-n",   "-r",  "44100", "-c",  "2",    "-b", "24",  "@a.flac", "synth",
                     "2",   "sine", "440", "sine",  "663", "gain", "-3", "pad", "0",       "1"},
                    {"flac", "--silent", "-d", "--force-raw-format", "--endian=little",
                     "--sign=signed", "-o", "@ref.raw", "@a.flac"}},
                   dir.Path()));
  const std::vector<uint8_t> raw = test::ReadBytes(dir / "ref.raw");
  TCollect sink;
  const TDecodeSummary s = DecodeAudio(dir / "a.flac", sink);
  ASSERT_EQ(sink.Samples.size() * 3, raw.size());
  EXPECT_TRUE(s.Dithered);

  size_t sound = 0;
  size_t silent = 0;
  double sum = 0;
  double squares = 0;
  for (size_t i = 0; i < sink.Samples.size(); ++i) {
    const int32_t v24 = static_cast<int32_t>(static_cast<uint32_t>(raw[3 * i]) << 8 |
                                             static_cast<uint32_t>(raw[3 * i + 1]) << 16 |
                                             static_cast<uint32_t>(raw[3 * i + 2]) << 24) >>
                        8;
    if (v24 == 0) {
      ASSERT_EQ(sink.Samples[i], 0) << i;
      ++silent;
      continue;
    }
    const double err = sink.Samples[i] - v24 / 256.0;
    ASSERT_LT(std::fabs(err), 1.5) << i;
    sum += err;
    squares += err * err;
    ++sound;
  }
  ASSERT_GT(silent, 2u * 40000);
  ASSERT_GT(sound, 2u * 80000);
  const double mean = sum / sound;
  const double variance = squares / sound - mean * mean;
  EXPECT_NEAR(mean, 0.0, 0.01);
  EXPECT_NEAR(variance, 0.25, 0.02);
}

TEST(DecodeSource, CancelStopsBetweenBlocks) {
  if (const std::string t = test::MissingTool({"sox", "flac"}); !t.empty()) GTEST_SKIP() << t;
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll({kTone, {"flac", "--silent", "-o", "@a.flac", "@t.wav"}}, dir.Path()));
  std::atomic<bool> cancel{false};
  TCollect sink;
  double last = 0;
  EXPECT_THROW(DecodeAudio(
                   dir / "a.flac", sink, {},
                   [&](double f) {
                     last = f;
                     if (f >= 0.3) cancel = true;
                   },
                   &cancel),
               TDecodeCanceled);
  EXPECT_GE(last, 0.3);
  EXPECT_LT(last, 1.0);
  EXPECT_LT(sink.Samples.size(), 2u * 3 * 44100);

  cancel = true;
  TCollect none;
  EXPECT_THROW(DecodeAudio(dir / "a.flac", none, {}, nullptr, &cancel), TDecodeCanceled);
  EXPECT_TRUE(none.Samples.empty());
}

TEST(DecodeSource, KindsFromTheLowerCasedExtension) {
  const struct {
    const char* Path;
    std::optional<TSourceKind> Kind;
    const char* Text;
  } rows[] = {
      {"/m/a.mp3", TSourceKind::Mp3, "MP3"},    {"/m/a.FLAC", TSourceKind::Flac, "FLAC"},
      {"a.aif", TSourceKind::Aiff, "AIFF"},     {"/m/a.AIFF", TSourceKind::Aiff, "AIFF"},
      {"/m/a.ogg", TSourceKind::Ogg, "OGG"},    {"/m/a.Oga", TSourceKind::Ogg, "OGG"},
      {"/m/a.opus", TSourceKind::Opus, "OPUS"}, {"/m/a.wav", std::nullopt, ""},
      {"/m/a.flac.bin", std::nullopt, ""},      {"/m/flac", std::nullopt, ""},
      {"/m/x.flac/track", std::nullopt, ""},    {"/m/a.aifc", std::nullopt, ""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(SourceKindFromPath(r.Path), r.Kind) << r.Path;
    if (r.Kind) EXPECT_STREQ(SourceKindText(*r.Kind), r.Text) << r.Path;
  }
}

}  // namespace
}  // namespace varnel
