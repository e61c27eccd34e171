// MP3 and CD+G tracks: named as they lie, or copied with "MakeAlways" in a Make run.
#include <gtest/gtest.h>

#include "support/WriterHarness.h"

namespace varnel {
namespace {

using test::RawTrack;

// The cue sheet's side of these tracks, with data that is no real MP3: the TOC, which
// decodes MP3 tracks, is off here unless a test says otherwise (real MP3 files go through it
// in TocFileTest).
class CopyTrackTest : public test::WriterTest {
 protected:
  CopyTrackTest() { Settings.CdrdaoToc = false; }
  std::vector<uint8_t> Bytes(size_t n) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
    return b;
  }
};

TEST_F(CopyTrackTest, Mp3TrackWithDefaultsAsTrackTwo) {
  auto track = RawTrack(Dir / "song.mp3", Bytes(1000), FileModeMp3);
  auto r = Call(WriteMp3Track, *track, 2);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines, (CueLines{"FILE \"" + Dir / "song.mp3" + "\" MP3", "TRACK 02 AUDIO",
                               "FLAGS DCP", "PREGAP 00:02:00", "INDEX 01 00:00:00"}));
  EXPECT_FALSE(Exists(Dir / "work"));
}

TEST_F(CopyTrackTest, CdgTrackAsFirstDiscTrack) {
  auto track = RawTrack(Dir / "k.cdg", Bytes(2448), FileModeCdg);
  track->Protect = true;
  auto r = Call(WriteCdgTrack, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  // The 2 seconds every disc starts with are all its pre-gap: no PREGAP line.
  EXPECT_EQ(r.Lines, (CueLines{"FILE \"" + Dir / "k.cdg" + "\" BINARY", "TRACK 01 CDG",
                               "INDEX 01 00:00:00"}));
}

TEST_F(CopyTrackTest, PreGapStyleIsIgnored) {
  auto track = RawTrack(Dir / "song.mp3", Bytes(10), FileModeMp3);
  track->SetPreGapStyle(PreGapFile);
  track->SetPreGapLength(75 * 4);
  EXPECT_EQ(Call(WriteMp3Track, *track, 3).Lines[3], "PREGAP 00:04:00");
  EXPECT_EQ(Call(WriteMp3Track, *track, 1).Lines[3], "PREGAP 00:02:00");
}

TEST_F(CopyTrackTest, MakeAlwaysCopiesInMakeRunsOnly) {
  Settings.MakeAlways = true;
  const auto mp3 = Bytes(200000);  // more than one copy buffer
  auto track = RawTrack(Dir / "song.mp3", mp3, FileModeMp3);
  auto cdg = RawTrack(Dir / "k.cdg", Bytes(2448 * 3), FileModeCdg);

  // A Test run names the source and copies nothing, unlike wave tracks.
  auto r = Call(WriteMp3Track, *track, 1, true);
  EXPECT_EQ(r.Lines[0], "FILE \"" + Dir / "song.mp3" + "\" MP3");
  EXPECT_FALSE(Exists(Dir / "work"));

  // The first track's copy creates the produced folder.
  r = Call(WriteMp3Track, *track, 1);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines[0], "FILE \"" + Dir / "work/Live/Track01.mp3" + "\" MP3");
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track01.mp3"), mp3);
  r = Call(WriteCdgTrack, *cdg, 2);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Lines[0], "FILE \"" + Dir / "work/Live/Track02.cdg" + "\" BINARY");
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track02.cdg"), Bytes(2448 * 3));
}

TEST_F(CopyTrackTest, MissingFileIsNamedUnlessItMustBeCopied) {
  auto track = RawTrack(Dir / "gone.mp3", Bytes(10), FileModeMp3);
  std::filesystem::remove(Dir / "gone.mp3");
  EXPECT_TRUE(Call(WriteMp3Track, *track, 2).Ok);
  Settings.MakeAlways = true;
  auto r = Call(WriteMp3Track, *track, 2);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Exporting Failure.\nCould not create \"" + Dir / "work/Live/Track02.mp3" +
                           "\" for track2");
  // With the TOC, a Make run decodes the file; a Test run only names the decoded file.
  Settings.MakeAlways = false;
  Settings.CdrdaoToc = true;
  EXPECT_TRUE(Call(WriteMp3Track, *track, 2, true).Ok);
  r = Call(WriteMp3Track, *track, 2);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Exporting Failure.\nCould not create \"" + Dir / "work/Live/Track02.wav" +
                           "\" for track2");
}

TEST_F(CopyTrackTest, CopyOntoItselfIsRefusedAndTheFileKept) {
  Settings.MakeAlways = true;
  std::filesystem::create_directories(Dir / "work/Live");
  auto track = RawTrack(Dir / "work/Live/Track02.cdg", Bytes(4896), FileModeCdg);
  EXPECT_FALSE(Call(WriteCdgTrack, *track, 2).Ok);
  EXPECT_EQ(test::ReadBytes(Dir / "work/Live/Track02.cdg"), Bytes(4896));
}

}  // namespace
}  // namespace varnel
