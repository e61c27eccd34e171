// What the decoder refuses and how it says so; the dither it adds; cancel.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "formats/audio/AudioDecoder.h"
#include "support/AudioTools.h"

namespace varnel {
namespace {

using test::Command;

class Collect : public AudioSink {
 public:
  void Write(const int16_t* frames, size_t count) override {
    Samples.insert(Samples.end(), frames, frames + 2 * count);
  }
  std::vector<int16_t> Samples;
};

const Command kTone = {"sox",    "-n",    "-r", "44100", "-c",  "2",    "-b", "16",
                       "@t.wav", "synth", "3",  "sine",  "440", "sine", "663"};
const Command kFlac = {"flac", "--silent", "-o", "@a.flac", "@t.wav"};
const Command kVorbis = {"oggenc", "-Q", "-o", "@a.ogg", "@t.wav"};
const Command kOpus = {"opusenc", "--quiet", "@t.wav", "@a.opus"};

void Edit(const std::string& path, const std::function<void(std::vector<uint8_t>&)>& edit) {
  std::vector<uint8_t> bytes = test::ReadBytes(path);
  edit(bytes);
  test::WriteBytes(path, bytes);
}

// Cuts a FLAC file where its last 4096-sample frame at 44.1 kHz starts (sync code with fixed
// block size FF F8, then C9): a valid stream that just stops early.
void CutAtLastFullFrame(std::vector<uint8_t>& b) {
  for (size_t i = b.size() - 3; i > 0; --i) {
    if (b[i] == 0xFF && b[i + 1] == 0xF8 && b[i + 2] == 0xC9) return b.resize(i);
  }
  ADD_FAILURE() << "no frame header";
}

struct RefusalRow {
  std::string Name;
  std::string Source;
  std::vector<Command> Make;
  std::function<void(std::vector<uint8_t>&)> Spoil;  // edits the source's bytes; may be empty
  std::string Reason;                                // part of what()
};

void PrintTo(const RefusalRow& r, std::ostream* os) {
  *os << r.Name;
}

std::vector<RefusalRow> Rows() {
  const auto text = [](std::vector<uint8_t>& b) { b.assign({'n', 'o', '\n'}); };
  return {
      {"DamagedFlacFrames",
       "a.flac",
       {kTone, kFlac},
       [](auto& b) { std::fill_n(b.begin() + b.size() / 2, 64, 0x5A); },
       "damaged FLAC data"},
      {"TruncatedFlac",
       "a.flac",
       {kTone, kFlac},
       [](auto& b) { b.resize(b.size() / 2); },
       "damaged FLAC data"},
      {"FlacCutAtAFrame",
       "a.flac",
       {kTone, kFlac},
       CutAtLastFullFrame,
       "of its 132300 sample frames)"},
      {"TruncatedVorbis",
       "a.ogg",
       {kTone, kVorbis},
       [](auto& b) { b.resize(b.size() / 2); },
       "damaged OGG data"},
      {"DamagedVorbisPages",
       "a.ogg",
       {kTone, kVorbis},
       [](auto& b) { std::fill_n(b.begin() + b.size() / 2, 64, 0x5A); },
       "damaged OGG data"},
      {"TruncatedOpus",
       "a.opus",
       {kTone, kOpus},
       [](auto& b) { b.resize(b.size() / 2); },
       "damaged OPUS data"},
      {"DamagedOpusPages",
       "a.opus",
       {kTone, kOpus},
       [](auto& b) { std::fill_n(b.begin() + b.size() / 2, 64, 0x5A); },
       "damaged OPUS data"},
      {"TextNamedFlac", "a.flac", {}, text, "not a FLAC file"},
      {"EmptyFlac", "a.flac", {}, [](auto& b) { b.clear(); }, "not a FLAC file"},
      {"VorbisNamedFlac",
       "a.flac",
       {kTone, {"oggenc", "-Q", "-o", "@a.flac", "@t.wav"}},
       {},
       "not a FLAC file"},
      {"FlacNamedOpus",
       "a.opus",
       {kTone, {"flac", "--silent", "-o", "@a.opus", "@t.wav"}},
       {},
       "not an Opus file"},
      {"VorbisNamedOpus",
       "a.opus",
       {kTone, {"oggenc", "-Q", "-o", "@a.opus", "@t.wav"}},
       {},
       "not an Opus file"},
      {"WaveNamedAiff",
       "a.aiff",
       {kTone, {"sox", "@t.wav", "-t", "wav", "@a.aiff"}},
       {},
       "not an AIFF file"},
      {"TextNamedMp3", "a.mp3", {}, text, "not an MP3 file"},
      {"SixChannelFlac",
       "a.flac",
       {{"sox", "-n", "-c", "6", "-r", "44100", "@a.flac", "synth", "1", "sine", "440"}},
       {},
       "6 channels (only mono and stereo can be used)"},
      {"UnknownExtension",
       "a.wma",
       {kTone, {"sox", "@t.wav", "-t", "flac", "@a.wma"}},
       {},
       "not a kind of file that can be decoded"},
  };
}

class Refusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(Refusal, ThrowsTheReasonAndTheWaveDeclaresNoAudio) {
  const RefusalRow& row = GetParam();
  if (const std::string t = test::MissingTool({"sox", "flac", "oggenc", "opusenc"}); !t.empty()) {
    GTEST_SKIP() << t;
  }
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll(row.Make, dir.Path()));
  if (row.Spoil) Edit(dir / row.Source, row.Spoil);
  PosixFile out = PosixFile::CreateExclusive(dir / "out.wav");
  try {
    DecodeToWaveFile(dir / row.Source, out);
    ADD_FAILURE() << "decoded";
  } catch (const DecodeError& e) {
    EXPECT_NE(std::string(e.what()).find(row.Reason), std::string::npos) << e.what();
  }
  const std::vector<uint8_t> bytes = test::ReadBytes(dir / "out.wav");
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 40, bytes.begin() + 44),
            std::vector<uint8_t>(4, 0));
}

INSTANTIATE_TEST_SUITE_P(Sources, Refusal, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.Name; });

TEST(DecodeSource, MissingOrSpecialFilesAreFileErrorsWithoutBlocking) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe.flac").c_str(), 0600), 0);
  const std::pair<std::string, int> rows[] = {
      {dir / "missing.flac", ENOENT}, {dir / "pipe.flac", EINVAL}, {dir.Path() + "/", EISDIR}};
  for (const auto& [path, err] : rows) {
    Collect sink;
    try {
      DecodeAudio(path, SourceKind::Flac, sink);
      ADD_FAILURE() << path << " decoded";
    } catch (const FileError& e) {
      EXPECT_EQ(e.Errno(), err) << path;
    }
  }
}

// TPDF dither of ±1 step: the error against the exact 24-bit value has mean 0 and variance
// 1/12 (rounding) + 1/6 (triangular noise) = 1/4 step²; plain rounding gives 1/12, a
// rectangular dither 1/6. Digital silence stays exactly zero.
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
  Collect sink;
  EXPECT_TRUE(DecodeAudio(dir / "a.flac", sink).Dithered);
  ASSERT_EQ(sink.Samples.size() * 3, raw.size());
  size_t silent = 0;
  double n = 0, sum = 0, squares = 0;
  for (size_t i = 0; i < sink.Samples.size(); ++i) {
    const int32_t v24 = static_cast<int32_t>(raw[3 * i] << 8 | raw[3 * i + 1] << 16 |
                                             static_cast<uint32_t>(raw[3 * i + 2]) << 24) >>
                        8;
    if (v24 == 0) {
      ASSERT_EQ(sink.Samples[i], 0) << i;
      ++silent;
      continue;
    }
    const double err = sink.Samples[i] - v24 / 256.0;
    ASSERT_LT(std::fabs(err), 1.5) << i;
    n += 1;
    sum += err;
    squares += err * err;
  }
  ASSERT_GT(silent, 2u * 40000);
  EXPECT_NEAR(sum / n, 0.0, 0.01);
  EXPECT_NEAR(squares / n - (sum / n) * (sum / n), 0.25, 0.02);
}

TEST(DecodeSource, CancelStopsBetweenBlocks) {
  if (const std::string t = test::MissingTool({"sox", "flac"}); !t.empty()) GTEST_SKIP() << t;
  test::TempDir dir;
  ASSERT_TRUE(test::RunAll({kTone, kFlac}, dir.Path()));
  std::atomic<bool> cancel{false};
  Collect sink;
  double last = 0;
  const auto stopAtAThird = [&](double f) { cancel = (last = f) >= 0.3; };
  EXPECT_THROW(DecodeAudio(dir / "a.flac", sink, {}, stopAtAThird, &cancel), DecodeCanceled);
  EXPECT_GE(last, 0.3);
  EXPECT_LT(sink.Samples.size(), 2u * 44100 * 2);
  Collect none;
  EXPECT_THROW(DecodeAudio(dir / "a.flac", none, {}, nullptr, &cancel), DecodeCanceled);
  EXPECT_TRUE(none.Samples.empty());
}

}  // namespace
}  // namespace varnel
