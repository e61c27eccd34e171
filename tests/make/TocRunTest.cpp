// The TOC file as one more file of a making run: the setting that asks for it,
// the guard against writing over what the run reads, all or nothing, the CD-Text file it
// reads, and MP3 decoding that fails or is cancelled.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/audio/AudioDecoder.h"
#include "formats/audio/InputChecks.h"
#include "formats/cdtext/CdText.h"
#include "make/TocFileWriter.h"
#include "make/writers/WaveSegment.h"
#include "support/AudioTools.h"
#include "support/MakeFixtures.h"

namespace varnel {
namespace {

using test::RunExport;
using test::Sound;
using NoteList = std::vector<std::string>;

class TocRunTest : public ::testing::Test {
 public:
  TocRunTest() : Settings(test::SettingsWithWorkDir(Dir / "work")) {}
  std::string Cue() const { return Dir / "disc.cue"; }
  std::string Toc() const { return Dir / "disc.toc"; }
  void AddWave(const std::string& name, size_t frames = 4 * 588) {
    Layout.Append(test::WaveTrack(Dir / name, Sound(frames)));
  }
  void AddFile(const std::string& path) {
    int32_t mode = 0;
    WaveDataInfo info;
    CheckFileOfKind(path, mode, info);
    Layout.Append(std::make_unique<Track>(path, mode, info));
  }
  bool MakeMp3(const std::string& name) {
    if (!test::MissingTool({"sox", "lame"}).empty()) return false;
    return test::RunAll({{"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "@tone.wav", "synth",
                          "3", "sine", "440"},
                         {"lame", "--quiet", "@tone.wav", "@" + name}},
                        Dir.Path());
  }
  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

  test::TempDir Dir;
  DiscLayout Layout;
  AppSettings Settings;
};

TEST_F(TocRunTest, WrittenAsTheSettingSays) {
  AddWave("a.wav");
  // Two CD+G sectors of distinct audio bytes and sub-channel bytes.
  test::WriteBytes(Dir / "k.cdg", test::Cat({Sound(588, 9), std::vector<uint8_t>(96, 1),
                                             Sound(588, 4), std::vector<uint8_t>(96, 2)}));
  AddFile(Dir / "k.cdg");
  Settings.CdrdaoToc = false;
  test::WriteText(Toc(), "old toc");
  ASSERT_EQ(RunExport(Layout, Settings, Cue(), false).State, RunState::Succeeded);
  EXPECT_EQ(test::ReadText(Toc()), "old toc");
  EXPECT_FALSE(Exists(Dir / "work/disc/Track02.rw"));

  Settings.CdrdaoToc = true;
  ASSERT_EQ(RunExport(Layout, Settings, Cue(), false).State, RunState::Succeeded);
  EXPECT_NE(test::ReadText(Toc()).find("DATAFILE \"" + Dir / "work/disc/Track02.rw\""),
            std::string::npos);
  // The copy holds the CD+G file's sectors, the audio bytes of each swapped pairwise.
  const std::vector<uint8_t> cdg = test::ReadBytes(Dir / "k.cdg");
  const std::vector<uint8_t> rw = test::ReadBytes(Dir / "work/disc/Track02.rw");
  ASSERT_EQ(rw.size(), cdg.size());
  for (size_t i = 0; i < cdg.size(); ++i) {
    ASSERT_EQ(rw[i], cdg[i % 2448 < 2352 ? i ^ 1 : i]) << "byte " << i;
  }
}

// A TOC that would replace a file the run reads fails the run before anything is written.
TEST_F(TocRunTest, NeverWrittenOverAFileTheRunReads) {
  Settings.MakeAlways = true;
  std::vector<uint8_t> cdt;
  CdText text;
  text.Blocks.emplace_back().SetText(kCdTextTitle, 1, "Song");
  std::string reason;
  ASSERT_TRUE(EncodeCdText(text, CdTextFraming::Packs, cdt, reason)) << reason;
  struct Case {
    const char* Name;
    std::function<void(TocRunTest&, std::string&)> Setup;  // may set the layout's path
  } const cases[] = {
      {"the layout file",
       [](TocRunTest& t, std::string& layoutPath) {
         t.AddWave("a.wav");
         test::WriteText(t.Toc(), "[FileInfo]");
         layoutPath = t.Toc();
       }},
      {"a track's source", [](TocRunTest& t, std::string&) { t.AddWave("disc.toc"); }},
      {"the CD-Text file",
       [&cdt](TocRunTest& t, std::string&) {
         t.AddWave("a.wav");
         test::WriteBytes(t.Toc(), cdt);
         t.Layout.CdTextEnabled = true;
         t.Layout.CdtPath = t.Toc();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Layout.Clear();
    std::string layoutPath;
    c.Setup(*this, layoutPath);
    const std::vector<uint8_t> before = test::ReadBytes(Toc());
    auto run = RunExport(Layout, Settings, Cue(), false, {}, layoutPath);
    EXPECT_EQ(run.State, RunState::Failed);
    EXPECT_EQ(run.Message, "Exporting Failure.\nCould not create\"" + Toc() + "\".");
    EXPECT_EQ(test::ReadBytes(Toc()), before);
    EXPECT_FALSE(Exists(Cue()));
    EXPECT_FALSE(Exists(Dir / "work"));
  }
}

// A run that fails or is cancelled leaves the old sheet and TOC as they were.
TEST_F(TocRunTest, AllOrNothing) {
  Settings.MakeAlways = true;
  AddWave("a.wav");
  AddWave("b.wav");
  test::WriteText(Cue(), "old sheet");
  test::WriteText(Toc(), "old toc");
  struct Case {
    const char* Name;
    test::RunHook Hook;
    bool SilentTrack;
    RunState State;
  } const cases[] = {
      {"a track fails", {}, true, RunState::Failed},
      {"cancelled while the files are written",
       [](const std::string& note, std::atomic<RunState>& state) {
         if (note == "TrackStarted 2") state.store(RunState::Cancelled);
       },
       false, RunState::Cancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Layout.At(1).TrackCutLeading = c.SilentTrack;
    if (c.SilentTrack) test::WriteBytes(Dir / "b.wav", test::WaveBytes(test::Zeros(4 * 4 * 588)));
    EXPECT_EQ(RunExport(Layout, Settings, Cue(), false, c.Hook).State, c.State);
    EXPECT_EQ(test::ReadText(Cue()), "old sheet");
    EXPECT_EQ(test::ReadText(Toc()), "old toc");
    EXPECT_FALSE(Exists(Dir / "work/disc/Track01.wav"));
  }
}

// Every way a CD-Text file can be unfit for a TOC fails the run with the message naming it
// and the reason as its detail, before anything is written. Without a TOC it is only named.
TEST_F(TocRunTest, CdTextFileThatCannotBeCarried) {
  AddWave("a.wav");
  CdText text;
  CdTextBlock& block = text.Blocks.emplace_back();
  block.SetText(kCdTextTitle, 0, "Disc");
  block.SetText(kCdTextTitle, 1, "Song");
  std::vector<uint8_t> good;
  std::string reason;
  ASSERT_TRUE(EncodeCdText(text, CdTextFraming::Packs, good, reason)) << reason;
  block.CharacterCode = kCdTextMsJis;
  block.SetText(kCdTextTitle, 0, "\x82\xa0");
  block.SetText(kCdTextTitle, 1, "\x82\xa2");
  std::vector<uint8_t> jis;
  ASSERT_TRUE(EncodeCdText(text, CdTextFraming::Packs, jis, reason)) << reason;

  std::vector<uint8_t> badCrc = good;
  badCrc[17] ^= 0x01;
  std::vector<uint8_t> cut(good.begin(), good.end() - 5);
  const std::pair<const char*, std::vector<uint8_t>> rows[] = {
      {"a wrong CRC", badCrc}, {"a size of no whole pack", cut}, {"MS-JIS text", jis}};
  Layout.CdTextEnabled = true;
  Layout.CdtPath = Dir / "disc.cdt";
  for (const auto& [name, bytes] : rows) {
    SCOPED_TRACE(name);
    test::WriteBytes(Layout.CdtPath, bytes);
    auto run = RunExport(Layout, Settings, Cue(), false);
    EXPECT_EQ(run.State, RunState::Failed);
    EXPECT_EQ(run.Message, "Exporting Failure.\nThe CD-Text file \"" + Layout.CdtPath +
                               "\" cannot be used: it is not CD-Text that a TOC file for "
                               "cdrdao can carry.");
    EXPECT_FALSE(run.Detail.empty());
    EXPECT_FALSE(Exists(Cue()));
    EXPECT_FALSE(Exists(Toc()));
  }
  std::filesystem::remove(Layout.CdtPath);
  auto run = RunExport(Layout, Settings, Cue(), true);
  EXPECT_EQ(run.State, RunState::Failed);
  EXPECT_NE(run.Detail.find("No such file"), std::string::npos) << run.Detail;
  Settings.CdrdaoToc = false;
  EXPECT_EQ(RunExport(Layout, Settings, Cue(), true).State, RunState::Succeeded);
}

TEST_F(TocRunTest, Mp3ThatCannotBeDecodedFailsItsTrack) {
  AddWave("a.wav");
  test::WriteBytes(Dir / "noise.mp3", std::vector<uint8_t>(5000, 0x55));
  Layout.Append(std::make_unique<Track>(Dir / "noise.mp3", FileModeMp3, WaveDataInfo{}));
  auto run = RunExport(Layout, Settings, Cue(), false);
  EXPECT_EQ(run.State, RunState::Failed);
  EXPECT_EQ(run.Message,
            "Exporting Failure.\nCould not create \"" + Dir / "work/disc/Track02.wav\" for track2");
  EXPECT_NE(run.Detail.find(Dir / "noise.mp3\" cannot be decoded"), std::string::npos)
      << run.Detail;
  EXPECT_FALSE(Exists(Toc()));
  EXPECT_FALSE(Exists(Dir / "work/disc/Track02.wav"));
}

// The run polls for Cancel between the blocks of an MP3 it decodes; a run cancelled with an
// MP3 track to decode leaves neither the decoded file nor a new TOC.
TEST_F(TocRunTest, CancelStopsDecoding) {
  if (!MakeMp3("song.mp3")) GTEST_SKIP() << "sox and lame make the MP3";
  MadeFile made;
  made.Kind = MadeKind::DecodedWave;
  made.Decoded = Dir / "song.mp3";
  int polls = 0;
  PosixFile out = PosixFile::CreateExclusive(Dir / "out.wav");
  EXPECT_THROW(WriteMadeFile(made, out,
                             [&polls] {
                               if (++polls == 3) throw DecodeCanceled();
                             }),
               DecodeCanceled);
  EXPECT_EQ(polls, 3);

  AddWave("a.wav");
  AddFile(Dir / "song.mp3");
  test::WriteText(Toc(), "old toc");
  auto run = RunExport(Layout, Settings, Cue(), false,
                       [](const std::string& note, std::atomic<RunState>& state) {
                         if (note == "TrackStarted 2") state.store(RunState::Cancelled);
                       });
  EXPECT_EQ(run.State, RunState::Cancelled);
  EXPECT_EQ(run.Notes, (NoteList{"RunStarted 1", "TrackStarted 2", "RunEnded Cancelled"}));
  EXPECT_EQ(test::ReadText(Toc()), "old toc");
  EXPECT_FALSE(Exists(Dir / "work/disc/Track02.wav"));
}

}  // namespace
}  // namespace varnel
