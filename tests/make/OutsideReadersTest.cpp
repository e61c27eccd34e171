// Real outside readers read what a making run writes: cdrdao (wave-only sheets, from the
// sheet's folder), libcue, cuetools' cuebreakpoints and shntool. Their text output is
// parsed; a reader that is not installed skips its part.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "support/MakeFixtures.h"

#ifdef VARNEL_HAVE_LIBCUE
extern "C" {
#include <libcue.h>
}
#endif

namespace varnel {
namespace {

using test::Cat;
using test::RunExport;
using test::Sound;
using test::TempDir;
using test::WaveBytes;
using test::WaveTrack;
using test::Zeros;

struct CommandResult {
  int Status = -1;
  std::string Output;  // stdout and stderr together
};

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.Output.append(buffer.data(), n);
  }
  result.Status = ::pclose(pipe);
  return result;
}

bool HaveTool(const std::string& name) {
  return RunCommand("command -v " + name + " >/dev/null").Status == 0;
}

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

// Per track, as cdrdao or we count them: pre-gap frames and start frame (of INDEX 01).
struct TrackTimes {
  int Pregap = 0;
  int Start = 0;
  friend bool operator==(const TrackTimes&, const TrackTimes&) = default;
};
std::ostream& operator<<(std::ostream& os, const TrackTimes& t) {
  return os << "{pregap " << t.Pregap << ", start " << t.Start << "}";
}

std::vector<TrackTimes> CdrdaoTimes(const std::string& toc) {
  std::vector<TrackTimes> times;
  std::regex line(R"((PREGAP|START)\s+\d+:\d+:\d+\(\s*(\d+)\))");
  for (auto it = std::sregex_iterator(toc.begin(), toc.end(), line); it != std::sregex_iterator();
       ++it) {
    const int frames = std::stoi((*it)[2]);
    if ((*it)[1] == "PREGAP") {
      times.push_back({frames, -1});
    } else {
      if (times.empty() || times.back().Start != -1) times.push_back({0, -1});
      times.back().Start = frames;
    }
  }
  return times;
}

class OutsideReadersTest : public ::testing::Test {
 protected:
  OutsideReadersTest() : Settings(test::SettingsWithWorkDir(Dir / "work")) {
    std::filesystem::create_directories(Dir / "discs");
    std::filesystem::create_directories(Dir / "audio");
  }

  // A wave-only disc with every wave track kind:
  //  1 hidden audio from another file (400000 bytes: 171 frames with padding), 5 extra
  //    silence frames, the track's own audio after a cut second of silence (227 frames);
  //  2 silent pre-gap 0:02:00, part of a file, odd length (305 frames);
  //  3 hidden audio from the front of its own file (171 frames + 225 frames);
  //  4 a whole file of 225 frames used as it lies, pre-gap 0:01:00.
  void BuildWaveDisc() {
    test::WriteBytes(Dir / "audio/hidden.wav", WaveBytes(Sound(100000, 1)));
    auto t1 = WaveTrack(Dir / "audio/one.wav", Cat({Zeros(4 * 44100), Sound(133300, 2)}));
    t1->SetPreGapStyle(PreGapFile);
    t1->SetPreGapFile(Dir / "audio/hidden.wav", test::CanonicalInfo(400000));
    t1->TrackCutLeading = true;
    Layout.Append(std::move(t1));

    auto t2 = WaveTrack(Dir / "audio/two.wav", Sound(200000, 3));
    t2->SetTrackStartPos(1000);
    t2->SetTrackEndPos(180000);
    Layout.Append(std::move(t2));

    auto t3 = WaveTrack(Dir / "audio/three.wav", Sound(232300, 4));
    t3->SetPreGapStyle(PreGapIndex);
    t3->SetTrackStartPos(100000);
    Layout.Append(std::move(t3));

    auto t4 = WaveTrack(Dir / "audio/four.wav", Sound(132300, 5));
    t4->SetPreGapLength(75);
    Layout.Append(std::move(t4));
  }
  // What the disc above must read as, counted by hand.
  const std::vector<TrackTimes> kWaveDiscTimes = {
      {176, 176}, {150, 403 + 150}, {171, 858 + 171}, {75, 1254 + 75}};

  std::string Cue() const { return Dir / "discs/disc.cue"; }

  void ExpectCdrdaoReads(const std::vector<TrackTimes>& expected) {
    if (!HaveTool("cdrdao")) GTEST_SKIP() << "cdrdao is not installed";
    // cdrdao resolves relative names against the current folder.
    auto r = RunCommand("cd " + Quote(Dir / "discs") + " && cdrdao show-toc disc.cue");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_EQ(r.Output.find("END*"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("ERROR"), std::string::npos) << r.Output;
    EXPECT_EQ(CdrdaoTimes(r.Output), expected) << r.Output;
  }

  void ExpectCuetoolsReads() {
    if (!HaveTool("cuebreakpoints")) GTEST_SKIP() << "cuetools is not installed";
    auto r = RunCommand("cuebreakpoints " + Quote(Cue()) + " >/dev/null");
    // cuebreakpoints exits 0 even on a bad sheet; its complaints go to stderr.
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Output, "");
  }

  void ExpectShntoolCanonical(const std::string& wave) {
    if (!HaveTool("shntool")) GTEST_SKIP() << "shntool is not installed";
    auto r = RunCommand("shntool info " + Quote(wave));
    for (const char* line : {"Cut on sector boundary:     yes", "Non-canonical header:       no",
                             "Inconsistent header:        no", "File probably truncated:    no",
                             "Junk appended to file:      no", "CD quality:                 yes"}) {
      EXPECT_NE(r.Output.find(line), std::string::npos) << wave << ": " << line << "\n" << r.Output;
    }
  }

  TempDir Dir;
  DiscLayout Layout;
  AppSettings Settings;
};

TEST_F(OutsideReadersTest, WaveDiscWithRelativeNamesReadsAsLaidOut) {
  BuildWaveDisc();
  Settings.Relative = true;
  auto run = RunExport(Layout, Settings, Cue(), false);
  ASSERT_EQ(run.State, RunState::Succeeded) << run.Message;
  ExpectCdrdaoReads(kWaveDiscTimes);
  ExpectCuetoolsReads();
  for (const char* name : {"Track01.wav", "Track02.wav", "Track03.wav"}) {
    ExpectShntoolCanonical(Dir / "work/disc/" + name);
  }
}

TEST_F(OutsideReadersTest, WaveDiscWithFullPathsAndEveryFileMade) {
  BuildWaveDisc();
  Settings.MakeAlways = true;
  Settings.AddFrames = false;  // track 1 then starts its hidden audio at once
  Layout.At(1).TrackPaddingHead = true;
  auto run = RunExport(Layout, Settings, Cue(), false);
  ASSERT_EQ(run.State, RunState::Succeeded) << run.Message;
  ExpectCdrdaoReads({{171, 171}, {150, 398 + 150}, {171, 853 + 171}, {75, 1249 + 75}});
  for (const char* name : {"Track01.wav", "Track02.wav", "Track03.wav", "Track04.wav"}) {
    ExpectShntoolCanonical(Dir / "work/disc/" + name);
  }
}

#ifdef VARNEL_HAVE_LIBCUE
// libcue's view of a sheet: per track its file, PREGAP frames, and INDEX 00 / 01 frames.
struct CueTrack {
  std::string File;
  long Pregap = 0;
  long Index0 = -1;
  long Index1 = -1;
  friend bool operator==(const CueTrack&, const CueTrack&) = default;
};
std::ostream& operator<<(std::ostream& os, const CueTrack& t) {
  return os << "{" << t.File << ", pregap " << t.Pregap << ", i0 " << t.Index0 << ", i1 "
            << t.Index1 << "}";
}

std::vector<CueTrack> LibcueTracks(const std::string& path, bool& parsed) {
  std::vector<CueTrack> tracks;
  FILE* f = std::fopen(path.c_str(), "r");
  parsed = false;
  if (f == nullptr) return tracks;
  Cd* cd = cue_parse_file(f);
  std::fclose(f);
  if (cd == nullptr) return tracks;
  parsed = true;
  for (int i = 1; i <= cd_get_ntrack(cd); ++i) {
    ::Track* t = cd_get_track(cd, i);
    const char* file = track_get_filename(t);
    tracks.push_back(
        {file ? file : "", track_get_zero_pre(t), track_get_index(t, 0), track_get_index(t, 1)});
  }
  cd_delete(cd);
  return tracks;
}

TEST_F(OutsideReadersTest, LibcueReadsTheHiddenTrackDisc) {
  BuildWaveDisc();
  Settings.Relative = true;
  ASSERT_EQ(RunExport(Layout, Settings, Cue(), false).State, RunState::Succeeded);
  bool parsed = false;
  auto tracks = LibcueTracks(Cue(), parsed);
  ASSERT_TRUE(parsed);
  // libcue counts a pre-gap held in the file (INDEX 00 to INDEX 01) as the pre-gap too.
  EXPECT_EQ(tracks, (std::vector<CueTrack>{{"../work/disc/Track01.wav", 176, 0, 176},
                                           {"../work/disc/Track02.wav", 150, -1, 0},
                                           {"../work/disc/Track03.wav", 171, 0, 171},
                                           {"../audio/four.wav", 75, -1, 0}}));
}

TEST_F(OutsideReadersTest, LibcueAndCuetoolsReadMixedModeSheetsWithMp3) {
  Layout.MediaCatalog = "4901234567894";
  Layout.DataTrackFile = Dir / "discs/data.bin";
  Layout.ImageType = 1;
  Layout.Append(test::RawTrack(Dir / "audio/a.mp3", std::vector<uint8_t>(100, 1), FileModeMp3));
  Layout.At(0).ISRC = "JPABC0412345";
  Layout.At(0).PreEmph = true;
  BuildWaveDisc();
  Layout.At(1).TrackCutLeading = false;  // hidden audio track, now track 03
  ASSERT_EQ(RunExport(Layout, Settings, Cue(), true).State, RunState::Succeeded);
  bool parsed = false;
  auto tracks = LibcueTracks(Cue(), parsed);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(tracks.size(), 6u);
  EXPECT_EQ(tracks[0].File, Dir / "discs/data.bin");
  EXPECT_EQ(tracks[1], (CueTrack{Dir / "audio/a.mp3", 150, -1, 0}));
  // No extra silence: track 03 is not the first disc track.
  EXPECT_EQ(tracks[2], (CueTrack{Dir / "work/disc/Track03.wav", 171, 0, 171}));
  ExpectCuetoolsReads();
}
#endif

// libcue knows no CDG track mode, so sheets with CD+G tracks are left to cuetools.
TEST_F(OutsideReadersTest, CuetoolsReadsCdgSheets) {
  Layout.Append(test::RawTrack(Dir / "audio/k.cdg", std::vector<uint8_t>(2448, 2), FileModeCdg));
  BuildWaveDisc();
  ASSERT_EQ(RunExport(Layout, Settings, Cue(), true).State, RunState::Succeeded);
  EXPECT_NE(test::ReadText(Cue()).find("TRACK 01 CDG\r\n"), std::string::npos);
  ExpectCuetoolsReads();
}

TEST_F(OutsideReadersTest, CuetoolsReadsTestRunSheets) {
  BuildWaveDisc();
  Layout.At(0).SetPreGapStyle(PreGapNormal);  // PREGAP 00:00:00 on track 1
  ASSERT_EQ(RunExport(Layout, Settings, Cue(), true).State, RunState::Succeeded);
  ExpectCuetoolsReads();
}

}  // namespace
}  // namespace varnel
