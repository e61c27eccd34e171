// Wave tracks whose hidden audio is the front of their own file.
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

class PreGapIndexTrackTest : public test::WriterTest {
 protected:
  std::unique_ptr<Track> IndexTrack(const std::vector<uint8_t>& data, int32_t start) {
    auto track = WaveTrack(Dir / "a.wav", data);
    track->SetPreGapStyle(PreGapIndex);
    track->SetTrackStartPos(start);
    return track;
  }
  CueLines Block(const std::string& file, const std::string& number,
                 const std::string& index1) const {
    return {"FILE \"" + file + "\" WAVE", "TRACK " + number + " AUDIO", "FLAGS DCP",
            "INDEX 00 00:00:00", "INDEX 01 " + index1};
  }
  std::string Track01() const { return Dir / "work/Live/Track01.wav"; }
};

TEST_F(PreGapIndexTrackTest, FileOnFrameBoundariesIsNamedAsItLies) {
  // Two seconds (150 CD frames) of hidden audio, then 1000 frames of the track.
  auto track = IndexTrack(Sound(88200 + 1000), 88200);
  Settings.AddFrames = false;
  auto r = Call(WritePreGapIndexTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block(Dir / "a.wav", "01", "00:02:00"));
  EXPECT_FALSE(Exists(Dir / "work"));
  // Not the first disc track: "AddFrames" does not matter.
  Settings.AddFrames = true;
  EXPECT_EQ(Call(WritePreGapIndexTrack, *track, 2).Lines, Block(Dir / "a.wav", "02", "00:02:00"));
  // Padding options of the dialog play no part in this style.
  track->TrackPaddingHead = true;
  track->PreGapPaddingHead = false;
  EXPECT_EQ(Call(WritePreGapIndexTrack, *track, 2).Lines, Block(Dir / "a.wav", "02", "00:02:00"));
  EXPECT_FALSE(Exists(Dir / "work"));
}

TEST_F(PreGapIndexTrackTest, PreGapOffTheFrameGridIsPaddedAtItsHead) {
  auto data = Sound(100000 + 1000);
  auto track = IndexTrack(data, 100000);
  Settings.AddFrames = false;
  auto r = Call(WritePreGapIndexTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block(Track01(), "01", "00:02:21"));
  // HP 2192 before the audio, TP 704 after it.
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({Zeros(2192), data, Zeros(704)})));
}

TEST_F(PreGapIndexTrackTest, FirstDiscTrackWithAddFramesAlwaysGetsANewFile) {
  auto data = Sound(88200 + 1000);
  auto track = IndexTrack(data, 88200);
  Settings.AddFrames = true;
  Settings.NumFrames = 5;
  auto r = Call(WritePreGapIndexTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block(Track01(), "01", "00:02:05"));
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({Zeros(11760), data, Zeros(704)})));
  // Even with no frames to add.
  Settings.NumFrames = 0;
  r = Call(WritePreGapIndexTrack, *track, 1);
  EXPECT_EQ(r.Lines, Block(Track01(), "01", "00:02:00"));
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({data, Zeros(704)})));
}

TEST_F(PreGapIndexTrackTest, CutLeadingSilenceShortensThePreGap) {
  // 44100 silent frames at the start of a 100000-frame pre-gap.
  auto data = Cat({Zeros(4 * 44100), Sound(55900 + 1000)});
  auto track = IndexTrack(data, 100000);
  track->TrackCutLeading = true;
  Settings.AddFrames = false;
  auto r = Call(WritePreGapIndexTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block(Track01(), "01", "00:01:21"));
  // The copy starts 176400 bytes into the region.
  EXPECT_EQ(test::ReadBytes(Track01()),
            WaveBytes(Cat({Zeros(2192), Slice(data, 176400, 223600 + 4000), Zeros(704)})));
}

TEST_F(PreGapIndexTrackTest, CutTrailingSilenceShortensTheTrack) {
  auto data = Cat({Sound(588 * 10 + 1000), Zeros(4 * 3000)});
  auto track = IndexTrack(data, 5880);
  track->TrackCutTrailing = true;
  auto r = Call(WritePreGapIndexTrack, *track, 3);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, Block(Dir / "work/Live/Track03.wav", "03", "00:00:10"));
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track03.wav"),
            WaveBytes(Cat({Slice(data, 0, 4 * 6880), Zeros(704)})));
}

TEST_F(PreGapIndexTrackTest, SilentPartsFailWithTheirOwnMessages) {
  const std::string pregap = "Exporting Failure.\nPreGap data of \"" + Dir / "a.wav" +
                             "\" is completely silence. Uncheck the cutting silence options.";
  const std::string trackPart = "Exporting Failure.\nTrack data of \"" + Dir / "a.wav" +
                                "\" is completely silence. Uncheck the cutting silence options.";
  // The pre-gap part is silent, the track part has sound.
  auto track = IndexTrack(Cat({Zeros(4 * 3000), Sound(500)}), 3000);
  track->TrackCutLeading = true;
  EXPECT_EQ(Call(WritePreGapIndexTrack, *track, 1).Message, pregap);
  EXPECT_EQ(Call(WritePreGapIndexTrack, *track, 1, true).Message, pregap);
  // A pre-gap part of length 0.
  auto empty = IndexTrack(Sound(500), 0);
  empty->TrackCutLeading = true;
  EXPECT_EQ(Call(WritePreGapIndexTrack, *empty, 1).Message, pregap);
  // The track part is silent.
  auto tail = IndexTrack(Cat({Sound(500), Zeros(4 * 3000)}), 500);
  tail->TrackCutTrailing = true;
  EXPECT_EQ(Call(WritePreGapIndexTrack, *tail, 1).Message, trackPart);
  EXPECT_FALSE(Exists(Dir / "work"));
}

TEST_F(PreGapIndexTrackTest, TestRunNamesTheProducedFileAndWritesNothing) {
  auto track = IndexTrack(Sound(100000 + 1000), 100000);
  auto r = Call(WritePreGapIndexTrack, *track, 2, true);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Lines, Block(Dir / "work/Live/Track02.wav", "02", "00:02:21"));
  EXPECT_FALSE(Exists(Dir / "work"));
}

TEST_F(PreGapIndexTrackTest, InvertedPositionsFailWithoutCrash) {
  auto track = IndexTrack(Sound(3000), 2000);
  track->SetTrackPreGapPos(2500);  // after the track start
  EXPECT_EQ(Call(WritePreGapIndexTrack, *track, 1).Message,
            "Exporting Failure.\nCould not create \"" + Track01() + "\" for track1");
}

}  // namespace
}  // namespace varnel
