#include "app/editors/PositionEditor.h"

#include <gtest/gtest.h>

#include "support/FakePreviewDevice.h"
#include "support/FakePrompter.h"

namespace varnel {
namespace {

using B = Boundary;
using P = PositionControl;
using test::FakePreviewDevice;
using test::FakePrompter;

WaveDataInfo DataOf(int32_t bytes) {
  return WaveDataInfo{44, bytes, 2, 16, 44100};
}

// The caller's four variables, as the track property dialog holds them.
struct Targets {
  int32_t TrackStart = 0;
  int32_t TrackEnd = 0;
  int32_t PreGapStart = 0;
  int32_t PreGapEnd = 0;
};

class PositionEditorTest : public testing::Test {
 protected:
  // "&Position" with a silent pre-gap or one from another file.
  void OpenTrack(int32_t bytes) {
    Editor.SetupPositions("/w/a.wav", DataOf(bytes), &T.TrackStart, &T.TrackEnd, nullptr, nullptr);
    Editor.Open();
  }
  // "&Position" with a pre-gap in the same file.
  void OpenSameFile(int32_t bytes) {
    Editor.SetupPositions("/w/a.wav", DataOf(bytes), &T.TrackStart, &T.TrackEnd, &T.PreGapStart,
                          nullptr);
    Editor.Open();
  }
  // "P&osition" on the hidden-track file.
  void OpenHiddenFile(int32_t bytes) {
    Editor.SetupPositions("/w/h.wav", DataOf(bytes), nullptr, nullptr, &T.PreGapStart,
                          &T.PreGapEnd);
    Editor.Open();
  }

  FakePrompter Prompter;
  FakePreviewDevice Device;
  PositionEditor Editor{Prompter, &Device};
  Targets T;
};

TEST(PositionTexts, FormsOfPositionsAndLengths) {
  EXPECT_EQ(PositionText(44100), "0000044100");
  EXPECT_EQ(PositionText(-5), "-0000000005");
  EXPECT_EQ(PositionText(0), "0000000000");
  EXPECT_EQ(PositionMsfText(2646588), "01:00:01");
  EXPECT_EQ(PositionMsfText(44100 * 59 + 588 * 74 + 587), "00:59:74");
  EXPECT_EQ(LengthMsfText(600), "00:00:01+");
  EXPECT_EQ(LengthMsfText(-600), "-00:00:01+");
  EXPECT_EQ(LengthMsfText(588), "00:00:01");
  EXPECT_EQ(LengthMsfText(0), "00:00:00");
  EXPECT_EQ(LengthMsfText(-587), "-00:00:00+");
  EXPECT_EQ(LengthMsfText(int64_t{2646000} * 120), "120:00:00");
}

// A file of 1 000 000 data bytes: 250 000 sample frames, 425 whole CD frames.
TEST_F(PositionEditorTest, CursorArrowsStopAtTheEndsOfTheFile) {
  OpenTrack(1000000);
  EXPECT_EQ(Editor.SampleCount(), 250000);
  EXPECT_EQ(Editor.MaxCursorFrame(), 425);
  EXPECT_EQ(Editor.Text(P::PosEdit), "0000000000");
  EXPECT_EQ(Editor.Text(P::PosMSFEdit), "00:00:00");

  Editor.StepCursorFrame(false);  // already at 0
  EXPECT_EQ(Editor.CursorPos(), 0);
  Editor.TypeCursorMsf("00:05:40");  // frame 415
  for (int i = 0; i < 20; ++i) Editor.StepCursorFrame(true);
  EXPECT_EQ(Editor.CursorFrame(), 425);
  EXPECT_EQ(Editor.CursorPos(), 249900);
  EXPECT_EQ(Editor.Text(P::PosEdit), "0000249900");
  EXPECT_EQ(Editor.Text(P::PosMSFEdit), "00:05:50");

  for (int i = 0; i < 150; ++i) Editor.StepCursor(true);
  EXPECT_EQ(Editor.CursorPos(), 250000);
  EXPECT_EQ(Editor.CursorFrame(), 425);
  Editor.CursorKey(EditKey::Down);
  EXPECT_EQ(Editor.CursorPos(), 249999);
  Editor.CursorMsfKey(EditKey::Down);  // one CD frame back from frame 425
  EXPECT_EQ(Editor.CursorPos(), 424 * 588);
  Editor.TypeCursor("0000000003");
  Editor.StepCursor(false);
  Editor.StepCursor(false);
  Editor.StepCursor(false);
  Editor.StepCursor(false);
  EXPECT_EQ(Editor.CursorPos(), 0);
}

TEST_F(PositionEditorTest, TypedCursorTimesAreHeldWithinTheFile) {
  OpenTrack(1000000);
  // 99:99:99 reads as 99:59:74, CD frame 449 999, then the cursor stops at the file's end.
  Editor.TypeCursorMsf("99:99:99");
  EXPECT_EQ(Editor.CursorPos(), 250000);
  EXPECT_EQ(Editor.CursorFrame(), 425);
  EXPECT_EQ(Editor.Text(P::PosEdit), "0000250000");
  EXPECT_EQ(Editor.Text(P::PosMSFEdit), "00:05:50");

  // On a long enough file, the same text lands exactly on frame 449 999.
  FakePrompter prompter;
  PositionEditor big(prompter, nullptr);
  Targets t;
  big.SetupPositions("/w/big.wav", DataOf(2000000000), &t.TrackStart, &t.TrackEnd, nullptr,
                     nullptr);
  big.Open();
  big.TypeCursorMsf("99:99:99");
  EXPECT_EQ(big.CursorFrame(), 99 * 4500 + 59 * 75 + 74);
  EXPECT_EQ(big.CursorPos(), 449999 * 588);
  EXPECT_EQ(big.Text(P::PosMSFEdit), "99:59:74");
  // The sample field and the MSF field follow each other.
  big.TypeCursor("0002646588");
  EXPECT_EQ(big.Text(P::PosMSFEdit), "01:00:01");
  EXPECT_EQ(big.CursorFrame(), 4501);
  big.TypeCursorMsf("01:00:01");
  EXPECT_EQ(big.CursorPos(), 4501 * 588);
  // Empty places or other junk read as 0.
  big.TypeCursorMsf("__:__:05");
  EXPECT_EQ(big.CursorPos(), 5 * 588);
  big.TypeCursor("00000_1234");
  EXPECT_EQ(big.CursorPos(), 0);
  big.TypeCursor("9999999999");  // beyond every file
  EXPECT_EQ(big.CursorPos(), 500000000);
  // At 100 minutes and beyond the two-place MSF field shows the most it can hold.
  EXPECT_EQ(big.Text(P::PosMSFEdit), "99:59:74");
  big.TypeCursor("-0000000005");
  EXPECT_EQ(big.CursorPos(), 0);
  big.TypeCursorMsf("x");
  EXPECT_EQ(big.CursorPos(), 0);
}

TEST_F(PositionEditorTest, SetupOfTheThreeConfigurations) {
  struct Config {
    const char* Name;
    bool Track, PreGapStart, PreGapEnd;
  };
  for (const Config& c :
       {Config{"track", true, false, false}, Config{"same file", true, true, false},
        Config{"hidden file", false, true, true}}) {
    SCOPED_TRACE(c.Name);
    Targets t{1000, 5000, 400, 900};
    Editor.SetupPositions("/w/a.wav", DataOf(100000), c.Track ? &t.TrackStart : nullptr,
                          c.Track ? &t.TrackEnd : nullptr, c.PreGapStart ? &t.PreGapStart : nullptr,
                          c.PreGapEnd ? &t.PreGapEnd : nullptr);
    const bool preGap = c.PreGapStart || c.PreGapEnd;
    EXPECT_EQ(Editor.Enabled(P::TrackGroup), c.Track);
    EXPECT_EQ(Editor.Enabled(P::TrackLengthLbl), c.Track);
    EXPECT_EQ(Editor.Enabled(P::TrackLengthEdit), c.Track);
    EXPECT_EQ(Editor.Enabled(P::PreGapGroup), preGap);
    EXPECT_EQ(Editor.Enabled(P::PreGapLengthMSFEdit), preGap);
    const std::tuple<B, bool, P, P, P, P, const char*> rows[] = {
        {B::TrackStart, c.Track, P::TrackStartEdit, P::TrackStartUd, P::SetStartBtn,
         P::TrackStartLbl, "0000001000"},
        {B::TrackEnd, c.Track, P::TrackEndEdit, P::TrackEndUd, P::SetEndBtn, P::TrackEndLbl,
         "0000005000"},
        {B::PreGapStart, c.PreGapStart, P::PreGapStartEdit, P::PreGapStartUd, P::SetPreGapStartBtn,
         P::PreGapStartLbl, "0000000400"},
        {B::PreGapEnd, c.PreGapEnd, P::PreGapEndEdit, P::PreGapEndUd, P::SetPreGapEndBtn,
         P::PreGapEndLbl, "0000000900"},
    };
    for (const auto& [b, given, edit, ud, btn, lbl, text] : rows) {
      SCOPED_TRACE(PositionControlName(edit));
      EXPECT_EQ(Editor.HasTarget(b), given);
      for (P ctl : {edit, ud, btn, lbl})
        EXPECT_EQ(Editor.Enabled(ctl), given) << PositionControlName(ctl);
      EXPECT_EQ(Editor.Colour(edit), given ? FieldColour::Window : FieldColour::ButtonFace);
      EXPECT_EQ(Editor.Text(edit), given ? text : "");
      EXPECT_EQ(Editor.Value(b), given ? std::stoi(text) : 0);
    }
    if (c.Track) {
      EXPECT_EQ(Editor.TrackLength(), 4000);
      EXPECT_EQ(Editor.Text(P::TrackLengthEdit), "0000004000");
      EXPECT_EQ(Editor.Text(P::TrackLengthMSFEdit), "00:00:06+");
    } else {
      EXPECT_EQ(Editor.TrackLength(), 0);
      EXPECT_EQ(Editor.Text(P::TrackLengthEdit), "");
      EXPECT_EQ(Editor.Text(P::TrackLengthMSFEdit), "");
      EXPECT_EQ(Editor.Colour(P::TrackLengthEdit), FieldColour::ButtonFace);
    }
    const int32_t preGapLength = c.PreGapEnd ? 500 : (c.PreGapStart ? 600 : 0);
    EXPECT_EQ(Editor.PreGapLength(), preGapLength);
    EXPECT_EQ(Editor.Text(P::PreGapLengthEdit), c.PreGapStart ? PositionText(preGapLength) : "");
    Editor.Close();
  }
}

// Targets handed in beyond the file are shown, and written back, as the file's end.
TEST_F(PositionEditorTest, TargetsOutsideTheFileAreHeldAtItsEnds) {
  T = {-30, 999999, 0, 0};
  OpenTrack(40000);  // 10 000 sample frames
  EXPECT_EQ(Editor.Value(B::TrackStart), 0);
  EXPECT_EQ(Editor.Value(B::TrackEnd), 10000);
  EXPECT_EQ(Editor.Text(P::TrackEndEdit), "0000010000");
  ASSERT_TRUE(Editor.Accept());
  EXPECT_EQ(T.TrackStart, 0);
  EXPECT_EQ(T.TrackEnd, 10000);
}

TEST_F(PositionEditorTest, LengthDisplaysAndTheirColours) {
  OpenTrack(1000000);
  struct Case {
    const char* Start;
    const char* End;
    const char* Length;
    const char* Msf;
    TextColour Colour;
  };
  for (const Case& c :
       {Case{"0000000000", "0000000600", "0000000600", "00:00:01+", TextColour::WindowText},
        Case{"0000000600", "0000000000", "-0000000600", "-00:00:01+", TextColour::Red},
        Case{"0000000000", "0000000588", "0000000588", "00:00:01", TextColour::WindowText},
        Case{"0000000588", "0000000588", "0000000000", "00:00:00", TextColour::Red},
        Case{"0000000000", "0000000001", "0000000001", "00:00:00+", TextColour::WindowText}}) {
    SCOPED_TRACE(c.Length);
    Editor.TypeBoundary(B::TrackStart, c.Start);
    Editor.TypeBoundary(B::TrackEnd, c.End);
    EXPECT_EQ(Editor.Text(P::TrackLengthEdit), c.Length);
    EXPECT_EQ(Editor.Text(P::TrackLengthMSFEdit), c.Msf);
    EXPECT_EQ(Editor.TextColourOf(P::TrackLengthEdit), c.Colour);
    EXPECT_EQ(Editor.TextColourOf(P::TrackLengthMSFEdit), c.Colour);
  }
}

TEST_F(PositionEditorTest, SameFileTrackStartMovesBothLengths) {
  T = {5000, 20000, 1000, 0};
  OpenSameFile(400000);
  EXPECT_EQ(Editor.TrackLength(), 15000);
  EXPECT_EQ(Editor.PreGapLength(), 4000);
  Editor.TypeBoundary(B::TrackStart, "0000006000");
  EXPECT_EQ(Editor.TrackLength(), 14000);
  EXPECT_EQ(Editor.PreGapLength(), 5000);
  EXPECT_EQ(Editor.Text(P::PreGapLengthEdit), "0000005000");
  Editor.TypeBoundary(B::PreGapStart, "0000002000");
  EXPECT_EQ(Editor.TrackLength(), 14000);
  EXPECT_EQ(Editor.PreGapLength(), 4000);
  Editor.StepBoundary(B::TrackEnd, true);
  EXPECT_EQ(Editor.TrackLength(), 14001);
  EXPECT_EQ(Editor.PreGapLength(), 4000);
  // The pre-gap end has no target here: its controls ignore the user.
  Editor.TypeBoundary(B::PreGapEnd, "0000000009");
  Editor.StepBoundary(B::PreGapEnd, true);
  Editor.SetBoundaryToCursor(B::PreGapEnd);
  EXPECT_EQ(Editor.Value(B::PreGapEnd), 0);
  EXPECT_EQ(Editor.PreGapLength(), 4000);
}

TEST_F(PositionEditorTest, TrackStartLeavesThePreGapAloneWithoutASameFilePreGap) {
  T = {5000, 20000, 0, 0};
  OpenTrack(400000);
  Editor.TypeBoundary(B::TrackStart, "0000006000");
  EXPECT_EQ(Editor.PreGapLength(), 0);
  EXPECT_EQ(Editor.Text(P::PreGapLengthEdit), "");

  T = {0, 0, 100, 300};
  OpenHiddenFile(400000);
  EXPECT_EQ(Editor.PreGapLength(), 200);
  Editor.TypeBoundary(B::PreGapEnd, "0000000250");
  EXPECT_EQ(Editor.PreGapLength(), 150);
  Editor.TypeBoundary(B::TrackStart, "0000000050");  // no target: ignored
  EXPECT_EQ(Editor.PreGapLength(), 150);
  EXPECT_EQ(Editor.Text(P::TrackLengthEdit), "");
}

TEST_F(PositionEditorTest, BoundaryArrowsKeysAndSetButtons) {
  T = {0, 100, 0, 0};
  OpenTrack(400);  // 100 sample frames
  Editor.StepBoundary(B::TrackStart, false);
  EXPECT_EQ(Editor.Value(B::TrackStart), 0);
  Editor.StepBoundary(B::TrackEnd, true);
  EXPECT_EQ(Editor.Value(B::TrackEnd), 100);
  Editor.BoundaryKey(B::TrackEnd, EditKey::Down);
  EXPECT_EQ(Editor.Value(B::TrackEnd), 99);
  EXPECT_EQ(Editor.Text(P::TrackEndEdit), "0000000099");
  Editor.BoundaryKey(B::TrackStart, EditKey::Up);
  Editor.BoundaryKey(B::TrackStart, EditKey::Other);
  EXPECT_EQ(Editor.Value(B::TrackStart), 1);
  EXPECT_EQ(Editor.TrackLength(), 98);
  // Typed values beyond the file, or no number, are held.
  Editor.TypeBoundary(B::TrackEnd, "0000099999");
  EXPECT_EQ(Editor.Value(B::TrackEnd), 100);
  EXPECT_EQ(Editor.Text(P::TrackEndEdit), "0000000100");
  Editor.TypeBoundary(B::TrackStart, "00000000_7");
  EXPECT_EQ(Editor.Value(B::TrackStart), 0);
  // The set buttons copy the cursor.
  Editor.TypeCursor("0000000042");
  Editor.SetBoundaryToCursor(B::TrackStart);
  EXPECT_EQ(Editor.Value(B::TrackStart), 42);
  EXPECT_EQ(Editor.TrackLength(), 58);
  EXPECT_TRUE(Device.Log.size() == 1);  // only the open: no sound from any of this
}

TEST_F(PositionEditorTest, ApplyChecksInOrderAndWritesOnlyWhenBothPass) {
  T = {100, 200, 50, 0};
  OpenSameFile(40000);
  // Both lengths not positive: only the pre-gap warning.
  Editor.TypeBoundary(B::PreGapStart, "0000000100");
  Editor.TypeBoundary(B::TrackEnd, "0000000100");
  EXPECT_FALSE(Editor.Accept());
  // Pre-gap fine, track not.
  Editor.TypeBoundary(B::PreGapStart, "0000000099");
  Editor.Apply();
  EXPECT_EQ(Prompter.Log, (std::vector<std::string>{"Warning: Pre-gap must be larger than zero.",
                                                    "Warning: Track must be larger than zero.\""}));
  EXPECT_EQ(T.TrackStart, 100);
  EXPECT_EQ(T.TrackEnd, 200);
  EXPECT_EQ(T.PreGapStart, 50);
  // A track of one sample frame passes.
  Editor.TypeBoundary(B::TrackEnd, "0000000101");
  Editor.Apply();
  EXPECT_EQ(T.TrackStart, 100);
  EXPECT_EQ(T.TrackEnd, 101);
  EXPECT_EQ(T.PreGapStart, 99);
  EXPECT_EQ(T.PreGapEnd, 0);  // not a target: untouched
  // Further edits, then Cancel: the caller keeps what Apply wrote, and nothing written
  // after the close can reach it.
  Editor.TypeBoundary(B::TrackEnd, "0000000500");
  Editor.Close();
  EXPECT_EQ(T.TrackEnd, 101);
  EXPECT_TRUE(Editor.ApplyPositions());
  EXPECT_EQ(T.TrackEnd, 101);
  EXPECT_EQ(Editor.ShownFileName(), "");
  EXPECT_FALSE(Editor.HasTarget(B::TrackStart));
}

TEST_F(PositionEditorTest, HiddenFileApplyNeedsAPositivePreGap) {
  T = {7, 8, 300, 300};
  OpenHiddenFile(4000);
  EXPECT_FALSE(Editor.Accept());
  Editor.TypeBoundary(B::PreGapEnd, "0000000301");
  EXPECT_TRUE(Editor.Accept());
  EXPECT_EQ(T.PreGapEnd, 301);
  EXPECT_EQ(T.TrackStart, 7);  // not targets
  EXPECT_EQ(T.TrackEnd, 8);
  EXPECT_EQ(Prompter.Log, std::vector<std::string>{"Warning: Pre-gap must be larger than zero."});
}

// A file of 0 data bytes: every position is 0, the track bar has no length.
TEST_F(PositionEditorTest, EmptyFileOpensWithEverythingAtZero) {
  T = {5, 9, 0, 0};
  OpenTrack(0);
  EXPECT_EQ(Editor.SampleCount(), 0);
  EXPECT_EQ(Editor.MaxCursorFrame(), 0);
  EXPECT_EQ(Editor.TrackBarMax(), 0);
  EXPECT_EQ(Editor.Text(P::LengthLbl), "00:00");
  EXPECT_EQ(Editor.Value(B::TrackEnd), 0);
  Editor.StepCursor(true);
  Editor.StepCursorFrame(true);
  Editor.SeekToSecond(3);
  EXPECT_EQ(Editor.CursorPos(), 0);
  EXPECT_EQ(Editor.TrackBarPos(), 0);
  EXPECT_FALSE(Editor.Accept());
  EXPECT_EQ(Prompter.Log, std::vector<std::string>{"Warning: Track must be larger than zero.\""});
  // A summary with a negative size is taken as no data.
  Editor.SetupPositions("/w/odd.wav", DataOf(-4000), &T.TrackStart, &T.TrackEnd, nullptr, nullptr);
  Editor.Open();
  EXPECT_EQ(Editor.SampleCount(), 0);
  EXPECT_EQ(Editor.TrackBarMax(), 0);
}

// 10 000 000 data bytes last 56.69 s: the track bar runs to 57, and its last position puts
// the cursor on the end of the data.
TEST_F(PositionEditorTest, TrackBarInWholeSeconds) {
  OpenTrack(10000000);
  EXPECT_EQ(Editor.TrackBarMax(), 57);
  EXPECT_EQ(Editor.Text(P::LengthLbl), "00:57");
  EXPECT_EQ(Editor.Text(P::TrackBarStartLbl), "00:00");
  Editor.SeekToSecond(10);
  EXPECT_EQ(Editor.CursorPos(), 441000);
  EXPECT_EQ(Editor.CursorFrame(), 750);
  EXPECT_EQ(Editor.Text(P::PosMSFEdit), "00:10:00");
  Editor.SeekToSecond(57);
  EXPECT_EQ(Editor.CursorPos(), 2500000);
  EXPECT_EQ(Editor.Text(P::PosEdit), "0002500000");

  // An exact number of seconds does not round up; minutes show in the length label.
  Editor.SetupPositions("/w/b.wav", DataOf(176400 * 125), &T.TrackStart, &T.TrackEnd, nullptr,
                        nullptr);
  Editor.Open();
  EXPECT_EQ(Editor.TrackBarMax(), 125);
  EXPECT_EQ(Editor.Text(P::LengthLbl), "02:05");
  EXPECT_EQ(Editor.CursorPos(), 0);  // every showing resets the cursor
}

TEST_F(PositionEditorTest, PlaybackFollowsTheTrackBarOnlyWhilePlaying) {
  OpenTrack(10000000);
  EXPECT_EQ(Device.Log, std::vector<std::string>{"Open /w/a.wav"});
  EXPECT_TRUE(Editor.Enabled(P::PlayBtn));
  EXPECT_TRUE(Editor.Enabled(P::StopBtn));
  Device.Log.clear();

  Editor.TypeCursor("0000012345");
  Editor.Play();
  EXPECT_TRUE(Editor.Playing());
  Editor.SeekToSecond(20);  // restarts at the new second
  Editor.PlayEnded(PlayOutcome::Superseded);
  EXPECT_TRUE(Editor.Playing());
  Editor.Stop();
  EXPECT_FALSE(Editor.Playing());
  Editor.SeekToSecond(30);  // no sound
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"Play 12345", "Play 882000", "Stop"}));

  // The end of the file clears Playing, so a later move stays silent.
  Device.Log.clear();
  Editor.Play();
  Editor.PlayEnded(PlayOutcome::Aborted);
  EXPECT_TRUE(Editor.Playing());
  Editor.PlayEnded(PlayOutcome::Successful);
  EXPECT_FALSE(Editor.Playing());
  Editor.SeekToSecond(40);
  EXPECT_EQ(Device.Log, std::vector<std::string>{"Play 1323000"});  // from the cursor at 30 s
}

TEST_F(PositionEditorTest, EnterJumpsAndPlaysFromTheExactSampleFrame) {
  T = {100000, 200000, 0, 0};
  OpenTrack(10000000);
  Device.Log.clear();
  Editor.TypeCursor("0000100001");
  Editor.CursorKey(EditKey::Enter);
  EXPECT_EQ(Editor.TrackBarPos(), 2);
  // Enter in a boundary field while stopped: the cursor moves there and plays.
  Editor.Stop();
  Editor.BoundaryKey(B::TrackEnd, EditKey::Enter);
  EXPECT_EQ(Editor.CursorPos(), 200000);
  EXPECT_EQ(Editor.Text(P::PosEdit), "0000200000");
  EXPECT_EQ(Editor.TrackBarPos(), 4);
  Editor.CursorMsfKey(EditKey::Enter);
  EXPECT_EQ(Device.Log,
            (std::vector<std::string>{"Play 100001", "Stop", "Play 200000", "Play 200000"}));
  EXPECT_TRUE(Editor.Playing());
  // Closing while playing stops the sound before the device is closed.
  Device.Log.clear();
  Editor.Close();
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"Stop", "Close"}));
  EXPECT_FALSE(Editor.Playing());
}

// A device that cannot be opened leaves Play available: each press tries it again, quietly.
TEST_F(PositionEditorTest, DeviceFailuresAreTriedAgainByPlayQuietly) {
  Device.OpenResult = false;
  OpenTrack(10000000);
  EXPECT_TRUE(Editor.Enabled(P::PlayBtn));
  EXPECT_TRUE(Editor.Enabled(P::StopBtn));
  Editor.Play();
  Editor.JumpAndPlay();
  EXPECT_FALSE(Editor.Playing());
  Editor.Close();
  // Nothing to close.
  EXPECT_EQ(Device.Log, std::vector<std::string>(3, "Open /w/a.wav"));
  EXPECT_TRUE(Prompter.Log.empty());

  // A refused play command changes nothing.
  Device.OpenResult = true;
  Device.PlayResult = false;
  OpenTrack(10000000);
  Editor.Play();
  EXPECT_FALSE(Editor.Playing());
  Device.PlayResult = true;
  Editor.Play();
  Device.PlayResult = false;
  Editor.SeekToSecond(5);
  EXPECT_TRUE(Editor.Playing());  // the refused restart leaves playback as it was

  // No device at all: Play never plays.
  FakePrompter prompter;
  PositionEditor silent(prompter, nullptr);
  silent.SetupPositions("/w/a.wav", DataOf(4000), &T.TrackStart, &T.TrackEnd, nullptr, nullptr);
  silent.Open();
  silent.Play();
  EXPECT_FALSE(silent.Playing());
}

// While a play runs, the track bar shows the second being heard; the cursor stays put.
TEST_F(PositionEditorTest, PlayheadFollowsThePlayAndTheTrackBarShowsIt) {
  OpenTrack(10000000);  // 2 500 000 sample frames, 57 seconds on the bar
  Editor.SeekToSecond(3);
  Device.Heard = 44100 * 7 + 10;
  EXPECT_EQ(Editor.Playhead(), -1);  // not playing yet
  EXPECT_EQ(Editor.TrackBarShownPos(), 3);
  Editor.Play();
  EXPECT_EQ(Editor.Playhead(), 44100 * 7 + 10);
  EXPECT_EQ(Editor.TrackBarShownPos(), 7);
  EXPECT_EQ(Editor.CursorPos(), 44100 * 3);
  // A device that reports beyond the data is held at its end.
  Device.Heard = 2600000;
  EXPECT_EQ(Editor.Playhead(), 2500000);
  EXPECT_EQ(Editor.TrackBarShownPos(), 56);
  Editor.PlayEnded(PlayOutcome::Successful);
  EXPECT_EQ(Editor.Playhead(), -1);
  EXPECT_EQ(Editor.TrackBarShownPos(), 3);
}

TEST_F(PositionEditorTest, PlayThatCannotOpenSaysWhy) {
  Device.OpenResult = false;
  Device.Failure = "no sound server";
  OpenTrack(4000);
  EXPECT_EQ(Editor.PlayUnavailableReason(), "no sound server");
  Device.Failure.clear();
  OpenTrack(4000);
  EXPECT_FALSE(Editor.PlayUnavailableReason().empty());
  Device.OpenResult = true;
  OpenTrack(4000);
  EXPECT_EQ(Editor.PlayUnavailableReason(), "");
  PositionEditor silent(Prompter, nullptr);
  silent.SetupPositions("/w/a.wav", DataOf(4000), &T.TrackStart, &T.TrackEnd, nullptr, nullptr);
  silent.Open();
  EXPECT_FALSE(silent.PlayUnavailableReason().empty());
}

TEST(PreviewPlayer, PlayingStateAgainstTheDevice) {
  FakePreviewDevice device;
  PreviewPlayer player(&device);
  EXPECT_FALSE(player.PlayFrom(0));  // nothing open
  ASSERT_TRUE(player.OpenWave("/a.wav"));
  EXPECT_TRUE(player.PlayFrom(10));
  EXPECT_TRUE(player.Playing());
  // Opening again closes the old device first and starts stopped.
  ASSERT_TRUE(player.OpenWave("/b.wav"));
  EXPECT_FALSE(player.Playing());
  player.Notify(PlayOutcome::Failure);
  EXPECT_FALSE(player.Playing());
  player.StopPlay();
  player.CloseWave();
  player.CloseWave();
  EXPECT_EQ(device.Log, (std::vector<std::string>{"Open /a.wav", "Play 10", "Close", "Open /b.wav",
                                                  "Stop", "Close"}));
}

}  // namespace
}  // namespace varnel
