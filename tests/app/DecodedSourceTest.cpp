// FLAC, AIFF, Ogg Vorbis and Opus files as tracks and hidden audio: files made at test time
// by flac, sox, oggenc and opusenc, added, listed, saved, loaded again, changed and loaded
// again; lossless ones compared sample for sample with what the outside decoders give.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/commands/LayoutFile.h"
#include "app/commands/MakeController.h"
#include "app/commands/TrackListCommands.h"
#include "app/editors/TrackPropertiesEditor.h"
#include "app/views/TrackListText.h"
#include "support/AudioTools.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

using test::Command;
using test::LayoutTestEnv;

// A stereo 44.1 kHz 16-bit tone of `frames` sample frames at `hz` in t.wav.
Command Tone(int64_t frames, int hz) {
  return {"sox",
          "-r",
          "44100",
          "-c",
          "2",
          "-n",
          "-b",
          "16",
          "@t.wav",
          "synth",
          std::to_string(frames) + "s",
          "sine",
          std::to_string(hz)};
}

struct FormatCase {
  const char* Name;
  const char* Source;
  Command Encode;     // t.wav → Source
  Command Reference;  // Source → ref.raw, 16-bit little-endian stereo; empty when lossy
  int64_t Tolerance;  // sample frames the decoded length may differ from the tone's
  const char* Type;   // the Type column
};

const FormatCase kFormats[] = {
    {"Flac16At44k",
     "a.flac",
     {"flac", "--silent", "-f", "-o", "@a.flac", "@t.wav"},
     {"flac", "--silent", "-f", "-d", "--force-raw-format", "--endian=little", "--sign=signed",
      "-o", "@ref.raw", "@a.flac"},
     0,
     "FLAC"},
    {"Flac24At96k",
     "a.flac",
     {"sox", "@t.wav", "-b", "24", "-r", "96000", "@a.flac"},
     {},
     588,
     "FLAC"},
    {"Aiff",
     "a.aiff",
     {"sox", "@t.wav", "@a.aiff"},
     {"sox", "@a.aiff", "-t", "raw", "-e", "signed-integer", "-b", "16", "-L", "@ref.raw"},
     0,
     "AIFF"},
    {"OggVorbis", "a.oga", {"oggenc", "-Q", "-o", "@a.oga", "@t.wav"}, {}, 588, "OGG"},
    {"Opus", "a.opus", {"opusenc", "--quiet", "@t.wav", "@a.opus"}, {}, 588, "OPUS"},
};

int64_t ModifiedNs(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

class DecodedSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string t = test::MissingTool({"sox", "flac", "oggenc", "opusenc"}); !t.empty()) {
      GTEST_SKIP() << t << " is missing";
    }
  }
  // Makes the row's source from a tone; true on success.
  bool MakeSource(LayoutTestEnv& env, const FormatCase& row, int64_t frames, int hz) {
    return test::RunAll({Tone(frames, hz), row.Encode}, env.Dir.Path());
  }
  // Checks the decoded copy of the only track against the tone and the outside decoder.
  void ExpectDecodedCopy(LayoutTestEnv& env, const FormatCase& row, int64_t frames) {
    ASSERT_EQ(env.Ctx.Layout.Count(), 1);
    const Track& t = env.Ctx.Layout.At(0);
    EXPECT_EQ(t.TrackFileName, env.Dir / row.Source);
    EXPECT_EQ(t.FileMode, FileModeWave);
    ASSERT_TRUE(t.IsDecoded());
    EXPECT_EQ(t.TrackAudioFile.rfind(env.Dir / "cache/", 0), 0u) << t.TrackAudioFile;
    EXPECT_EQ(t.WaveInfo.DataOffset, 44);
    EXPECT_EQ(t.WaveInfo.Channels, 2);
    EXPECT_EQ(t.WaveInfo.BitsPerSample, 16);
    EXPECT_EQ(t.WaveInfo.SampleRate, 44100);
    EXPECT_NEAR(t.WaveInfo.DataSize / 4, frames, row.Tolerance);
    EXPECT_EQ(t.TrackEndPos(), t.WaveInfo.DataSize / 4);
    // The copy is a wave file as every wave reader sees it.
    const auto soxi = test::RunProcess({"soxi", "-s", t.TrackAudioFile});
    EXPECT_EQ(soxi.Out, std::to_string(t.WaveInfo.DataSize / 4) + "\n");
    if (!row.Reference.empty()) {
      ASSERT_TRUE(test::RunAll({row.Reference}, env.Dir.Path()));
      EXPECT_EQ(test::ReadSamples16(t.TrackAudioFile, 44),
                test::ReadSamples16(env.Dir / "ref.raw"));
    }
  }
};

TEST_F(DecodedSourceTest, AddedListedSavedLoadedAndDecodedAgainWhenChanged) {
  for (const FormatCase& row : kFormats) {
    SCOPED_TRACE(row.Name);
    LayoutTestEnv env;
    ASSERT_TRUE(MakeSource(env, row, 30000, 440));
    const std::string source = env.Dir / row.Source;

    AddTrackFiles(env.Ctx, {source});
    EXPECT_TRUE(env.Prompter.Log.empty()) << env.Prompter.Log.front();
    ExpectDecodedCopy(env, row, 30000);
    EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[2], row.Type);
    // Decoded copies of a tone hold sound: the track is not counted as silence.
    EXPECT_LT(env.Ctx.Layout.At(0).GetTrackLeadSilence(), 100);
    const std::string firstCopy = env.Ctx.Layout.At(0).TrackAudioFile;
    const int64_t firstStamp = ModifiedNs(firstCopy);

    // The layout names the source, never the cache.
    ASSERT_TRUE(SaveLayoutFile(env.Ctx, env.Dir / "disc.txt"));
    const std::string text = test::ReadText(env.Dir / "disc.txt");
    EXPECT_NE(text.find("TrackFileNmae=" + source + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("FileMode=0\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("/cache/"), std::string::npos) << text;

    // Loaded while the source is unchanged: the same copy, not decoded again.
    ASSERT_TRUE(LoadLayoutFile(env.Ctx, env.Dir / "disc.txt"));
    ExpectDecodedCopy(env, row, 30000);
    EXPECT_EQ(env.Ctx.Layout.At(0).TrackAudioFile, firstCopy);
    EXPECT_EQ(ModifiedNs(firstCopy), firstStamp);

    // A changed source is decoded again on load; the region keys of the layout are kept as
    // saved, so only the copy is compared.
    ASSERT_TRUE(MakeSource(env, row, 20000, 660));
    ASSERT_TRUE(LoadLayoutFile(env.Ctx, env.Dir / "disc.txt"));
    EXPECT_TRUE(env.Prompter.Log.empty()) << env.Prompter.Log.front();
    ASSERT_EQ(env.Ctx.Layout.Count(), 1);
    const Track& reloaded = env.Ctx.Layout.At(0);
    EXPECT_NE(reloaded.TrackAudioFile, firstCopy);
    EXPECT_NEAR(reloaded.WaveInfo.DataSize / 4, 20000, row.Tolerance);
    if (!row.Reference.empty()) {
      ASSERT_TRUE(test::RunAll({row.Reference}, env.Dir.Path()));
      EXPECT_EQ(test::ReadSamples16(reloaded.TrackAudioFile, 44),
                test::ReadSamples16(env.Dir / "ref.raw"));
    }
  }
}

// A removed cache entry is decoded again on load, from the source the layout names.
TEST_F(DecodedSourceTest, LoadDecodesAgainWhenTheCacheWasEmptied) {
  LayoutTestEnv env;
  const FormatCase& row = kFormats[0];
  ASSERT_TRUE(MakeSource(env, row, 5000, 440));
  AddTrackFiles(env.Ctx, {env.Dir / row.Source});
  ASSERT_TRUE(SaveLayoutFile(env.Ctx, env.Dir / "disc.txt"));
  std::filesystem::remove_all(env.Dir / "cache");
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, env.Dir / "disc.txt"));
  EXPECT_TRUE(env.Prompter.Log.empty());
  ExpectDecodedCopy(env, row, 5000);
}

struct RefusalCase {
  const char* Name;
  const char* Source;
  std::vector<Command> Make;  // empty: the file is text, or missing when Text is null
  const char* Text;
  size_t SpoilAt;      // nonzero: 64 bytes from this fraction (in 1/100) of the file are spoiled
  const char* Reason;  // what follows the quoted path
};

const RefusalCase kRefusals[] = {
    {"DamagedFlac",
     "a.flac",
     {Tone(44100, 440), kFormats[0].Encode},
     nullptr,
     50,
     " cannot be decoded: damaged FLAC data"},
    {"TextNamedOgg", "a.ogg", {}, "not audio\n", 0, " cannot be decoded: not an Ogg Vorbis"},
    {"MissingOpus", "gone.opus", {}, nullptr, 0, " cannot be read: No such file or directory."},
};

// A file that cannot be decoded gets the refusal question, with its reason; Yes goes on
// with the next file, No stops.
TEST_F(DecodedSourceTest, UndecodableFilesAreRefusedWithTheirReason) {
  for (const RefusalCase& row : kRefusals) {
    for (const bool answer : {true, false}) {
      SCOPED_TRACE(std::string(row.Name) + (answer ? " Yes" : " No"));
      LayoutTestEnv env;
      const std::string source = env.Dir / row.Source;
      if (!row.Make.empty()) ASSERT_TRUE(test::RunAll(row.Make, env.Dir.Path()));
      if (row.Text != nullptr) test::WriteText(source, row.Text);
      if (row.SpoilAt != 0) {
        std::vector<uint8_t> bytes = test::ReadBytes(source);
        std::fill_n(bytes.begin() + bytes.size() * row.SpoilAt / 100, 64, 0x5A);
        test::WriteBytes(source, bytes);
      }
      const std::string wave = env.Wave("b.wav", 2352);
      env.Prompter.YesNoAnswers = {answer};
      AddTrackFiles(env.Ctx, {source, wave});
      ASSERT_EQ(env.Prompter.Log.size(), 1u);
      const std::string& q = env.Prompter.Log[0];
      const std::string head = "YesNo: \"" + source + "\"" + row.Reason;
      EXPECT_EQ(q.substr(0, head.size()), head) << q;
      EXPECT_TRUE(q.ends_with(". Do you want to continue?")) << q;
      EXPECT_EQ(env.Ctx.Layout.Count(), answer ? 1 : 0);
      // Nothing is left in the cache for a refused file.
      const bool cacheEmpty = !std::filesystem::exists(env.Dir / "cache") ||
                              std::filesystem::is_empty(env.Dir / "cache");
      EXPECT_TRUE(cacheEmpty);
    }
  }
}

// Hidden audio from a decoded file: Browse in Track Properties decodes it; the track keeps
// the source's name and reads the copy; the layout loads it back the same way.
TEST_F(DecodedSourceTest, HiddenAudioFromAFlacFile) {
  LayoutTestEnv env;
  const std::string wave = env.Wave("t1.wav", 2352 * 4);
  ASSERT_TRUE(MakeSource(env, kFormats[0], 3000, 440));
  const std::string flac = env.Dir / "a.flac";
  AddTrackFiles(env.Ctx, {wave});

  TrackPropertiesEditor editor(env.Ctx, nullptr);
  editor.Track = &env.Ctx.Layout.At(0);
  editor.Load();
  editor.ChooseHiddenFilePreGap();
  env.Prompter.OpenAnswers = {{flac}};
  editor.BrowsePreGapFile();
  EXPECT_EQ(editor.PreGapPath, flac);
  ASSERT_TRUE(editor.StoreProperties());
  const Track& t = env.Ctx.Layout.At(0);
  EXPECT_EQ(t.PreGapFileName(), flac);
  ASSERT_FALSE(t.PreGapAudioFile().empty());
  EXPECT_EQ(t.PreGapWaveInfo().DataSize, 3000 * 4);
  EXPECT_EQ(t.PreGapEndPos(), 3000);
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[3], "a.flac");

  ASSERT_TRUE(SaveLayoutFile(env.Ctx, env.Dir / "disc.txt"));
  std::filesystem::remove_all(env.Dir / "cache");
  ASSERT_TRUE(LoadLayoutFile(env.Ctx, env.Dir / "disc.txt"));
  Track& loaded = env.Ctx.Layout.At(0);
  EXPECT_EQ(loaded.PreGapFileName(), flac);
  EXPECT_EQ(loaded.PreGapStyle(), PreGapFile);
  ASSERT_TRUE(std::filesystem::exists(loaded.PreGapAudioFile()));
  EXPECT_EQ(loaded.PreGapWaveInfo().DataSize, 3000 * 4);
  // The pre-gap length counts the decoded audio.
  EXPECT_EQ(loaded.GetPreGapBytes(), 3000 * 4);
}

// A cache emptied between loading and making: Make decodes the copies again (the track's
// and the hidden audio's) and the made wave holds the decoded samples.
TEST_F(DecodedSourceTest, MakeDecodesAgainACopyThatLeftTheCache) {
  LayoutTestEnv env;
  const FormatCase& row = kFormats[0];
  ASSERT_TRUE(MakeSource(env, row, 100000, 440));
  ASSERT_TRUE(test::RunAll({row.Reference}, env.Dir.Path()));
  AddTrackFiles(env.Ctx, {env.Dir / row.Source});
  ASSERT_EQ(env.Ctx.Layout.Count(), 1);
  Track& t = env.Ctx.Layout.At(0);
  t.SetPreGapFile(env.Dir / row.Source, t.WaveInfo, t.TrackAudioFile);
  t.SetPreGapStyle(PreGapFile);
  t.PreGapPaddingHead = t.TrackPaddingHead = true;
  env.Ctx.Settings.WorkDir = env.Dir / "work";
  env.Ctx.Settings.MakeAlways = false;
  env.Ctx.Settings.AddFrames = false;
  env.Ctx.Settings.CheckBeforeMake = false;  // a short track; the check is not the point here
  std::filesystem::remove_all(env.Dir / "cache");

  MakeController maker(env.Ctx);
  env.Prompter.SaveAnswers.push_back(env.Dir / "disc.cue");
  ASSERT_EQ(maker.Make(), MakeOutcome::Succeeded) << env.Prompter.Log.back();
  EXPECT_TRUE(std::filesystem::exists(t.TrackAudioFile));
  EXPECT_TRUE(std::filesystem::exists(t.PreGapAudioFile()));
  // Hidden audio and track: the same samples twice, each padded at its head to whole frames.
  const std::vector<int16_t> ref = test::ReadSamples16(env.Dir / "ref.raw");
  const std::vector<int16_t> made = test::ReadSamples16(env.Dir / "work/disc/Track01.wav", 44);
  const size_t pad = 2 * ((588 - 100000 % 588) % 588);
  ASSERT_EQ(made.size(), 2 * (pad + ref.size()));
  EXPECT_TRUE(std::equal(ref.begin(), ref.end(), made.begin() + pad));
  EXPECT_TRUE(std::equal(ref.begin(), ref.end(), made.begin() + 2 * pad + ref.size()));
}

}  // namespace
}  // namespace varnel
