// Decoding on every core, sources in other formats converted, and the bounded cache, as the
// commands use them: sources made at test time by sox, flac and lame; made TOC files checked
// by cdrdao.
#include <dirent.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "app/commands/DecodeAhead.h"
#include "app/commands/LayoutFile.h"
#include "app/commands/MakeController.h"
#include "app/commands/TrackListCommands.h"
#include "app/views/DecodedCacheView.h"
#include "support/AudioTools.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

using test::Command;
using test::LayoutTestEnv;
namespace fs = std::filesystem;

// `seconds` of a tone at `hz` in `file`, in the given rate, channels and bits.
Command Tone(const std::string& file, double seconds, int hz, int rate = 44100, int channels = 2,
             int bits = 16) {
  return {"sox",
          "-n",
          "-r",
          std::to_string(rate),
          "-c",
          std::to_string(channels),
          "-b",
          std::to_string(bits),
          "@" + file,
          "synth",
          std::to_string(seconds),
          "sine",
          std::to_string(hz)};
}

Command Flac(const std::string& wav, const std::string& flac) {
  return {"flac", "--silent", "-f", "-o", "@" + flac, "@" + wav};
}

// Every file of a folder with its bytes.
std::map<std::string, std::vector<uint8_t>> FolderBytes(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    files[e.path().filename()] = test::ReadBytes(e.path());
  }
  return files;
}

size_t ThreadCount() {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator("/proc/self/task")) n += e.is_directory() ? 1 : 0;
  return n;
}

class ParallelDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string t = test::MissingTool({"sox", "flac", "lame", "cdrdao"}); !t.empty()) {
      GTEST_SKIP() << t << " is missing";
    }
    Env.Ctx.Settings.WorkDir = Env.Dir / "work";
    Env.Ctx.Settings.AddFrames = false;
    Env.Ctx.Settings.CheckBeforeMake = false;
  }
  // `count` FLAC files of `seconds` each, each its own tone; their paths.
  std::vector<std::string> Flacs(int count, double seconds) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
      const std::string name = "f" + std::to_string(i) + ".flac";
      EXPECT_TRUE(test::RunAll({Tone("t.wav", seconds, 300 + 50 * i), Flac("t.wav", name)},
                               Env.Dir.Path()));
      paths.push_back(Env.Dir / name);
    }
    return paths;
  }
  // Makes the layout into work/<stem>; true on success.
  bool Make(const std::string& stem) {
    MakeController maker(Env.Ctx);
    Env.Prompter.SaveAnswers.push_back(Env.Dir / (stem + ".cue"));
    return maker.Make() == MakeOutcome::Succeeded;
  }
  LayoutTestEnv Env;
};

// The same eight files (one damaged, one missing among them) with 1, 2 and 8 workers: the
// same tracks, questions, layout file and cache entries, byte for byte.
TEST_F(ParallelDecodeTest, EveryWorkerCountGivesTheSameLayoutQuestionsAndEntries) {
  std::vector<std::string> paths = Flacs(7, 1.5);
  std::vector<uint8_t> damaged = test::ReadBytes(paths[2]);
  damaged.resize(damaged.size() / 2);
  test::WriteBytes(paths[2], damaged);
  paths.insert(paths.begin() + 5, Env.Dir / "gone.flac");

  std::vector<std::string> logs, layouts;
  std::vector<std::map<std::string, std::vector<uint8_t>>> caches;
  for (const unsigned workers : {1u, 2u, 8u}) {
    SCOPED_TRACE(workers);
    ClearTracks(Env.Ctx);
    Env.Prompter.Log.clear();
    Env.Prompter.YesNoAnswers = {true, true};
    Env.Ctx.DecodeWorkers = workers;
    Env.Ctx.DecodedCacheFolder = Env.Dir / ("cache" + std::to_string(workers));
    AddTrackFiles(Env.Ctx, paths);
    EXPECT_EQ(Env.Ctx.Layout.Count(), 6);
    EXPECT_TRUE(Env.Prompter.YesNoAnswers.empty());
    ASSERT_TRUE(SaveLayoutFile(Env.Ctx, Env.Dir / "disc.txt", Overwrite::Replace));
    std::string log;
    for (const std::string& line : Env.Prompter.Log) log += line + "\n";
    logs.push_back(log);
    layouts.push_back(test::ReadText(Env.Dir / "disc.txt"));
    caches.push_back(FolderBytes(Env.Ctx.DecodedCacheFolder));
  }
  EXPECT_EQ(caches[0].size(), 12u);  // six entries, each with its source's name
  const std::string damagedQuestion = "YesNo: \"" + paths[2] + "\" cannot be decoded: damaged FLAC";
  EXPECT_EQ(logs[0].rfind(damagedQuestion, 0), 0u) << logs[0];
  EXPECT_NE(logs[0].find("YesNo: \"" + paths[5] +
                         "\" cannot be read: No such file or directory. "
                         "Do you want to continue?\n"),
            std::string::npos)
      << logs[0];
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(logs[i], logs[0]);
    EXPECT_EQ(layouts[i], layouts[0]);
    EXPECT_TRUE(caches[i] == caches[0]);
  }
}

// Cancel as soon as the parallel decode reports progress: no track, no question, nothing in
// the cache folder, and no worker left.
TEST_F(ParallelDecodeTest, CancelStopsEveryWorkerAndLeavesNoEntry) {
  const std::vector<std::string> paths = Flacs(8, 20);
  const size_t threads = ThreadCount();
  std::string label;
  Env.Ctx.DecodeWorkers = 4;
  Env.Ctx.RunDecode = [&](const std::string& path, const AppContext::DecodeJob& job) {
    label = path;
    std::atomic<bool> cancel{false};
    job([&](double done) { cancel = cancel || done > 0.0; }, &cancel);
  };
  AddTrackFiles(Env.Ctx, paths);
  EXPECT_EQ(label, "8 files");
  EXPECT_EQ(Env.Ctx.Layout.Count(), 0);
  EXPECT_TRUE(Env.Prompter.Log.empty()) << Env.Prompter.Log.front();
  EXPECT_TRUE(FolderBytes(Env.Ctx.DecodedCacheFolder).empty());
  EXPECT_EQ(ThreadCount(), threads);
}

struct ConvertCase {
  const char* Name;
  const char* Source;
  std::vector<Command> Make;  // makes Source from nothing: 4.5 seconds of a tone
  const char* Refusal;        // the question with ConvertSources off, after the quoted path
};

const ConvertCase kConversions[] = {
    {"Mp3At32kHz",
     "a.mp3",
     {Tone("t.wav", 4.5, 440, 32000), {"lame", "--silent", "@t.wav", "@a.mp3"}},
     " is not 44.1kHz, Streo. Do you want to continue?"},
    {"MonoWaveAt22kHz",
     "b.wav",
     {Tone("b.wav", 4.5, 440, 22050, 1)},
     " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"},
    {"Wave24Bit",
     "c.wav",
     {Tone("c.wav", 4.5, 440, 44100, 2, 24)},
     " is not Riff-Wave file or doesnot exist. Do you want to continue?"},
};

// Setting on: converted, no question, as long as the source within a CD frame, made into a TOC
// that cdrdao accepts. Setting off: the question of before, and Yes leaves the file out.
TEST_F(ParallelDecodeTest, OtherFormatsAreConvertedOrRefusedByTheSetting) {
  std::vector<std::string> sources;
  for (const ConvertCase& row : kConversions) {
    ASSERT_TRUE(test::RunAll(row.Make, Env.Dir.Path()));
    sources.push_back(Env.Dir / row.Source);
  }
  Env.Ctx.Settings.ConvertSources = false;
  for (size_t i = 0; i < sources.size(); ++i) {
    SCOPED_TRACE(kConversions[i].Name);
    Env.Prompter.Log.clear();
    Env.Prompter.YesNoAnswers = {true};
    AddTrackFiles(Env.Ctx, {sources[i]});
    EXPECT_EQ(Env.Ctx.Layout.Count(), 0);
    EXPECT_EQ(Env.Prompter.Log,
              std::vector<std::string>{"YesNo: \"" + sources[i] + "\"" + kConversions[i].Refusal});
  }

  Env.Ctx.Settings.ConvertSources = true;
  Env.Prompter.Log.clear();
  AddTrackFiles(Env.Ctx, sources);
  EXPECT_TRUE(Env.Prompter.Log.empty()) << Env.Prompter.Log.front();
  ASSERT_EQ(Env.Ctx.Layout.Count(), 3);
  for (size_t i = 0; i < sources.size(); ++i) {
    SCOPED_TRACE(kConversions[i].Name);
    const Track& t = Env.Ctx.Layout.At(static_cast<int32_t>(i));
    EXPECT_EQ(t.TrackFileName, sources[i]);
    EXPECT_EQ(t.FileMode, FileModeWave);
    EXPECT_TRUE(t.IsDecoded());
    // Every source holds 4.5 seconds of sound.
    EXPECT_NEAR(t.WaveInfo.DataSize / 4, 4.5 * 44100, 588);
  }
  // A wave file in CD format is taken as it is.
  AddTrackFiles(Env.Ctx, {Env.Wave("cd.wav", 5 * 44100 * 4)});
  ASSERT_EQ(Env.Ctx.Layout.Count(), 4);
  EXPECT_FALSE(Env.Ctx.Layout.At(3).IsDecoded());

  ASSERT_TRUE(Make("disc")) << Env.Prompter.Log.back();
  const auto toc = test::RunProcess({"cdrdao", "toc-info", Env.Dir / "disc.toc"});
  EXPECT_EQ(toc.ExitCode, 0) << toc.Err;

  // Saved and loaded again: the converted tracks come back converted.
  ASSERT_TRUE(SaveLayoutFile(Env.Ctx, Env.Dir / "disc.txt"));
  Env.Prompter.Log.clear();
  ASSERT_TRUE(LoadLayoutFile(Env.Ctx, Env.Dir / "disc.txt"));
  EXPECT_TRUE(Env.Prompter.Log.empty()) << Env.Prompter.Log.front();
  ASSERT_EQ(Env.Ctx.Layout.Count(), 4);
  for (int32_t i = 0; i < 3; ++i) EXPECT_TRUE(Env.Ctx.Layout.At(i).IsDecoded());
}

// With a limit below what the layout uses, nothing it uses is removed, not even while eight
// workers finish their copies at once; once a track is removed, its copy is the first to go.
TEST_F(ParallelDecodeTest, TheLimitNeverRemovesACopyInUse) {
  const std::vector<std::string> paths = Flacs(9, 2);  // about 0.34 MiB decoded each
  Env.Ctx.Settings.DecodedLimitMiB = 1;
  Env.Ctx.DecodeWorkers = 8;
  AddTrackFiles(Env.Ctx, std::vector<std::string>(paths.begin(), paths.begin() + 8));
  ASSERT_EQ(Env.Ctx.Layout.Count(), 8);
  for (const std::string& copy : DecodedCopiesInUse(Env.Ctx.Layout)) {
    EXPECT_TRUE(fs::exists(copy)) << copy;
  }
  EXPECT_EQ(ViewDecodedCache(Env.Ctx.DecodedCacheFolder).Entries.size(), 8u);

  Env.Ctx.SelectedTrack = 0;
  RemoveSelectedTrack(Env.Ctx);
  AddTrackFiles(Env.Ctx, {paths[8]});
  std::set<std::string> left;
  for (const CacheEntryInfo& e : DecodedCache(Env.Ctx.DecodedCacheFolder).Entries()) {
    left.insert(e.Path);
  }
  EXPECT_EQ(left, DecodedCopiesInUse(Env.Ctx.Layout));
  EXPECT_EQ(left.size(), 8u);
}

// A layout loaded again after its copies were trimmed away decodes them again, and the disc
// made from it is the same, byte for byte.
TEST_F(ParallelDecodeTest, ReloadAfterTrimmingMakesTheSameDisc) {
  AddTrackFiles(Env.Ctx, Flacs(3, 2));
  ASSERT_EQ(Env.Ctx.Layout.Count(), 3);
  ASSERT_TRUE(SaveLayoutFile(Env.Ctx, Env.Dir / "disc.txt"));
  ASSERT_TRUE(Make("one")) << Env.Prompter.Log.back();

  TrimDecodedCacheNow(Env.Ctx.DecodedCacheFolder, 0);
  ASSERT_TRUE(FolderBytes(Env.Ctx.DecodedCacheFolder).empty());
  ASSERT_TRUE(LoadLayoutFile(Env.Ctx, Env.Dir / "disc.txt"));
  EXPECT_EQ(ViewDecodedCache(Env.Ctx.DecodedCacheFolder).Entries.size(), 3u);
  ASSERT_TRUE(Make("two")) << Env.Prompter.Log.back();
  const auto one = FolderBytes(Env.Dir / "work/one");
  EXPECT_EQ(one.size(), 3u);
  for (const auto& [name, bytes] : one) {
    EXPECT_TRUE(bytes == test::ReadBytes(Env.Dir / "work/two/" + name)) << name;
  }
}

}  // namespace
}  // namespace varnel
