// What a making run may write: never a file that it or its layout reads, all of its files
// or none of them, and only one run at a time into a folder of made files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "support/MakeFixtures.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::Cat;
using test::RunExport;
using test::Sound;
using test::TempDir;
using test::WaveBytes;
using test::WaveTrack;
using test::Zeros;

// Everything under `root`: each file's bytes, each link's target, each folder.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> all;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const std::string path = it->path();
    if (it->is_symlink()) {
      all[path] = "-> " + fs::read_symlink(path).string();
    } else {
      all[path] = it->is_directory() ? "folder" : test::ReadText(path);
    }
  }
  return all;
}

std::string Made(const std::string& path, int track) {
  return "Exporting Failure.\nCould not create \"" + path + "\" for track" + std::to_string(track);
}

// Wave tracks from Audio/, made with "MakeAlways" into work/disc/ for the sheet
// Discs/disc.cue; work/disc/ already holds the files of an earlier run.
struct Scene {
  Scene() : Settings(test::SettingsWithWorkDir(Dir / "work")), Cue(Dir / "Discs/disc.cue") {
    Settings.MakeAlways = true;
    for (const char* folder : {"Audio", "Discs", "work/disc"}) fs::create_directories(Dir / folder);
    for (int n = 1; n <= 2; ++n) test::WriteBytes(Earlier(n), WaveBytes(Sound(588, 90 + n)));
  }
  std::string Earlier(int n) const {
    return Dir / ("work/disc/Track0" + std::to_string(n) + ".wav");
  }
  Track& Add(const std::string& path) {
    if (!fs::exists(path)) test::WriteBytes(path, WaveBytes(Sound(1000, Layout.Count())));
    Layout.Append(
        std::make_unique<Track>(path, FileModeWave, test::CanonicalInfo(fs::file_size(path) - 44)));
    return Layout.At(Layout.Count() - 1);
  }
  void Link(const std::string& target, const std::string& name) const {
    ASSERT_EQ(::symlink(target.c_str(), (Dir / name).c_str()), 0) << name;
  }

  TempDir Dir;
  DiscLayout Layout;
  AppSettings Settings;
  std::string Cue;
  std::string LayoutPath;
  bool Test = false;
};

TEST(MakeGuardTest, NoRunWritesOverAFileThatItOrItsLayoutReads) {
  auto sheet = [](const Scene& s) {
    return "Exporting Failure.\nCould not create\"" + s.Cue + "\".";
  };
  struct Case {
    const char* Name;
    std::function<void(Scene&)> Arrange;
    std::function<std::string(const Scene&)> Message;
  };
  const std::vector<Case> cases = {
      {"an earlier run's made file as a source",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         s.Add(s.Earlier(1));
       },
       [](const Scene& s) { return Made(s.Earlier(1), 1); }},
      {"a made file's name is a link to a source",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         s.Add(s.Dir / "Audio/b.wav");
         fs::remove(s.Earlier(1));
         s.Link(s.Dir / "Audio/b.wav", "work/disc/Track01.wav");
       },
       [](const Scene& s) { return Made(s.Earlier(1), 1); }},
      {"a source is a link to a made file's name",
       [](Scene& s) {
         s.Link("../work/disc/Track02.wav", "Audio/b.wav");
         s.Add(s.Dir / "Audio/a.wav");
         s.Add(s.Dir / "Audio/b.wav");
       },
       [](const Scene& s) { return Made(s.Earlier(2), 2); }},
      {"a made file's name is a hard link of a source",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         s.Add(s.Dir / "Audio/b.wav");
         fs::remove(s.Earlier(1));
         fs::create_hard_link(s.Dir / "Audio/b.wav", s.Earlier(1));
       },
       [](const Scene& s) { return Made(s.Earlier(1), 1); }},
      {"an earlier made file as hidden audio",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         Track& b = s.Add(s.Dir / "Audio/b.wav");
         b.SetPreGapStyle(PreGapFile);
         b.SetPreGapFile(s.Earlier(1), test::CanonicalInfo(4 * 588));
       },
       [](const Scene& s) { return Made(s.Earlier(1), 1); }},
      {"the data image is a link to where a made file goes",
       [](Scene& s) {
         fs::remove(s.Earlier(2));
         s.Link("../work/disc/Track02.wav", "Discs/data.bin");
         s.Layout.DataTrackFile = s.Dir / "Discs/data.bin";
         s.Add(s.Dir / "Audio/a.wav");
       },
       [](const Scene& s) { return Made(s.Earlier(2), 2); }},
      {"two tracks make one file",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         s.Add(s.Dir / "Audio/b.wav");
         fs::remove(s.Earlier(2));
         s.Link("Track01.wav", "work/disc/Track02.wav");
       },
       [](const Scene& s) { return Made(s.Earlier(2), 2); }},
      {"the sheet is a source",
       [](Scene& s) { s.Cue = s.Add(s.Dir / "Audio/a.wav").TrackFileName; }, sheet},
      {"the sheet is hidden audio",
       [](Scene& s) {
         Track& a = s.Add(s.Dir / "Audio/a.wav");
         test::WriteBytes(s.Dir / "Audio/h.wav", WaveBytes(Sound(132300)));
         a.SetPreGapStyle(PreGapFile);
         a.SetPreGapFile(s.Dir / "Audio/h.wav", test::CanonicalInfo(4 * 132300));
         s.Cue = s.Dir / "Audio/h.wav";
       },
       sheet},
      {"the sheet is the layout file",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         s.LayoutPath = s.Cue = s.Dir / "Discs/disc.txt";
         test::WriteText(s.LayoutPath, "[FileInfo]\r\nSoftName=Varnel\r\n");
       },
       sheet},
      {"the sheet is a made file",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         fs::create_directories(s.Dir / "work/Track01");
         s.Cue = s.Dir / "work/Track01/Track01.wav";
       },
       sheet},
      {"a Test run's sheet would name itself",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         s.Test = true;
         fs::create_directories(s.Dir / "work/Track01");
         s.Cue = s.Dir / "work/Track01/Track01.wav";
       },
       sheet},
  };
  for (const Case& c : cases) {
    Scene s;
    c.Arrange(s);
    const auto before = Snapshot(s.Dir.Path());
    const auto run = test::RunExport(s.Layout, s.Settings, s.Cue, s.Test, {}, s.LayoutPath);
    EXPECT_EQ(run.State, RunState::Failed) << c.Name;
    EXPECT_EQ(run.Message, c.Message(s)) << c.Name;
    EXPECT_FALSE(run.Detail.empty()) << c.Name;
    // Refused before the first write: not a byte, not a file, not a folder changed.
    EXPECT_EQ(Snapshot(s.Dir.Path()), before) << c.Name;
  }
}

TEST(MakeGuardTest, CueNameThatCannotNameAFolderWritesNothing) {
  for (const char* name : {".cue", "..cue", "...cue"}) {
    TempDir dir;
    fs::create_directories(dir / "Discs");
    AppSettings settings = test::SettingsWithWorkDir(dir / "work/inner");
    settings.MakeAlways = true;
    DiscLayout layout;
    layout.Append(WaveTrack(dir / "a.wav", Sound(588)));
    const auto before = Snapshot(dir.Path());
    const std::string cue = dir / (std::string("Discs/") + name);
    const auto run = RunExport(layout, settings, cue, false);
    EXPECT_EQ(run.State, RunState::Failed) << name;
    EXPECT_EQ(run.Message, "Exporting Failure.\n\"" + cue +
                               "\" cannot be used: the made files go into a folder named after "
                               "the cue file, and its name needs more than \".\" or \"..\" "
                               "before the extension.");
    EXPECT_EQ(Snapshot(dir.Path()), before) << name;
  }
}

// What a run refuses before it writes, and what a failed first run leaves: no folder of its
// own, and nothing through a link that stands where the folder of made files goes.
TEST(MakeGuardTest, DiscsNoRecorderTakesAndLinkedFoldersAreRefused) {
  struct Case {
    const char* Name;
    std::function<void(Scene& s)> Arrange;
    std::function<std::string(const Scene& s)> Message;
  };
  const Case cases[] = {
      {"no track at all", [](Scene&) {},
       [](const Scene&) {
         return std::string(
             "Exporting Failure.\nThe disc has no track: there is nothing to record.");
       }},
      {"100 audio tracks",
       [](Scene& s) {
         for (int n = 0; n < 100; ++n) s.Add(s.Dir / "Audio/a.wav");
       },
       [](const Scene&) {
         return std::string("Exporting Failure.\nThe disc has 100 tracks: a CD holds at most 99.");
       }},
      {"99 audio tracks and a data track",
       [](Scene& s) {
         for (int n = 0; n < 99; ++n) s.Add(s.Dir / "Audio/a.wav");
         s.Layout.DataTrackFile = s.Dir / "Audio/data.bin";
       },
       [](const Scene&) {
         return std::string("Exporting Failure.\nThe disc has 100 tracks: a CD holds at most 99.");
       }},
      {"the folder of made files is a link to another",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         fs::remove_all(s.Dir / "work/disc");
         fs::create_directories(s.Dir / "elsewhere");
         test::WriteText(s.Dir / "elsewhere/Track01.wav", "not ours");
         s.Link(s.Dir / "elsewhere", "work/disc");
       },
       [](const Scene& s) {
         return "Exporting Failure.\n\"" + s.Dir / "work/disc" +
                "\" is a symbolic link: made files go only into a real folder.";
       }},
      {"a first run whose sheet cannot be written",
       [](Scene& s) {
         s.Add(s.Dir / "Audio/a.wav");
         fs::remove_all(s.Dir / "work");
         test::WriteText(s.Dir / "Discs/sub", "a file where the sheet's folder goes");
         s.Cue = s.Dir / "Discs/sub/disc.cue";
       },
       [](const Scene& s) { return "Exporting Failure.\nCould not create\"" + s.Cue + "\"."; }},
  };
  for (const Case& c : cases) {
    Scene s;
    c.Arrange(s);
    const auto before = Snapshot(s.Dir.Path());
    const auto run = test::RunExport(s.Layout, s.Settings, s.Cue, false);
    EXPECT_EQ(run.State, RunState::Failed) << c.Name;
    EXPECT_EQ(run.Message, c.Message(s)) << c.Name;
    EXPECT_EQ(Snapshot(s.Dir.Path()), before) << c.Name;
  }
}

// A disc of three tracks made once; then runs over it that end badly.
class AllOrNothingTest : public ::testing::Test {
 protected:
  AllOrNothingTest() : Settings(test::SettingsWithWorkDir(Dir / "work")) {
    Settings.MakeAlways = true;
    fs::create_directories(Dir / "Audio");
    fs::create_directories(Dir / "Discs");
    First = Disc(100);
    const auto run = RunExport(*First, Settings, Cue(), false);
    EXPECT_EQ(run.State, RunState::Succeeded) << run.Message;
    Earlier = Kept();
  }
  // Three tracks of 1000, 2000 and 3000 sample frames, their sound set by `base`.
  std::unique_ptr<DiscLayout> Disc(uint32_t base) {
    auto layout = std::make_unique<DiscLayout>();
    for (int n = 1; n <= 3; ++n) {
      const std::string path = Dir / ("Audio/" + std::to_string(base + n) + ".wav");
      layout->Append(WaveTrack(path, Sound(1000 * n, base + n)));
    }
    return layout;
  }
  std::string Cue() const { return Dir / "Discs/disc.cue"; }
  // The made files and the sheet, with every other file in their folders.
  std::map<std::string, std::string> Kept() const {
    auto all = Snapshot(Dir / "work");
    all.merge(Snapshot(Dir / "Discs"));
    return all;
  }

  TempDir Dir;
  AppSettings Settings;
  std::unique_ptr<DiscLayout> First;
  std::map<std::string, std::string> Earlier;
};

TEST_F(AllOrNothingTest, FailedOrCancelledRunLeavesTheEarlierDiscAsItWas) {
  using test::RunHook;
  struct Case {
    const char* Name;
    std::function<RunHook(DiscLayout&)> Arrange;
    RunState State;
  };
  const std::vector<Case> cases = {
      {"a track fails while the tracks are planned",
       [](DiscLayout& d) {
         test::WriteBytes(d.At(2).TrackFileName, WaveBytes(Zeros(12000)));
         d.At(2).TrackCutLeading = true;
         return RunHook{};
       },
       RunState::Failed},
      {"a source shrinks while the files are written",
       [](DiscLayout& d) {
         const std::string third = d.At(2).TrackFileName;
         return RunHook([third](const std::string& note, std::atomic<RunState>&) {
           if (note == "TrackStarted 2") fs::resize_file(third, 1000);
         });
       },
       RunState::Failed},
      {"Cancel while the tracks are planned",
       [](DiscLayout&) {
         return RunHook([](const std::string& note, std::atomic<RunState>& state) {
           if (note.rfind("RunStarted ", 0) == 0) state.store(RunState::Cancelled);
         });
       },
       RunState::Cancelled},
      {"Cancel while the last file is written",
       [](DiscLayout&) {
         return RunHook([](const std::string& note, std::atomic<RunState>& state) {
           if (note == "TrackStarted 3") state.store(RunState::Cancelled);
         });
       },
       RunState::Cancelled},
  };
  uint32_t base = 200;
  for (const Case& c : cases) {
    auto second = Disc(base += 10);
    const RunHook hook = c.Arrange(*second);
    const auto run = RunExport(*second, Settings, Cue(), false, hook);
    EXPECT_EQ(run.State, c.State) << c.Name << ": " << run.Message;
    EXPECT_EQ(Kept(), Earlier) << c.Name;
  }
}

TEST_F(AllOrNothingTest, KilledRunLeavesTemporaryFilesThatTheNextRunRemoves) {
  auto second = Disc(200);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child makes the second disc and stops for good once its first file is written.
    RunExport(*second, Settings, Cue(), false, [&](const std::string& note, auto&) {
      if (note != "TrackStarted 2") return;
      const char byte = 1;
      if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
      for (;;) ::pause();
    });
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ::close(ready[0]);
  ::close(ready[1]);

  const auto afterKill = Kept();
  for (const auto& [path, content] : Earlier) {
    ASSERT_TRUE(afterKill.count(path)) << path;
    EXPECT_EQ(afterKill.at(path), content) << path;
  }
  EXPECT_GT(afterKill.size(), Earlier.size());  // the killed run's temporary file

  // The next run into the folder removes what the killed one left.
  ASSERT_EQ(RunExport(*second, Settings, Cue(), false).State, RunState::Succeeded);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Dir / "work/disc")) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Track01.wav", "Track02.wav", "Track03.wav"}));
  EXPECT_EQ(test::ReadBytes(Dir / "work/disc/Track01.wav"),
            WaveBytes(Cat({Sound(1000, 201), Zeros(704)})));
}

TEST_F(AllOrNothingTest, SecondRunIntoTheSameFolderFailsAtOnceAndTheFirstGoesOn) {
  auto mine = Disc(300);
  auto theirs = Disc(400);
  fs::create_directories(Dir / "Other");
  test::RunRecord same;
  test::RunRecord elsewhere;
  // While the first run writes its files, two more start: one into the same folder of made
  // files (another sheet named disc.cue), one into another.
  const auto first = RunExport(*mine, Settings, Cue(), false, [&](const std::string& note, auto&) {
    if (note != "TrackStarted 2") return;
    same = RunExport(*theirs, Settings, Dir / "Other/disc.cue", false);
    elsewhere = RunExport(*theirs, Settings, Dir / "Other/else.cue", false);
  });
  EXPECT_EQ(same.State, RunState::Failed);
  EXPECT_EQ(same.Message, "Exporting Failure.\nAnother run is making files in \"" +
                              Dir / "work/disc" + "\". Try again when it has ended.");
  EXPECT_FALSE(fs::exists(Dir / "Other/disc.cue"));
  EXPECT_EQ(elsewhere.State, RunState::Succeeded) << elsewhere.Message;
  ASSERT_EQ(first.State, RunState::Succeeded) << first.Message;
  // 8000 bytes of audio: 944 past three CD frames, so 1408 bytes of padding.
  EXPECT_EQ(test::ReadBytes(Dir / "work/disc/Track02.wav"),
            WaveBytes(Cat({Sound(2000, 302), Zeros(1408)})));
}

}  // namespace
}  // namespace varnel
