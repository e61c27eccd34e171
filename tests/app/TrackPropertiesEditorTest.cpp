#include "app/editors/TrackPropertiesEditor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/commands/TrackListCommands.h"
#include "app/editors/PositionEditor.h"
#include "persist/LayoutText.h"
#include "support/FakePrompter.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using C = TrackPropertyControl;

// Records each opening of the position editor and lets a test act as the user in it.
class FakePositionPort : public PositionEditorPort {
 public:
  struct Call {
    std::string Path;
    WaveDataInfo Info;
    bool TrackStart, TrackEnd, PreGapStart, PreGapEnd;
  };
  std::vector<Call> Calls;
  std::function<void(int32_t*, int32_t*, int32_t*, int32_t*)> Edit;

  void EditPositions(const std::string& path, const WaveDataInfo& info, int32_t* trackStart,
                     int32_t* trackEnd, int32_t* preGapStart, int32_t* preGapEnd) override {
    Calls.push_back({path, info, trackStart != nullptr, trackEnd != nullptr, preGapStart != nullptr,
                     preGapEnd != nullptr});
    if (Edit) Edit(trackStart, trackEnd, preGapStart, preGapEnd);
  }
};

// Every field of a track that a store may write, for before/after comparisons.
struct TrackFields {
  std::string ISRC, PreGapFileName;
  bool PreEmph, Protect, TrackPaddingHead, TrackCutLeading, TrackCutTrailing, PreGapPaddingHead,
      PreGapCutLeading, PreGapCutTrailing;
  int32_t TrackPreGapPos, TrackStartPos, TrackEndPos, PreGapStartPos, PreGapEndPos, PreGapLength;
  uint8_t Style;
  WaveDataInfo PreGapWaveInfo;
  friend bool operator==(const TrackFields&, const TrackFields&) = default;
};

TrackFields FieldsOf(const Track& t) {
  return {t.ISRC,
          t.PreGapFileName(),
          t.PreEmph,
          t.Protect,
          t.TrackPaddingHead,
          t.TrackCutLeading,
          t.TrackCutTrailing,
          t.PreGapPaddingHead,
          t.PreGapCutLeading,
          t.PreGapCutTrailing,
          t.TrackPreGapPos(),
          t.TrackStartPos(),
          t.TrackEndPos(),
          t.PreGapStartPos(),
          t.PreGapEndPos(),
          t.GetPreGapLength(),
          t.PreGapStyle(),
          t.PreGapWaveInfo()};
}

class TrackPropertyEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    Ctx.RedrawTracks = [this] { ++Redraws; };
  }

  // A 16-bit stereo 44.1 kHz wave track of `frames` sample frames of sound, added as the
  // main window adds it.
  Track& AddWave(const std::string& name, size_t frames) {
    const std::string path = test::WriteWave(Dir / name, {{frames, false}});
    EXPECT_TRUE(AddTrackFile(Ctx, path));
    return Ctx.Layout.At(Ctx.Layout.Count() - 1);
  }

  Track& AddMp3(uint8_t style = PreGapNormal) {
    auto t = std::make_unique<Track>(Dir / "song.mp3", FileModeMp3,
                                     WaveDataInfo{0, 2352 * 300, 2, 16, 44100});
    t->SetPreGapStyle(style);
    Track& added = *t;
    Ctx.Layout.Append(std::move(t));
    Ctx.Layout.TotalBytes += added.GetTotalBytes();
    return added;
  }

  void Show(Track& t, const std::string& waveDir = "/start") {
    Dlg.Track = &t;
    Dlg.WaveFileDir = waveDir;
    Dlg.Load();
  }

  int64_t SumOfTotals() {
    int64_t sum = 0;
    for (int32_t i = 0; i < Ctx.Layout.Count(); ++i) sum += Ctx.Layout.At(i).GetTotalBytes();
    return sum;
  }

  // Browse answered with `path`.
  void Browse(const std::string& path) {
    Prompter.OpenAnswers.push_back({path});
    Dlg.BrowsePreGapFile();
  }

  test::TempDir Dir;
  test::FakePrompter Prompter;
  AppContext Ctx{Prompter};
  FakePositionPort Port;
  TrackPropertiesEditor Dlg{Ctx, &Port};
  int Redraws = 0;
};

const C kLengthCtls[] = {C::MinLbl, C::MinEdit,  C::MinUd,     C::SecLbl, C::SecEdit,
                         C::SecUd,  C::FrameLbl, C::FrameEdit, C::FrameUd};
const C kHiddenFileCtls[] = {C::HdnFileLbl,         C::PreGapPathEdit,   C::PreGapBrowseBtn,
                             C::PreGapPosBtn,       C::PreGapPadLbl,     C::PreGapPadHeadRdBtn,
                             C::PreGapPadTailRdBtn, C::PreGapSilenceLbl, C::GapCutLeadCk,
                             C::GapCutTrailCk};
const C kPaddingCtls[] = {C::PadHeadRdBtn, C::PadTailRdBtn};
const C kOtherWaveCtls[] = {C::SilenceGroup,   C::CutLeadCk,         C::CutTrailCk,
                            C::PosBtn,         C::PreGapFileRdBtn,   C::PreGapIndexRdBtn,
                            C::PreGapPadGroup, C::PreGapSilenceGroup};
const C kAlwaysCtls[] = {C::TrackPathEdit,     C::ISRCEdit, C::PreEmphCk, C::ProtectCk,
                         C::PreGapNormalRdBtn, C::OkBtn,    C::ApplyBtn,  C::CancelBtn};

// The enable table of the three styles for a wave track, and for an MP3 track, where only
// the ISRC, the flags and the silent pre-gap with its length stay available.
void ExpectEnableTable(const TrackPropertiesEditor& dlg, uint8_t style, bool wave) {
  SCOPED_TRACE(testing::Message() << "style " << int{style} << (wave ? " wave" : " mp3"));
  for (C c : kLengthCtls)
    EXPECT_EQ(dlg.Usable(c), style == PreGapNormal) << TrackPropertyControlName(c);
  for (C c : kHiddenFileCtls)
    EXPECT_EQ(dlg.Usable(c), wave && style == PreGapFile) << TrackPropertyControlName(c);
  for (C c : kPaddingCtls)
    EXPECT_EQ(dlg.Usable(c), wave && style != PreGapIndex) << TrackPropertyControlName(c);
  for (C c : kOtherWaveCtls) EXPECT_EQ(dlg.Usable(c), wave) << TrackPropertyControlName(c);
  for (C c : kAlwaysCtls) EXPECT_TRUE(dlg.Usable(c)) << TrackPropertyControlName(c);
  // For a wave track every control is reachable exactly when it is enabled itself.
  if (wave) {
    for (int32_t i = 0; i < kTrackPropertyControlCount; ++i) {
      EXPECT_EQ(dlg.Usable(C(i)), dlg.Enabled(C(i))) << TrackPropertyControlName(C(i));
    }
  }
  // Exactly the style's radio is checked.
  EXPECT_EQ(dlg.Checked(C::PreGapNormalRdBtn), style == PreGapNormal);
  EXPECT_EQ(dlg.Checked(C::PreGapFileRdBtn), style == PreGapFile);
  EXPECT_EQ(dlg.Checked(C::PreGapIndexRdBtn), style == PreGapIndex);
  // The length fields are painted by the style, whatever the track.
  for (C c : {C::MinEdit, C::SecEdit, C::FrameEdit}) {
    EXPECT_EQ(dlg.Colour(c), style == PreGapNormal ? FieldColour::Window : FieldColour::ButtonFace);
  }
  if (wave) {
    EXPECT_EQ(dlg.Colour(C::PreGapPathEdit),
              style == PreGapFile ? FieldColour::Window : FieldColour::ButtonFace);
  }
}

TEST_F(TrackPropertyEditorTest, EnableTableOfEveryStyleForAWaveTrack) {
  Track& t = AddWave("a.wav", 5000);
  for (uint8_t loaded : {PreGapNormal, PreGapFile, PreGapIndex}) {
    t.SetPreGapStyle(loaded);
    Show(t);
    ExpectEnableTable(Dlg, loaded, true);
    Dlg.ChooseSilentPreGap();
    ExpectEnableTable(Dlg, PreGapNormal, true);
    Dlg.ChooseHiddenFilePreGap();
    ExpectEnableTable(Dlg, PreGapFile, true);
    Dlg.ChooseSameFilePreGap();
    ExpectEnableTable(Dlg, PreGapIndex, true);
  }
}

TEST_F(TrackPropertyEditorTest, EnableTableOfEveryStyleForAnMp3Track) {
  for (uint8_t loaded : {PreGapNormal, PreGapFile, PreGapIndex}) {
    Track& t = AddMp3(loaded);
    Show(t);
    ExpectEnableTable(Dlg, loaded, false);
    // The hidden-track radios are disabled: clicking them changes nothing.
    Dlg.ChooseHiddenFilePreGap();
    Dlg.ChooseSameFilePreGap();
    ExpectEnableTable(Dlg, loaded, false);
    Dlg.ChooseSilentPreGap();
    ExpectEnableTable(Dlg, PreGapNormal, false);
    // Disabled buttons do nothing either.
    Dlg.EditTrackPositions();
    Dlg.EditPreGapPositions();
    Dlg.BrowsePreGapFile();
    EXPECT_TRUE(Port.Calls.empty());
    EXPECT_TRUE(Prompter.Log.empty());
  }
  // The same dialog shown for a wave track afterwards offers everything again.
  Track& wave = AddWave("w.wav", 100);
  Show(wave);
  ExpectEnableTable(Dlg, PreGapNormal, true);
}

TEST_F(TrackPropertyEditorTest, ShowLoadsEveryControlFromTheTrack) {
  Track& t = AddWave("a.wav", 50000);
  t.ISRC = "GBAYE0601498";
  t.PreEmph = t.Protect = true;
  t.TrackPaddingHead = true;
  t.TrackCutLeading = true;
  t.TrackCutTrailing = false;
  t.SetTrackPreGapPos(100);
  t.SetTrackStartPos(2000);
  t.SetTrackEndPos(40000);
  t.SetPreGapStyle(PreGapIndex);
  const WaveDataInfo hidden{44, 80000, 2, 16, 44100};
  t.SetPreGapFile("/music/hidden.wav", hidden);
  t.SetPreGapStartPos(5);
  t.SetPreGapEndPos(700);
  t.SetPreGapLength(4500 + 75 * 3 + 9);
  t.PreGapPaddingHead = false;
  t.PreGapCutLeading = false;
  t.PreGapCutTrailing = true;

  Show(t, "/from/main");
  EXPECT_EQ(Dlg.TrackPath, Dir / "a.wav");
  EXPECT_EQ(Dlg.Isrc, "GBAYE0601498");
  EXPECT_TRUE(Dlg.PreEmph);
  EXPECT_TRUE(Dlg.Protect);
  EXPECT_TRUE(Dlg.Checked(C::PadHeadRdBtn));
  EXPECT_FALSE(Dlg.Checked(C::PadTailRdBtn));
  EXPECT_TRUE(Dlg.CutLeading);
  EXPECT_FALSE(Dlg.CutTrailing);
  EXPECT_EQ(Dlg.Style(), PreGapIndex);
  EXPECT_EQ(Dlg.PreGapPath, "/music/hidden.wav");
  EXPECT_EQ(Dlg.PendingPreGapWaveInfo(), hidden);
  EXPECT_EQ(Dlg.PendingPreGapStartPos(), 5);
  EXPECT_EQ(Dlg.PendingPreGapEndPos(), 700);
  EXPECT_EQ(Dlg.PendingTrackPreGapPos(), 100);
  EXPECT_EQ(Dlg.PendingTrackStartPos(), 2000);
  EXPECT_EQ(Dlg.PendingTrackEndPos(), 40000);
  EXPECT_EQ(Dlg.Length.Text(LengthField::Min), "1");
  EXPECT_EQ(Dlg.Length.Text(LengthField::Sec), "3");
  EXPECT_EQ(Dlg.Length.Text(LengthField::Frame), "9");
  EXPECT_FALSE(Dlg.Checked(C::PreGapPadHeadRdBtn));
  EXPECT_TRUE(Dlg.Checked(C::PreGapPadTailRdBtn));
  EXPECT_FALSE(Dlg.PreGapCutLeading);
  EXPECT_TRUE(Dlg.PreGapCutTrailing);
  EXPECT_EQ(Dlg.BrowseDir(), "/from/main");
  EXPECT_EQ(Dlg.ShownTotalBytes(), t.GetTotalBytes());
}

// OK writes every control into the track, redraws the list, and the layout's total
// follows the track's new size.
TEST_F(TrackPropertyEditorTest, OkStoresEveryControl) {
  Track& t = AddWave("a.wav", 50000);
  AddWave("b.wav", 3000);
  Show(t);
  Dlg.TypeIsrc("USRC17607839");
  Dlg.PreEmph = true;
  Dlg.Protect = true;
  Dlg.PaddingHead = true;
  Dlg.CutLeading = true;
  Dlg.CutTrailing = true;
  Dlg.StepLength(LengthField::Sec, true);     // 00:03:00
  Dlg.StepLength(LengthField::Frame, false);  // 00:02:74
  Dlg.PreGapPaddingHead = false;
  Dlg.PreGapCutLeading = true;
  Dlg.PreGapCutTrailing = true;
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.ISRC, "USRC17607839");
  EXPECT_TRUE(t.PreEmph && t.Protect && t.TrackPaddingHead && t.TrackCutLeading &&
              t.TrackCutTrailing);
  EXPECT_EQ(t.GetPreGapLength(), 2 * 75 + 74);
  EXPECT_FALSE(t.PreGapPaddingHead);
  EXPECT_TRUE(t.PreGapCutLeading && t.PreGapCutTrailing);
  EXPECT_EQ(t.PreGapStyle(), PreGapNormal);
  EXPECT_EQ(Redraws, 1);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
  EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(TrackPropertyEditorTest, FailedStoresStoreNothing) {
  Track& t = AddWave("a.wav", 50000);
  const TrackFields before = FieldsOf(t);
  const int64_t total = Ctx.Layout.TotalBytes;

  // Hidden track from another file without a file.
  Show(t);
  Dlg.PreEmph = true;
  Dlg.ChooseHiddenFilePreGap();
  EXPECT_FALSE(Dlg.Accept());
  EXPECT_FALSE(Dlg.StoreProperties());

  // Hidden track in the same file, a new track with both positions 0.
  Dlg.ChooseSameFilePreGap();
  EXPECT_FALSE(Dlg.Accept());
  // A track start before the pre-gap start fails just the same.
  Port.Edit = [](int32_t* ts, int32_t*, int32_t* ps, int32_t*) {
    *ps = 900;
    *ts = 899;
  };
  Dlg.EditTrackPositions();
  EXPECT_EQ(Dlg.PendingTrackPreGapPos(), 900);
  Dlg.Apply();

  EXPECT_EQ(Prompter.Log, (std::vector<std::string>{
                              "Warning: Select a wave file for the hidden track.",
                              "Warning: Select a wave file for the hidden track.",
                              "Warning: Set pre-gap and track length.",
                              "Warning: Set pre-gap and track length.",
                          }));
  EXPECT_EQ(FieldsOf(t), before);
  EXPECT_EQ(Ctx.Layout.TotalBytes, total);
  EXPECT_EQ(Redraws, 0);
  EXPECT_EQ(Dlg.ShownTotalBytes(), t.GetTotalBytes());

  // Once the position editor puts the track start after the pre-gap start, it stores.
  Port.Edit = [](int32_t* ts, int32_t*, int32_t*, int32_t*) { *ts = 901; };
  Dlg.EditTrackPositions();
  EXPECT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapStyle(), PreGapIndex);
  EXPECT_EQ(t.TrackPreGapPos(), 900);
  EXPECT_EQ(t.TrackStartPos(), 901);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
}

TEST_F(TrackPropertyEditorTest, ApplyThenOkAddsOnlyTheNewDifference) {
  Track& t = AddWave("a.wav", 10000);
  AddWave("b.wav", 20000);
  const int64_t start = Ctx.Layout.TotalBytes;
  ASSERT_EQ(start, SumOfTotals());
  Show(t);
  Dlg.StepLength(LengthField::Sec, true);  // 0:02:00 → 0:03:00
  Dlg.Apply();
  EXPECT_EQ(Ctx.Layout.TotalBytes, start + 75 * 2352);
  EXPECT_EQ(Dlg.ShownTotalBytes(), t.GetTotalBytes());
  Dlg.StepLength(LengthField::Min, true);  // 1:03:00
  EXPECT_TRUE(Dlg.Accept());
  EXPECT_EQ(Ctx.Layout.TotalBytes, start + (75 + 4500) * 2352);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
  // A store that changes nothing adds nothing.
  EXPECT_TRUE(Dlg.Accept());
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
  EXPECT_EQ(Redraws, 3);
  // The status bar was refreshed with the new total: 18 + 35 CD frames of audio, 4725 + 150
  // of silent pre-gap.
  EXPECT_EQ(Ctx.StatusPanels[2], " 01:05:53");
}

TEST_F(TrackPropertyEditorTest, ApplyThenCancelKeepsTheAppliedValuesAndFolder) {
  Track& t = AddWave("a.wav", 10000);
  std::filesystem::create_directories(Dir / "first");
  std::filesystem::create_directories(Dir / "second");
  const std::string hidden = test::WriteWave(Dir / "first/h.wav", {{4410, false}});
  test::WriteWave(Dir / "second/late.wav", {{100, false}});
  Show(t, "/start");
  Dlg.ChooseHiddenFilePreGap();
  Browse(hidden);
  Dlg.Protect = true;
  Dlg.Apply();
  EXPECT_EQ(Dlg.WaveFileDir, Dir / "first");
  // More edits, then Cancel: the caller takes WaveFileDir back as the Apply left it.
  Browse(Dir / "second/late.wav");
  Dlg.PreEmph = true;
  EXPECT_EQ(Dlg.BrowseDir(), Dir / "second");
  EXPECT_EQ(Dlg.WaveFileDir, Dir / "first");
  EXPECT_TRUE(t.Protect);
  EXPECT_FALSE(t.PreEmph);
  EXPECT_EQ(t.PreGapStyle(), PreGapFile);
  EXPECT_EQ(t.PreGapFileName(), hidden);
  EXPECT_EQ(t.PreGapEndPos(), 4410);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
  // Shown again, the dialog starts from the stored values.
  Show(t, Dlg.WaveFileDir);
  EXPECT_EQ(Dlg.PreGapPath, hidden);
  EXPECT_FALSE(Dlg.PreEmph);
  EXPECT_EQ(Dlg.BrowseDir(), Dir / "first");
}

TEST_F(TrackPropertyEditorTest, EmptiedHiddenTrackPathSkipsTheFile) {
  Track& t = AddWave("a.wav", 10000);
  const std::string hidden = test::WriteWave(Dir / "h.wav", {{8000, false}});
  Show(t);
  Dlg.ChooseHiddenFilePreGap();
  Browse(hidden);
  ASSERT_TRUE(Dlg.Accept());
  const WaveDataInfo info = t.PreGapWaveInfo();
  ASSERT_EQ(info.DataSize, 32000);

  // Emptied path, silent style: file and summary stay, the range comes from the pending
  // values (here set in the position editor).
  Show(t);
  Port.Edit = [](int32_t*, int32_t*, int32_t* ps, int32_t* pe) {
    *ps = 10;
    *pe = 20;
  };
  Dlg.EditPreGapPositions();
  Dlg.TypePreGapPath("");
  Dlg.ChooseSilentPreGap();
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapFileName(), hidden);
  EXPECT_EQ(t.PreGapWaveInfo(), info);
  EXPECT_EQ(t.PreGapStartPos(), 10);
  EXPECT_EQ(t.PreGapEndPos(), 20);

  // Emptied path, same-file style: likewise.
  Show(t);
  Dlg.TypePreGapPath("");
  Dlg.ChooseSameFilePreGap();
  Port.Edit = [](int32_t* ts, int32_t*, int32_t* ps, int32_t*) {
    *ps = 0;
    *ts = 50;
  };
  Dlg.EditTrackPositions();
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapFileName(), hidden);
  EXPECT_EQ(t.PreGapWaveInfo(), info);

  for (const std::string& line : Prompter.Log) EXPECT_EQ(line.rfind("Open: ", 0), 0u) << line;

  // A path typed by hand is read on OK as a chosen file is: its whole data is the region.
  const std::string typed = test::WriteWave(Dir / "typed.wav", {{3000, false}});
  Show(t);
  Dlg.ChooseHiddenFilePreGap();
  Dlg.TypePreGapPath(typed);
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapFileName(), typed);
  EXPECT_EQ(t.PreGapWaveInfo().DataSize, 12000);
  EXPECT_EQ(t.PreGapStartPos(), 0);
  EXPECT_EQ(t.PreGapEndPos(), 3000);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
}

// A file typed into the field that cannot be used gives Browse's refusal on OK and on Apply;
// the dialog stays open and the track keeps what it had.
TEST_F(TrackPropertyEditorTest, TypedHiddenTrackPathsAreRefusedAsBrowseRefusesThem) {
  Track& t = AddWave("a.wav", 10000);
  test::WriteBytes(Dir / "mono.wav", test::WaveBytes(std::vector<uint8_t>(400, 1), 1, 16, 44100));
  test::WriteText(Dir / "notes.wav", "this is not a wave file at all");
  const std::string before = LayoutFileText(Ctx.Layout);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Dir / "mono.wav", "Error: \"" + Dir / "mono.wav" + "\" is not PCM, 44.1kHz, 16bit, Streo. "},
      {Dir / "notes.wav", "Error: \"" + Dir / "notes.wav" + "\" is not Riff-Wave file."},
      {Dir / "missing.wav", "Error: \"" + Dir / "missing.wav" + "\" is not Riff-Wave file."},
  };
  for (const auto& [path, message] : cases) {
    for (const bool ok : {true, false}) {
      SCOPED_TRACE(path + (ok ? " OK" : " Apply"));
      Show(t);
      Dlg.ChooseHiddenFilePreGap();
      Dlg.TypePreGapPath(path);
      Prompter.Log.clear();
      if (ok) {
        EXPECT_FALSE(Dlg.Accept());
      } else {
        Dlg.Apply();
      }
      EXPECT_EQ(Prompter.Log, std::vector<std::string>{message});
      EXPECT_EQ(LayoutFileText(Ctx.Layout), before);
    }
  }
}

TEST_F(TrackPropertyEditorTest, BrowseRefusalsGiveTheirTextsAndMoveOnlyTheFolder) {
  Track& t = AddWave("a.wav", 10000);
  for (const char* sub : {"m", "r", "t", "x"}) std::filesystem::create_directories(Dir / sub);
  test::WriteBytes(Dir / "m/mono.wav", test::WaveBytes(std::vector<uint8_t>(400, 1), 1, 16, 44100));
  test::WriteBytes(Dir / "r/48k.wav", test::WaveBytes(std::vector<uint8_t>(400, 1), 2, 16, 48000));
  test::WriteText(Dir / "t/notes.wav", "this is not a wave file at all");
  Show(t, "/start");
  Dlg.ChooseHiddenFilePreGap();
  const std::string pathBefore = Dlg.PreGapPath;

  const std::vector<std::pair<std::string, std::string>> cases = {
      {Dir / "m/mono.wav",
       "Error: \"" + Dir / "m/mono.wav" + "\" is not PCM, 44.1kHz, 16bit, Streo. "},
      {Dir / "r/48k.wav",
       "Error: \"" + Dir / "r/48k.wav" + "\" is not PCM, 44.1kHz, 16bit, Streo. "},
      {Dir / "t/notes.wav", "Error: \"" + Dir / "t/notes.wav" + "\" is not Riff-Wave file."},
      {Dir / "x/missing.wav", "Error: \"" + Dir / "x/missing.wav" + "\" is not Riff-Wave file."},
  };
  std::string expectedDir = "/start";
  for (const auto& [path, message] : cases) {
    SCOPED_TRACE(path);
    Prompter.Log.clear();
    Prompter.Requests.clear();
    Browse(path);
    ASSERT_EQ(Prompter.Requests.size(), 1u);
    EXPECT_EQ(Prompter.Requests[0].InitialDir, expectedDir);  // where the last one went
    EXPECT_EQ(Prompter.Requests[0].Filter,
              "Wave files (*.wav)|*.wav|FLAC, AIFF, Ogg Vorbis and Opus files (*.flac; *.aif; "
              "*.aiff; *.ogg; *.oga; *.opus)|*.flac;*.aif;*.aiff;*.ogg;*.oga;*.opus|"
              "All files (*.*)|*.*");
    EXPECT_EQ(Prompter.Requests[0].DefaultExt, ".wav");
    ASSERT_EQ(Prompter.Log.size(), 2u);
    EXPECT_EQ(Prompter.Log[1], message);
    expectedDir = path.substr(0, path.rfind('/'));
    EXPECT_EQ(Dlg.BrowseDir(), expectedDir);
    EXPECT_EQ(Dlg.PreGapPath, pathBefore);
    EXPECT_EQ(Dlg.PendingPreGapWaveInfo(), WaveDataInfo{});
    EXPECT_EQ(Dlg.PendingPreGapEndPos(), 0);
  }
  EXPECT_EQ(Dlg.WaveFileDir, "/start");  // moves only with a successful store

  // A cancelled dialog changes nothing.
  Prompter.OpenAnswers.push_back({});
  Dlg.BrowsePreGapFile();
  EXPECT_EQ(Dlg.BrowseDir(), expectedDir);
}

TEST_F(TrackPropertyEditorTest, BrowseAcceptsCdAudioWithItsWholeDataAsTheRegion) {
  Track& t = AddWave("a.wav", 10000);
  // A wave file whose data size is not a multiple of 4: N / 4 whole sample frames.
  std::vector<uint8_t> data(4 * 3001 + 3, 7);
  test::WriteBytes(Dir / "hidden.wav", test::WaveBytes(data));
  Show(t);
  Dlg.ChooseHiddenFilePreGap();
  Browse(Dir / "hidden.wav");
  EXPECT_EQ(Dlg.PreGapPath, Dir / "hidden.wav");
  EXPECT_EQ(Dlg.PendingPreGapStartPos(), 0);
  EXPECT_EQ(Dlg.PendingPreGapEndPos(), 3001);
  EXPECT_EQ(Dlg.PendingPreGapWaveInfo(), (WaveDataInfo{44, 4 * 3001 + 3, 2, 16, 44100}));
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapFileName(), Dir / "hidden.wav");
  EXPECT_EQ(t.PreGapStartPos(), 0);
  EXPECT_EQ(t.PreGapEndPos(), 3001);
  EXPECT_EQ(Dlg.WaveFileDir, Dir.Path());
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
}

TEST_F(TrackPropertyEditorTest, PositionButtonsHandTheirVariablesToThePositionEditor) {
  Track& t = AddWave("a.wav", 10000);
  Show(t);
  // "&Position" in the silent style: track start and end only.
  Port.Edit = [](int32_t* ts, int32_t* te, int32_t* ps, int32_t* pe) {
    EXPECT_EQ(*ts, 0);
    EXPECT_EQ(*te, 10000);
    EXPECT_EQ(ps, nullptr);
    EXPECT_EQ(pe, nullptr);
    *ts = 100;
    *te = 9000;
  };
  Dlg.EditTrackPositions();
  ASSERT_EQ(Port.Calls.size(), 1u);
  EXPECT_EQ(Port.Calls[0].Path, Dir / "a.wav");
  EXPECT_EQ(Port.Calls[0].Info, t.WaveInfo);
  // The pending values reach the track only with a store.
  EXPECT_EQ(t.TrackStartPos(), 0);
  EXPECT_EQ(Dlg.PendingTrackStartPos(), 100);

  // "&Position" in the same-file style adds the pre-gap start.
  Dlg.ChooseSameFilePreGap();
  Port.Edit = [](int32_t* ts, int32_t*, int32_t* ps, int32_t* pe) {
    EXPECT_EQ(*ts, 100);
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(pe, nullptr);
    *ps = 40;
  };
  Dlg.EditTrackPositions();
  ASSERT_EQ(Port.Calls.size(), 2u);
  EXPECT_TRUE(Port.Calls[1].PreGapStart);

  // "P&osition" without a hidden-track path does nothing.
  Dlg.ChooseHiddenFilePreGap();
  Dlg.EditPreGapPositions();
  EXPECT_EQ(Port.Calls.size(), 2u);
  // With one, typed, it reads the file and edits the hidden-track region.
  const std::string h = test::WriteWave(Dir / "h.wav", {{100, false}});
  Dlg.TypePreGapPath(h);
  Port.Edit = [](int32_t* ts, int32_t* te, int32_t* ps, int32_t* pe) {
    EXPECT_EQ(ts, nullptr);
    EXPECT_EQ(te, nullptr);
    *ps = 7;
    *pe = 70;
  };
  Dlg.EditPreGapPositions();
  ASSERT_EQ(Port.Calls.size(), 3u);
  EXPECT_EQ(Port.Calls[2].Path, h);
  EXPECT_EQ(Port.Calls[2].Info.DataSize, 400);

  Dlg.ChooseSameFilePreGap();
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.TrackPreGapPos(), 40);
  EXPECT_EQ(t.TrackStartPos(), 100);
  EXPECT_EQ(t.TrackEndPos(), 9000);
  EXPECT_EQ(t.PreGapStartPos(), 7);
  EXPECT_EQ(t.PreGapEndPos(), 70);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
}

// The whole road of a hidden track in the same file, through the real position editor.
TEST_F(TrackPropertyEditorTest, SameFileHiddenTrackThroughThePositionEditor) {
  struct RealPort : PositionEditorPort {
    explicit RealPort(varnel::Prompter& p) : Editor(p, nullptr) {}
    PositionEditor Editor;
    std::function<void(PositionEditor&)> User;
    void EditPositions(const std::string& path, const WaveDataInfo& info, int32_t* ts, int32_t* te,
                       int32_t* ps, int32_t* pe) override {
      Editor.SetupPositions(path, info, ts, te, ps, pe);
      Editor.Open();
      User(Editor);
      Editor.Close();
    }
  } port(Prompter);
  TrackPropertiesEditor dlg(Ctx, &port);
  Track& t = AddWave("a.wav", 44100 * 3);
  dlg.Track = &t;
  dlg.Load();
  dlg.ChooseSameFilePreGap();
  EXPECT_FALSE(dlg.Accept());
  port.User = [](PositionEditor& e) {
    e.TypeCursor("0000044100");
    e.SetBoundaryToCursor(Boundary::TrackStart);
    EXPECT_EQ(e.PreGapLength(), 44100);
    EXPECT_TRUE(e.Accept());
  };
  dlg.EditTrackPositions();
  EXPECT_TRUE(dlg.Accept());
  EXPECT_EQ(t.TrackPreGapPos(), 0);
  EXPECT_EQ(t.TrackStartPos(), 44100);
  EXPECT_EQ(t.TrackEndPos(), 44100 * 3);
  EXPECT_EQ(t.GetTotalBytes(), 2352 * (75 + 150));
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
  EXPECT_EQ(Prompter.Log, std::vector<std::string>{"Warning: Set pre-gap and track length."});
}

// A stored pre-gap length beyond 99:59:74 shows as 99:59:74, and OK stores what is shown.
TEST_F(TrackPropertyEditorTest, PreGapLengthBeyondTheFieldsIsStoredAsShown) {
  Track& t = AddWave("a.wav", 1000);
  t.PreGapMin = 200;
  t.PreGapSec = 30;
  Ctx.Layout.TotalBytes = SumOfTotals();
  Show(t);
  EXPECT_EQ(Dlg.Length.Frames(), 449999);
  EXPECT_EQ(Dlg.Length.Text(LengthField::Min), "99");
  // At the top the up arrows are refused.
  Dlg.StepLength(LengthField::Frame, true);
  Dlg.StepLength(LengthField::Sec, true);
  Dlg.StepLength(LengthField::Min, true);
  EXPECT_EQ(Dlg.Length.Frames(), 449999);
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapMin, 99);
  EXPECT_EQ(t.PreGapSec, 59);
  EXPECT_EQ(t.PreGapFrame, 74);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
}

TEST_F(TrackPropertyEditorTest, IsrcFieldHoldsWhatTheMaskAllows) {
  EXPECT_EQ(IsrcFieldText("USRC17607839"), "USRC17607839");
  EXPECT_EQ(IsrcFieldText("usrc1760783912345"), "usrc17607839");
  EXPECT_EQ(IsrcFieldText("US-RC1760x839"), "US RC1760 83");
  EXPECT_EQ(IsrcFieldText("AB"), "AB          ");
  EXPECT_EQ(IsrcFieldText(""), "");
  EXPECT_EQ(IsrcFieldText("            "), "");
  EXPECT_EQ(IsrcFieldText("--\r\n[]\r\n"), "");

  Track& t = AddWave("a.wav", 1000);
  t.ISRC = "JP-X\nY";
  Show(t);
  EXPECT_EQ(Dlg.Isrc, "JP X        ");
  Dlg.TypeIsrc("");
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.ISRC, "");
}

// A style value the system does not know (only a damaged record holds one) shows and
// stores as plain silence.
TEST_F(TrackPropertyEditorTest, UnknownStyleShowsAsSilence) {
  Track& t = AddWave("a.wav", 1000);
  t.SetPreGapStyle(7);
  Show(t);
  ExpectEnableTable(Dlg, PreGapNormal, true);
  ASSERT_TRUE(Dlg.Accept());
  EXPECT_EQ(t.PreGapStyle(), PreGapNormal);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTotals());
}

TEST_F(TrackPropertyEditorTest, WithoutATrackNothingHappens) {
  TrackPropertiesEditor dlg(Ctx, &Port);
  dlg.Load();
  EXPECT_FALSE(dlg.StoreProperties());
  dlg.EditTrackPositions();
  dlg.BrowsePreGapFile();
  EXPECT_TRUE(Port.Calls.empty());
  EXPECT_TRUE(Prompter.Log.empty());
  EXPECT_EQ(Redraws, 0);
}

TEST(CheckPreGapWave, TellsCdAudioOtherPcmAndNoWaveApart) {
  test::TempDir dir;
  test::WriteBytes(dir / "cd.wav", test::WaveBytes(std::vector<uint8_t>(8, 0)));
  test::WriteBytes(dir / "8bit.wav", test::WaveBytes(std::vector<uint8_t>(8, 0), 2, 8, 44100));
  test::WriteText(dir / "text.wav", "RIFF....WAVEjunk");
  WaveDataInfo info;
  EXPECT_EQ(CheckPreGapWave(dir / "cd.wav", info), 1);
  EXPECT_EQ(info, (WaveDataInfo{44, 8, 2, 16, 44100}));
  EXPECT_EQ(CheckPreGapWave(dir / "8bit.wav", info), 0);
  EXPECT_EQ(CheckPreGapWave(dir / "text.wav", info), -1);
  EXPECT_EQ(CheckPreGapWave(dir / "none.wav", info), -1);
  EXPECT_EQ(CheckPreGapWave(dir.Path(), info), -1);
}

}  // namespace
}  // namespace varnel
