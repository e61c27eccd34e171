// Wave tracks with hidden audio from another file: the joined file piece by piece, and
// the index lines.
#include <gtest/gtest.h>

#include "support/WriterHarness.h"

namespace varnel {
namespace {

using test::Cat;
using test::Slice;
using test::Sound;
using test::WaveBytes;
using test::WaveTrack;
using test::Zeros;

class HiddenFileTrackTest : public test::WriterTest {
 protected:
  // A track of 1000 sample frames (4000 bytes: 1648 bytes past one CD frame, so 704 bytes
  // of padding) with hidden audio `hidden` from another file.
  std::unique_ptr<Track> HiddenTrack(const std::vector<uint8_t>& hidden) {
    Own = Sound(1000, 5000);
    auto track = WaveTrack(Dir / "track.wav", Own);
    test::WriteBytes(Dir / "hidden.wav", WaveBytes(hidden));
    track->SetPreGapStyle(PreGapFile);
    track->SetPreGapFile(Dir / "hidden.wav", test::CanonicalInfo(hidden.size()));
    return track;
  }
  std::string Track01() const { return Dir / "work/Live/Track01.wav"; }
  CueLines Block(const std::string& number, const std::string& index1) const {
    return {"FILE \"" + Dir / ("work/Live/Track" + number + ".wav") + "\" WAVE",
            "TRACK " + number + " AUDIO", "FLAGS DCP", "INDEX 00 00:00:00", "INDEX 01 " + index1};
  }
  std::vector<uint8_t> Own;
};

TEST_F(HiddenFileTrackTest, WholeFramesOfHiddenAudioNeedNoPadding) {
  // 132300 sample frames: 3 seconds, exactly 225 CD frames.
  auto hidden = Sound(132300, 7);
  auto track = HiddenTrack(hidden);
  Settings.AddFrames = false;
  auto r = Call(WriteHiddenFileTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block("01", "00:03:00"));
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({hidden, Own, Zeros(704)})));
}

TEST_F(HiddenFileTrackTest, FirstDiscTrackGetsExtraSilenceFrames) {
  auto hidden = Sound(132300, 7);
  auto track = HiddenTrack(hidden);
  Settings.AddFrames = true;
  Settings.NumFrames = 5;
  auto r = Call(WriteHiddenFileTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block("01", "00:03:05"));
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({Zeros(11760), hidden, Own, Zeros(704)})));
  // Only the first disc track gets them.
  r = Call(WriteHiddenFileTrack, *track, 2);
  EXPECT_EQ(r.Lines, Block("02", "00:03:00"));
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track02.wav"),
            WaveBytes(Cat({hidden, Own, Zeros(704)})));
}

TEST_F(HiddenFileTrackTest, HiddenAudioIsPaddedAtItsHeadByDefaultOrAtItsTail) {
  // 100000 sample frames = 400000 bytes: 171 CD frames after 2192 bytes of padding.
  auto hidden = Sound(100000, 3);
  auto track = HiddenTrack(hidden);
  auto r = Call(WriteHiddenFileTrack, *track, 2);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block("02", "00:02:21"));
  const std::string out = Dir / "work/Live/Track02.wav";
  EXPECT_EQ(test::ReadBytes(out), WaveBytes(Cat({Zeros(2192), hidden, Own, Zeros(704)})));
  track->PreGapPaddingHead = false;
  ASSERT_TRUE(Call(WriteHiddenFileTrack, *track, 2).Ok);
  EXPECT_EQ(test::ReadBytes(out), WaveBytes(Cat({hidden, Zeros(2192), Own, Zeros(704)})));
  // Head padding of the track belongs to the track: after the hidden audio, before its own.
  track->TrackPaddingHead = true;
  ASSERT_TRUE(Call(WriteHiddenFileTrack, *track, 2).Ok);
  EXPECT_EQ(test::ReadBytes(out), WaveBytes(Cat({hidden, Zeros(2192), Zeros(704), Own})));
}

TEST_F(HiddenFileTrackTest, CutLeadingSilenceOfTheHiddenAudioMovesIndexOne) {
  // 75 CD frames (44100 sample frames) of silence at the front of 100000 frames.
  auto sound = Sound(55900, 11);
  auto track = HiddenTrack(Cat({Zeros(4 * 44100), sound}));
  track->PreGapCutLeading = true;
  auto r = Call(WriteHiddenFileTrack, *track, 2);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block("02", "00:01:21"));
  // 223600 bytes: 95 frames + 160 → 2192 bytes of padding, 96 frames in all.
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track02.wav"),
            WaveBytes(Cat({Zeros(2192), sound, Own, Zeros(704)})));
}

TEST_F(HiddenFileTrackTest, RangesOfBothFilesAndTheirCuts) {
  auto hidden = Cat({Zeros(400), Sound(2000, 9), Zeros(800)});  // 2300 frames
  auto track = HiddenTrack(hidden);
  track->SetPreGapStartPos(50);
  track->SetPreGapEndPos(2250);
  track->PreGapCutLeading = true;
  track->PreGapCutTrailing = true;
  track->SetTrackStartPos(100);
  track->SetTrackEndPos(900);
  auto r = Call(WriteHiddenFileTrack, *track, 4);
  ASSERT_TRUE(r.Ok) << r.Message;
  // Hidden: frames 100..2099, 8000 bytes → 1408 bytes of head padding; 4 frames in all.
  // Track: frames 100..899, 3200 bytes → 1504 bytes of tail padding.
  EXPECT_EQ(r.Lines.back(), "INDEX 01 00:00:04");
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track04.wav"),
            WaveBytes(Cat({Zeros(1408), Sound(2000, 9), Slice(Own, 400, 3200), Zeros(1504)})));
}

TEST_F(HiddenFileTrackTest, TestRunWritesTheSameBlockAndNoFile) {
  auto hidden = Sound(100000, 3);
  auto track = HiddenTrack(hidden);
  Settings.MakeAlways = true;  // no effect on this kind of track
  auto r = Call(WriteHiddenFileTrack, *track, 2, true);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Lines, Block("02", "00:02:21"));
  EXPECT_FALSE(Exists(Dir / "work"));
  ASSERT_TRUE(Call(WriteHiddenFileTrack, *track, 2).Ok);
  const auto made = test::ReadBytes(Dir / "work/Live/Track02.wav");
  // A Test run after a Make run names the file made, and leaves it alone.
  EXPECT_EQ(Call(WriteHiddenFileTrack, *track, 2, true).Lines, Block("02", "00:02:21"));
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track02.wav"), made);
}

TEST_F(HiddenFileTrackTest, SilentRegionsNameTheirOwnFile) {
  auto track = HiddenTrack(Zeros(4 * 3000));
  track->PreGapCutTrailing = true;
  // The silent hidden audio is reported before the track file is even opened.
  std::filesystem::remove(Dir / "track.wav");
  auto r = Call(WriteHiddenFileTrack, *track, 1, true);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Exporting Failure.\n\"" + Dir / "hidden.wav" +
                           "\" is completely silence. Uncheck the cutting silence options.");

  auto track2 = HiddenTrack(Sound(3000));
  test::WriteBytes(Dir / "track.wav", WaveBytes(Zeros(4000)));
  track2->TrackCutLeading = true;
  r = Call(WriteHiddenFileTrack, *track2, 1);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Exporting Failure.\n\"" + Dir / "track.wav" +
                           "\" is completely silence. Uncheck the cutting silence options.");
  EXPECT_FALSE(Exists(Track01()));
}

TEST_F(HiddenFileTrackTest, MissingFileOrHiddenFileAsOutputFails) {
  auto track = HiddenTrack(Sound(3000));
  std::filesystem::remove(Dir / "hidden.wav");
  const std::string message =
      "Exporting Failure.\nCould not create \"" + Track01() + "\" for track1";
  EXPECT_EQ(Call(WriteHiddenFileTrack, *track, 1).Message, message);
  EXPECT_EQ(Call(WriteHiddenFileTrack, *track, 1, true).Message, message);

  // The produced name is the hidden audio's file: refused, the file kept.
  std::filesystem::create_directories(Dir / "work/Live");
  auto hidden = Sound(3000);
  test::WriteBytes(Track01(), WaveBytes(hidden));
  track->SetPreGapFile(Track01(), test::CanonicalInfo(hidden.size()));
  EXPECT_EQ(Call(WriteHiddenFileTrack, *track, 1).Message, message);
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(hidden));
}

}  // namespace
}  // namespace varnel
