// Wave tracks with a silent pre-gap: when the source is named as it lies, when a new file
// is made, and what it holds.
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

class SilentPreGapTrackTest : public test::WriterTest {
 protected:
  std::string Track01() const { return Dir / "work/Live/Track01.wav"; }
};

TEST_F(SilentPreGapTrackTest, WholeFileWithDefaultsNamesTheSourceInMakeAndTestRuns) {
  // 1000 sample frames: not a whole number of CD frames, padded by the recorder.
  auto track = WaveTrack(Dir / "a.wav", Sound(1000));
  for (bool testRun : {false, true}) {
    auto r = Call(WriteSilentPreGapTrack, *track, 1, testRun);
    ASSERT_TRUE(r.Ok) << r.Message;
    // The default 2 seconds are those every disc starts with: no PREGAP line.
    EXPECT_EQ(r.Lines, (CueLines{"FILE \"" + Dir / "a.wav" + "\" WAVE", "TRACK 01 AUDIO",
                                 "FLAGS DCP", "INDEX 01 00:00:00"}));
  }
  EXPECT_FALSE(Exists(Dir / "work"));
}

TEST_F(SilentPreGapTrackTest, PreGapLineOfFirstAndOtherTracks) {
  auto track = WaveTrack(Dir / "a.wav", Sound(588));
  track->SetPreGapLength(385);  // 0:05:10
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 1).Lines[3], "PREGAP 00:03:10");
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 2).Lines[3], "PREGAP 00:05:10");
  // A pre-gap of zero length writes no PREGAP line (cdrdao refuses "PREGAP 00:00:00").
  track->SetPreGapLength(0);
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 2).Lines[3], "INDEX 01 00:00:00");
  // Bytes stored out of range print as they stand on other tracks.
  track->PreGapMin = 1;
  track->PreGapSec = 99;
  track->PreGapFrame = 80;
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 3).Lines[3], "PREGAP 01:99:80");
}

TEST_F(SilentPreGapTrackTest, FlagsAndIsrcLines) {
  auto track = WaveTrack(Dir / "a.wav", Sound(588));
  track->Protect = true;
  auto r = Call(WriteSilentPreGapTrack, *track, 2);
  EXPECT_EQ(r.Lines, (CueLines{"FILE \"" + Dir / "a.wav" + "\" WAVE", "TRACK 02 AUDIO",
                               "PREGAP 00:02:00", "INDEX 01 00:00:00"}));
  track->PreEmph = true;
  track->ISRC = "   ";
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 2).Lines[2], "FLAGS PRE");
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 2).Lines.size(), 5u);
  track->Protect = false;
  track->ISRC = "JPXX01234567 ";
  r = Call(WriteSilentPreGapTrack, *track, 12);
  EXPECT_EQ(r.Lines[1], "TRACK 12 AUDIO");
  EXPECT_EQ(r.Lines[2], "FLAGS DCP PRE");
  EXPECT_EQ(r.Lines[3], "ISRC JPXX01234567 ");  // untrimmed
}

TEST_F(SilentPreGapTrackTest, HeadPaddingAloneMakesACopyOfWholeFrames) {
  auto data = Sound(588 * 3);
  auto track = WaveTrack(Dir / "a.wav", data);
  track->TrackPaddingHead = true;
  auto r = Call(WriteSilentPreGapTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines[0], "FILE \"" + Track01() + "\" WAVE");
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(data));
}

TEST_F(SilentPreGapTrackTest, PartOfTheFileIsCopiedAndPaddedAtHeadOrTail) {
  auto data = Sound(5000);
  auto track = WaveTrack(Dir / "a.wav", data);
  track->SetTrackStartPos(1000);
  // [1000, 5000): 16000 bytes = 6 CD frames + 1888 bytes, 464 bytes of padding.
  ASSERT_TRUE(Call(WriteSilentPreGapTrack, *track, 1).Ok);
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({Slice(data, 4000, 16000), Zeros(464)})));
  track->TrackPaddingHead = true;
  ASSERT_TRUE(Call(WriteSilentPreGapTrack, *track, 1).Ok);
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({Zeros(464), Slice(data, 4000, 16000)})));
}

TEST_F(SilentPreGapTrackTest, CutsLeadingAndTrailingSilence) {
  // One second of silence, 2000 frames of sound, 100 silent frames.
  auto sound = Sound(2000);
  auto track = WaveTrack(Dir / "a.wav", Cat({Zeros(4 * 44100), sound, Zeros(400)}));
  track->TrackCutLeading = true;
  auto r = Call(WriteSilentPreGapTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  // 8400 bytes: 3 frames + 1344 → 1008 bytes of padding.
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({sound, Zeros(400), Zeros(1008)})));
  track->TrackCutTrailing = true;
  ASSERT_TRUE(Call(WriteSilentPreGapTrack, *track, 1).Ok);
  // 8000 bytes: 3 frames + 944 → 1408.
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({sound, Zeros(1408)})));
}

TEST_F(SilentPreGapTrackTest, SingleSoundFrameBecomesOneFrameOfAudio) {
  auto one = Sound(1, 77);
  auto track = WaveTrack(Dir / "a.wav", Cat({Zeros(4 * 900), one, Zeros(4 * 900)}));
  track->TrackCutLeading = true;
  track->TrackCutTrailing = true;
  ASSERT_TRUE(Call(WriteSilentPreGapTrack, *track, 1).Ok);
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({one, Zeros(2348)})));
}

TEST_F(SilentPreGapTrackTest, CompletelySilentRegionFailsOnlyWhenCutting) {
  auto track = WaveTrack(Dir / "z.wav", Zeros(4 * 2000));
  const std::string message = "Exporting Failure.\n\"" + Dir / "z.wav" +
                              "\" is completely silence. Uncheck the cutting silence options.";
  track->TrackCutTrailing = true;
  for (bool testRun : {false, true}) {
    auto r = Call(WriteSilentPreGapTrack, *track, 1, testRun);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Message, message);
  }
  track->TrackCutTrailing = false;
  track->TrackCutLeading = true;
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 1).Message, message);
  EXPECT_FALSE(Exists(Track01()));
  // A region of length 0 with a cut option on fails too.
  track->SetTrackStartPos(2000);
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 1).Message, message);
  // Without cutting the silence is copied unchanged.
  track->TrackCutLeading = false;
  track->SetTrackStartPos(0);
  Settings.MakeAlways = true;
  ASSERT_TRUE(Call(WriteSilentPreGapTrack, *track, 1).Ok);
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(Cat({Zeros(8000), Zeros(1408)})));
}

TEST_F(SilentPreGapTrackTest, MakeAlwaysCopiesEveryTrackAndTestRunWritesNothing) {
  auto data = Sound(1000);
  auto track = WaveTrack(Dir / "a.wav", data);
  Settings.MakeAlways = true;
  auto r = Call(WriteSilentPreGapTrack, *track, 3, true);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Lines[0], "FILE \"" + Dir / "work/Live/Track03.wav" + "\" WAVE");
  EXPECT_FALSE(Exists(Dir / "work"));
  r = Call(WriteSilentPreGapTrack, *track, 3);
  ASSERT_TRUE(r.Ok);
  // 4000 bytes = 1 frame + 1648 → 704 bytes at the tail.
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track03.wav"), WaveBytes(Cat({data, Zeros(704)})));
  // A second run replaces the file without a question.
  ASSERT_TRUE(Call(WriteSilentPreGapTrack, *track, 3).Ok);
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track03.wav"), WaveBytes(Cat({data, Zeros(704)})));
}

TEST_F(SilentPreGapTrackTest, MissingSourceFailsWithTheProducedName) {
  auto track = WaveTrack(Dir / "a.wav", Sound(588));
  std::filesystem::remove(Dir / "a.wav");
  const std::string message =
      "Exporting Failure.\nCould not create \"" + Track01() + "\" for track1";
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 1).Message, message);
  EXPECT_EQ(Call(WriteSilentPreGapTrack, *track, 1, true).Message, message);
}

TEST_F(SilentPreGapTrackTest, SourceShorterThanItsRegionFailsWithoutCrash) {
  auto track = WaveTrack(Dir / "a.wav", Sound(2000));
  track->SetTrackStartPos(10);
  test::WriteBytes(Dir / "a.wav", WaveBytes(Sound(500)));  // the file shrank since
  auto r = Call(WriteSilentPreGapTrack, *track, 7);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Exporting Failure.\nCould not create \"" + Dir / "work/Live/Track07.wav" +
                           "\" for track7");
  // Hostile positions: an inverted region.
  track->SetTrackStartPos(3000);
  EXPECT_FALSE(Call(WriteSilentPreGapTrack, *track, 7).Ok);
}

TEST_F(SilentPreGapTrackTest, ProducedFileThatIsTheSourceIsRefusedAndTheSourceKept) {
  // The work folder is laid out so that the produced name is the track's own file.
  std::filesystem::create_directories(Dir / "work/Live");
  auto data = Sound(1000);
  auto track = WaveTrack(Track01(), data);
  Settings.MakeAlways = true;
  auto r = Call(WriteSilentPreGapTrack, *track, 1);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Exporting Failure.\nCould not create \"" + Track01() + "\" for track1");
  EXPECT_EQ(test::ReadBytes(Track01()), WaveBytes(data));
}

}  // namespace
}  // namespace varnel
