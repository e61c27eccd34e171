// MP3 files made by lame at run time, measured by MpegAudioFile and by an independent
// reader, libmpg123. lame puts a Xing/Info frame (a valid, silent MPEG frame) first; our walk
// counts it like any frame. libmpg123 counts it too when told to ignore Info frames, and
// otherwise consumes it as metadata. So, frame for frame: ours == libmpg123 ignoring Info
// frames, and ours == libmpg123 reading the Info frame + 1 (gapless trimming off, so that no
// padding-only frame is dropped).
#include <gtest/gtest.h>
#include <mpg123.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "formats/audio/InputChecks.h"
#include "formats/audio/MpegAudioFile.h"
#include "support/MpegHeaders.h"
#include "support/MpegWalkCheck.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  }
  return false;
}

struct Mpg123Reading {
  long Frames = -1;
  long Rate = 0;
  int Channels = 0;
  off_t Samples = -1;
};

// Counts frames one by one with libmpg123, without decoding them.
Mpg123Reading ReadWithMpg123(const std::string& path, bool ignoreInfoFrame) {
  Mpg123Reading r;
  int err = MPG123_OK;
  std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> h(mpg123_new(nullptr, &err),
                                                             mpg123_delete);
  if (!h) return r;
  mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_param(h.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  if (ignoreInfoFrame) mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_IGNORE_INFOFRAME, 0);
  if (mpg123_open(h.get(), path.c_str()) != MPG123_OK) return r;
  long frames = 0;
  int rc = MPG123_OK;
  while ((rc = mpg123_framebyframe_next(h.get())) == MPG123_OK || rc == MPG123_NEW_FORMAT) {
    ++frames;
  }
  if (rc == MPG123_DONE) r.Frames = frames;
  int encoding = 0;
  mpg123_getformat(h.get(), &r.Rate, &r.Channels, &encoding);
  if (mpg123_scan(h.get()) == MPG123_OK) r.Samples = mpg123_length(h.get());
  mpg123_close(h.get());
  return r;
}

struct Variant {
  std::string Name;
  std::vector<std::string> LameArgs;
  int32_t Result;  // of CheckMp3File
  int32_t Rate;
  int32_t Channels;
  bool Id3v1;
  bool Id3v2;
};

void PrintTo(const Variant& v, std::ostream* os) {
  *os << v.Name;
}

class Mp3RealFiles : public ::testing::TestWithParam<Variant> {
 protected:
  static void SetUpTestSuite() {
    mpg123_init();
    if (!OnPath("lame") || !OnPath("sox")) return;
    Dir = new test::TempDir;
    const auto r = test::RunProcess({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16",
                                     *Dir / "tone.wav", "synth", "3", "sine", "440"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
  }
  static void TearDownTestSuite() {
    delete Dir;
    Dir = nullptr;
  }

  void SetUp() override {
    if (Dir == nullptr) GTEST_SKIP() << "lame or sox is not installed";
    const Variant& v = GetParam();
    Path = *Dir / (v.Name + ".mp3");
    std::vector<std::string> argv = {"lame", "--quiet"};
    argv.insert(argv.end(), v.LameArgs.begin(), v.LameArgs.end());
    argv.push_back(*Dir / "tone.wav");
    argv.push_back(Path);
    const auto r = test::RunProcess(argv);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
  }

  static test::TempDir* Dir;
  std::string Path;
};

test::TempDir* Mp3RealFiles::Dir = nullptr;

TEST_P(Mp3RealFiles, FrameCountAgreesWithLibmpg123) {
  const Variant& v = GetParam();
  MpegAudioFile m;
  ASSERT_TRUE(m.Open(Path));
  const int32_t ours = m.CountFrames();
  ASSERT_GT(ours, 100);  // 3 s of audio

  const Mpg123Reading withInfo = ReadWithMpg123(Path, false);
  const Mpg123Reading allFrames = ReadWithMpg123(Path, true);
  ASSERT_GE(withInfo.Frames, 0) << "libmpg123 could not read " << Path;
  ASSERT_GE(allFrames.Frames, 0);
  EXPECT_EQ(ours, allFrames.Frames);
  EXPECT_EQ(ours, withInfo.Frames + 1);

  EXPECT_EQ(MpegAudioFile::FrameSampleRate(m.FirstHeader), allFrames.Rate);
  EXPECT_EQ(MpegAudioFile::ChannelMode(m.FirstHeader) == 3 ? 1 : 2, allFrames.Channels);
  EXPECT_EQ(MpegAudioFile::FrameSampleRate(m.FirstHeader), v.Rate);
}

TEST_P(Mp3RealFiles, TagsAreSkipped) {
  const Variant& v = GetParam();
  MpegAudioFile m;
  ASSERT_TRUE(m.Open(Path));
  const int32_t size = static_cast<int32_t>(m.Size());
  if (v.Id3v2) {
    EXPECT_GT(m.FirstFrameOffset, 10);
  } else {
    EXPECT_EQ(m.FirstFrameOffset, 0);
  }
  EXPECT_EQ(m.AudioSize, size - m.FirstFrameOffset - (v.Id3v1 ? 128 : 0));
}

TEST_P(Mp3RealFiles, CheckResultAndDataSize) {
  const Variant& v = GetParam();
  WaveDataInfo info;
  EXPECT_EQ(CheckMp3File(Path, info), v.Result);
  EXPECT_EQ(info.SampleRate, v.Rate);
  EXPECT_EQ(info.Channels, v.Channels);
  EXPECT_EQ(info.BitsPerSample, 16);
  EXPECT_EQ(info.DataOffset, 0);
  // The playing time from frame sizes and bitrates matches the decoder's sample count
  // (every frame, Info frame included), scaled to 44 100 Hz, within one frame.
  const Mpg123Reading allFrames = ReadWithMpg123(Path, true);
  ASSERT_GT(allFrames.Samples, 0);
  const double expected = static_cast<double>(allFrames.Samples) * 44100 / allFrames.Rate;
  EXPECT_NEAR(info.DataSize / 4, expected, 1152.0);
}

TEST_P(Mp3RealFiles, WrappedInRiffTheCountStaysTheSame) {
  MpegAudioFile plain;
  ASSERT_TRUE(plain.Open(Path));
  const int32_t count = plain.CountFrames();
  const float duration = plain.GetDuration();
  const std::vector<uint8_t> bytes = test::ReadBytes(Path);

  for (const auto& wrapped : {test::Rmp3Wrapper(bytes), test::WaveWrapper(bytes, true)}) {
    MpegAudioFile m;
    ASSERT_TRUE(m.OpenBuffer(wrapped));
    EXPECT_EQ(m.CountFrames(), count);
    EXPECT_EQ(m.GetDuration(), duration);
  }
}

TEST_P(Mp3RealFiles, BlockWalkMatchesTheWholeFileReference) {
  // lame's frames and tags read through blocks of several sizes, whole and cut short.
  const std::vector<uint8_t> bytes = test::ReadBytes(Path);
  for (const int64_t window :
       {int64_t{16}, int64_t{1000}, int64_t{4099}, MpegAudioFile::kWindowBytes}) {
    test::ExpectSameAsReference(bytes, *Dir / "copy.mp3", window);
  }
  for (size_t n = 0; n < bytes.size(); n += 1 + bytes.size() / 7) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    test::ExpectSameAsReference(cut, *Dir / "cut.mp3", 600);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lame, Mp3RealFiles,
    ::testing::Values(
        Variant{"cbr128", {"-b", "128"}, 1, 44100, 2, false, false},
        Variant{"vbr_v2", {"-V", "2"}, 1, 44100, 2, false, false},
        Variant{"id3v2", {"-b", "128", "--add-id3v2", "--tt", "Title"}, 1, 44100, 2, true, true},
        Variant{"id3v1", {"-b", "128", "--id3v1-only", "--tt", "Title"}, 1, 44100, 2, true, false},
        Variant{"resampled22k", {"--resample", "22.05"}, 0, 22050, 2, false, false},
        Variant{"mono", {"-m", "m"}, 0, 44100, 1, false, false}),
    [](const ::testing::TestParamInfo<Variant>& info) { return info.param.Name; });

}  // namespace
}  // namespace varnel
