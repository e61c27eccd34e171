// The track record: construction defaults, the setters and their dirty flags, the cached
// silence counts, and the byte lengths of the three pre-gap styles.
#include "model/Track.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <limits>

#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::TempDir;

constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

// The summary that the input checks give a WriteWave file of `frames` sample frames.
WaveDataInfo WaveInfoOf(int64_t frames) {
  return WaveDataInfo{44, static_cast<int32_t>(frames * 4), 2, 16, 44100};
}

struct DirtyFlags {
  bool TrackLead, TrackTrail, PreGapLead, PreGapTrail;
  friend bool operator==(const DirtyFlags&, const DirtyFlags&) = default;
  friend std::ostream& operator<<(std::ostream& os, const DirtyFlags& d) {
    return os << "{" << d.TrackLead << d.TrackTrail << d.PreGapLead << d.PreGapTrail << "}";
  }
};

DirtyFlags FlagsOf(const Track& t) {
  return {t.TrackLeadSilenceDirty(), t.TrackTrailSilenceDirty(), t.PreGapLeadSilenceDirty(),
          t.PreGapTrailSilenceDirty()};
}

// ---------------------------------------------------------------------------------------

TEST(TrackConstructionTest, WaveTrackTakesTheDefaults) {
  Track t("/music/a.wav", FileModeWave, WaveDataInfo{44, 4000, 2, 16, 44100});
  EXPECT_EQ(t.TrackFileName, "/music/a.wav");
  EXPECT_EQ(t.FileMode, FileModeWave);
  EXPECT_EQ(t.WaveInfo, (WaveDataInfo{44, 4000, 2, 16, 44100}));
  EXPECT_EQ(t.TrackPreGapPos(), 0);
  EXPECT_EQ(t.TrackStartPos(), 0);
  EXPECT_EQ(t.TrackEndPos(), 1000);
  EXPECT_EQ(t.PreGapStyle(), PreGapNormal);
  EXPECT_EQ(t.PreGapFileName(), "");
  EXPECT_EQ(t.PreGapWaveInfo(), WaveDataInfo{});
  EXPECT_EQ(t.PreGapStartPos(), 0);
  EXPECT_EQ(t.PreGapEndPos(), 0);
  EXPECT_EQ(t.PreGapMin, 0);
  EXPECT_EQ(t.PreGapSec, 2);
  EXPECT_EQ(t.PreGapFrame, 0);
  EXPECT_EQ(t.GetPreGapLength(), 150);
  EXPECT_FALSE(t.TrackPaddingHead);
  EXPECT_TRUE(t.PreGapPaddingHead);
  EXPECT_FALSE(t.TrackCutLeading);
  EXPECT_FALSE(t.TrackCutTrailing);
  EXPECT_FALSE(t.PreGapCutLeading);
  EXPECT_FALSE(t.PreGapCutTrailing);
  EXPECT_FALSE(t.PreEmph);
  EXPECT_FALSE(t.Protect);
  EXPECT_EQ(t.ISRC, "");
  EXPECT_EQ(FlagsOf(t), (DirtyFlags{true, true, true, true}));
}

TEST(TrackConstructionTest, FreshWaveTrackOccupiesItsDataPlusTwoSeconds) {
  // No cut option is on, so nothing is read: the file need not exist.
  // 4000 bytes are 2 started CD frames: 352800 + 2 × 2352.
  Track t("/nowhere/a.wav", FileModeWave, WaveDataInfo{44, 4000, 2, 16, 44100});
  EXPECT_EQ(t.GetTrackBytes(), 4000);
  EXPECT_EQ(t.GetPreGapBytes(), 352800);
  EXPECT_EQ(t.GetTotalBytes(), 357504);
  // 7056 bytes are exactly 3 CD frames: no fourth one.
  Track exact("/nowhere/b.wav", FileModeWave, WaveDataInfo{44, 7056, 2, 16, 44100});
  EXPECT_EQ(exact.GetTotalBytes(), 352800 + 7056);
  // Nothing was scanned.
  EXPECT_EQ(FlagsOf(t), (DirtyFlags{true, true, true, true}));
}

TEST(TrackConstructionTest, EndPositionTruncatesTheDataSize) {
  EXPECT_EQ(Track("a.wav", FileModeWave, WaveDataInfo{44, 4003, 2, 16, 44100}).TrackEndPos(), 1000);
  EXPECT_EQ(Track("a.wav", FileModeWave, WaveDataInfo{44, 3, 2, 16, 44100}).TrackEndPos(), 0);
  EXPECT_EQ(Track("a.wav", FileModeWave, WaveDataInfo{44, -7, 2, 16, 44100}).TrackEndPos(), -1);
  EXPECT_EQ(Track("a.wav", FileModeWave, WaveDataInfo{44, kMax32, 2, 16, 44100}).TrackEndPos(),
            536870911);
}

TEST(TrackConstructionTest, Mp3AndCdgTracksStartWithCleanZeroCaches) {
  for (int32_t mode : {int32_t{FileModeMp3}, int32_t{FileModeCdg}}) {
    SCOPED_TRACE(mode);
    // The file does not exist: a clean cache must not look for it.
    Track t("/nowhere/song.mp3", mode, WaveDataInfo{0, 9000, 2, 16, 44100});
    EXPECT_EQ(t.TrackEndPos(), 2250);
    EXPECT_EQ(FlagsOf(t), (DirtyFlags{false, false, false, false}));
    EXPECT_EQ(t.GetTrackLeadSilence(), 0);
    EXPECT_EQ(t.GetTrackTrailSilence(), 0);
    EXPECT_EQ(t.GetPreGapLeadSilence(), 0);
    EXPECT_EQ(t.GetPreGapTrailSilence(), 0);
    t.TrackCutLeading = t.TrackCutTrailing = true;
    EXPECT_EQ(t.GetTrackBytes(), 9000);
  }
}

// ---------------------------------------------------------------------------------------
// Setters: the same value keeps every cache clean; a new value is stored and makes exactly
// the caches that depend on it dirty.

class TrackSetterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteWave(Dir / "track.wav", {{100, true}, {800, false}, {100, true}});
    test::WriteWave(Dir / "hidden.wav", {{50, true}, {300, false}, {20, true}});
  }
  // A track with every cache freshly computed.
  Track CleanTrack() {
    Track t(Dir / "track.wav", FileModeWave, WaveInfoOf(1000));
    t.SetPreGapFile(Dir / "hidden.wav", WaveInfoOf(370));
    t.SetTrackStartPos(10);
    EXPECT_EQ(t.GetTrackLeadSilence(), 90);
    EXPECT_EQ(t.GetTrackTrailSilence(), 100);
    EXPECT_EQ(t.GetPreGapLeadSilence(), 50);
    EXPECT_EQ(t.GetPreGapTrailSilence(), 20);
    EXPECT_EQ(FlagsOf(t), (DirtyFlags{false, false, false, false}));
    return t;
  }
  TempDir Dir;
};

struct SetterCase {
  const char* Name;
  std::function<void(Track&)> SameValue;
  std::function<void(Track&)> NewValue;
  std::function<bool(const Track&)> Stored;
  DirtyFlags After;
};

TEST_F(TrackSetterTest, EachSetterDirtiesExactlyItsCaches) {
  const DirtyFlags track{true, true, false, false};
  const DirtyFlags preGap{false, false, true, true};
  const DirtyFlags all{true, true, true, true};
  const std::vector<SetterCase> cases = {
      {"TrackPreGapPos", [](Track& t) { t.SetTrackPreGapPos(0); },
       [](Track& t) { t.SetTrackPreGapPos(5); },
       [](const Track& t) { return t.TrackPreGapPos() == 5; }, track},
      {"TrackStartPos", [](Track& t) { t.SetTrackStartPos(10); },
       [](Track& t) { t.SetTrackStartPos(11); },
       [](const Track& t) { return t.TrackStartPos() == 11; }, track},
      {"TrackEndPos", [](Track& t) { t.SetTrackEndPos(1000); },
       [](Track& t) { t.SetTrackEndPos(999); },
       [](const Track& t) { return t.TrackEndPos() == 999; }, track},
      {"PreGapStartPos", [](Track& t) { t.SetPreGapStartPos(0); },
       [](Track& t) { t.SetPreGapStartPos(3); },
       [](const Track& t) { return t.PreGapStartPos() == 3; }, preGap},
      {"PreGapEndPos", [](Track& t) { t.SetPreGapEndPos(370); },
       [](Track& t) { t.SetPreGapEndPos(369); },
       [](const Track& t) { return t.PreGapEndPos() == 369; }, preGap},
      {"PreGapStyle", [](Track& t) { t.SetPreGapStyle(PreGapNormal); },
       [](Track& t) { t.SetPreGapStyle(PreGapFile); },
       [](const Track& t) { return t.PreGapStyle() == PreGapFile; }, all},
      {"PreGapFile", [&](Track& t) { t.SetPreGapFile(Dir / "hidden.wav", WaveInfoOf(370)); },
       [&](Track& t) { t.SetPreGapFile(Dir / "hidden.wav", WaveInfoOf(360)); },
       [](const Track& t) { return t.PreGapStartPos() == 0 && t.PreGapEndPos() == 360; }, preGap},
      // Another file of the same length: its silence is not the old file's.
      {"PreGapFileOfSameLength",
       [&](Track& t) { t.SetPreGapFile(Dir / "hidden.wav", WaveInfoOf(370)); },
       [&](Track& t) { t.SetPreGapFile(Dir / "other.wav", WaveInfoOf(370)); },
       [&](const Track& t) { return t.PreGapAudioPath() == Dir / "other.wav"; }, preGap},
      // The same source read from a decoded copy: the copy is what the scans read.
      {"PreGapDecodedCopy", [&](Track& t) { t.SetPreGapFile(Dir / "hidden.wav", WaveInfoOf(370)); },
       [&](Track& t) { t.SetPreGapFile(Dir / "hidden.wav", WaveInfoOf(370), Dir / "copy.wav"); },
       [&](const Track& t) {
         return t.PreGapFileName() == Dir / "hidden.wav" && t.PreGapAudioPath() == Dir / "copy.wav";
       },
       preGap},
  };
  for (const SetterCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Track t = CleanTrack();
    c.SameValue(t);
    EXPECT_EQ(FlagsOf(t), (DirtyFlags{false, false, false, false}));
    c.NewValue(t);
    EXPECT_TRUE(c.Stored(t));
    EXPECT_EQ(FlagsOf(t), c.After);
  }
}

// A track of a decoded source: its file holds no wave data, the scans read the copy.
TEST_F(TrackSetterTest, ScansReadTheDecodedCopy) {
  struct Row {
    const char* Name;
    std::string Copy;
    int32_t Lead, Trail, GapLead, GapTrail;
  };
  const Row rows[] = {
      {"Copy", Dir / "track.wav", 100, 100, 50, 20},
      {"NoCopy", "", -1, -1, -1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    Track t(Dir / "track.flac", FileModeWave, WaveInfoOf(1000));
    t.TrackAudioFile = r.Copy;
    t.SetPreGapFile(Dir / "hidden.flac", WaveInfoOf(370),
                    r.Copy.empty() ? std::string() : Dir / "hidden.wav");
    EXPECT_EQ(t.IsDecoded(), !r.Copy.empty());
    EXPECT_EQ(t.GetTrackLeadSilence(), r.Lead);
    EXPECT_EQ(t.GetTrackTrailSilence(), r.Trail);
    EXPECT_EQ(t.GetPreGapLeadSilence(), r.GapLead);
    EXPECT_EQ(t.GetPreGapTrailSilence(), r.GapTrail);
  }
}

TEST_F(TrackSetterTest, SetPreGapFileTakesTheWholeFile) {
  Track t(Dir / "track.wav", FileModeWave, WaveInfoOf(1000));
  const WaveDataInfo info{58, 1483, 2, 16, 44100};
  EXPECT_TRUE(t.SetPreGapFile("/x/hidden.wav", info));
  EXPECT_EQ(t.PreGapFileName(), "/x/hidden.wav");
  EXPECT_EQ(t.PreGapWaveInfo(), info);
  EXPECT_EQ(t.PreGapStartPos(), 0);
  EXPECT_EQ(t.PreGapEndPos(), 370);  // 1483 / 4
}

TEST_F(TrackSetterTest, ChangedSettingGivesTheNewCount) {
  Track t = CleanTrack();
  t.SetTrackStartPos(40);
  EXPECT_EQ(t.GetTrackLeadSilence(), 60);
  t.SetTrackEndPos(950);
  EXPECT_EQ(t.GetTrackTrailSilence(), 50);
  t.SetPreGapStartPos(60);
  EXPECT_EQ(t.GetPreGapLeadSilence(), 0);
  t.SetPreGapEndPos(360);
  EXPECT_EQ(t.GetPreGapTrailSilence(), 10);
}

// ---------------------------------------------------------------------------------------
// A clean cache never touches the file; a dirty one that cannot open it gives −1 and stays
// dirty until a scan succeeds.

// What the caches tell a reader that must not scan: the four counts, −1 where dirty.
std::array<int32_t, 4> KnownOf(const Track& t) {
  const SilenceCounts k = t.KnownSilence();
  return {k.TrackLead, k.TrackTrail, k.PreGapLead, k.PreGapTrail};
}

TEST(TrackCacheTest, CleanCachesSurviveTheFileAndDirtyOnesRetry) {
  TempDir dir;
  const std::string track = dir / "track.wav";
  const std::string hidden = dir / "hidden.wav";
  test::WriteWave(track, {{100, true}, {800, false}, {100, true}});
  test::WriteWave(hidden, {{30, true}, {300, false}, {40, true}});
  Track t(track, FileModeWave, WaveInfoOf(1000));
  t.SetPreGapFile(hidden, WaveInfoOf(370));
  EXPECT_EQ(t.GetTrackLeadSilence(), 100);
  EXPECT_EQ(t.GetTrackTrailSilence(), 100);
  EXPECT_EQ(t.GetPreGapLeadSilence(), 30);
  EXPECT_EQ(t.GetPreGapTrailSilence(), 40);

  EXPECT_EQ(KnownOf(t), (std::array<int32_t, 4>{100, 100, 30, 40}));

  std::filesystem::remove(track);
  std::filesystem::remove(hidden);
  EXPECT_EQ(t.GetTrackLeadSilence(), 100);
  EXPECT_EQ(t.GetTrackTrailSilence(), 100);
  EXPECT_EQ(t.GetPreGapLeadSilence(), 30);
  EXPECT_EQ(t.GetPreGapTrailSilence(), 40);

  t.SetTrackStartPos(10);
  t.SetPreGapEndPos(360);
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(t.GetTrackLeadSilence(), -1);
    EXPECT_EQ(t.GetTrackTrailSilence(), -1);
    EXPECT_EQ(t.GetPreGapLeadSilence(), -1);
    EXPECT_EQ(t.GetPreGapTrailSilence(), -1);
    EXPECT_EQ(FlagsOf(t), (DirtyFlags{true, true, true, true}));
    EXPECT_EQ(KnownOf(t), (std::array<int32_t, 4>{-1, -1, -1, -1}));
  }

  // The files come back: the next call reads them.
  test::WriteWave(track, {{100, true}, {800, false}, {100, true}});
  test::WriteWave(hidden, {{30, true}, {300, false}, {40, true}});
  EXPECT_EQ(t.GetTrackLeadSilence(), 90);
  EXPECT_EQ(t.GetPreGapTrailSilence(), 30);
  EXPECT_EQ(FlagsOf(t), (DirtyFlags{false, true, true, false}));
  EXPECT_EQ(KnownOf(t), (std::array<int32_t, 4>{90, -1, -1, 30}));
}

TEST(TrackCacheTest, LengthsCutNothingForAFileThatCannotBeRead) {
  Track t("/nowhere/a.wav", FileModeWave, WaveInfoOf(1000));
  t.TrackCutLeading = t.TrackCutTrailing = true;
  EXPECT_EQ(t.GetTrackBytes(), 4000);
  EXPECT_EQ(FlagsOf(t), (DirtyFlags{true, true, true, true}));
}

// ---------------------------------------------------------------------------------------
// Pre-gap in the same file: the leading count starts at TrackPreGapPos.

TEST(TrackIndexTest, LeadingSilenceIsCountedFromThePreGapPosition) {
  TempDir dir;
  const std::string path =
      test::WriteWave(dir / "a.wav", {{1000, true}, {5000, false}, {300, true}});
  Track t(path, FileModeWave, WaveInfoOf(6300));
  t.SetTrackStartPos(3000);
  EXPECT_EQ(t.GetTrackLeadSilence(), 0);  // normal style: from TrackStartPos, which is sound

  t.SetPreGapStyle(PreGapIndex);
  EXPECT_EQ(t.GetTrackLeadSilence(), 1000);
  // The trailing count stays on [TrackStartPos, TrackEndPos).
  EXPECT_EQ(t.GetTrackTrailSilence(), 300);
  t.SetTrackPreGapPos(400);
  EXPECT_EQ(t.GetTrackLeadSilence(), 600);

  // Lengths: the leading cut belongs to the pre-gap part, the trailing cut to the track.
  t.TrackCutLeading = t.TrackCutTrailing = true;
  EXPECT_EQ(t.GetPreGapBytes(), 4 * (3000 - 400 - 600));
  EXPECT_EQ(t.GetTrackBytes(), 4 * (6300 - 3000 - 300));
  // 8000 bytes → 4 frames, 12000 bytes → 6 frames (5.10).
  EXPECT_EQ(t.GetTotalBytes(), 2352 * (4 + 6));
}

TEST(TrackIndexTest, SilenceRunningIntoTheTrackMakesThePreGapNegative) {
  TempDir dir;
  const std::string path = test::WriteWave(dir / "a.wav", {{3500, true}, {2500, false}});
  Track t(path, FileModeWave, WaveInfoOf(6000));
  t.SetPreGapStyle(PreGapIndex);
  t.SetTrackStartPos(3000);
  // Bounded by the region up to TrackEndPos only, not by TrackStartPos.
  EXPECT_EQ(t.GetTrackLeadSilence(), 3500);
  t.TrackCutLeading = true;
  EXPECT_EQ(t.GetPreGapBytes(), -2000);
}

// ---------------------------------------------------------------------------------------
// GetTotalBytes: the three padding rules at exact CD frames and one sample frame past.

TEST(TrackLengthTest, NormalPadsTheTrackAndAddsTheSilentPreGap) {
  Track t("a.wav", FileModeWave, WaveInfoOf(1764));  // 7056 bytes = 3 CD frames
  EXPECT_EQ(t.GetTotalBytes(), 352800 + 7056);
  t.SetTrackEndPos(1765);  // 7060 bytes → 4 frames
  EXPECT_EQ(t.GetTotalBytes(), 352800 + 9408);
  t.SetPreGapLength(1);
  EXPECT_EQ(t.GetPreGapBytes(), 2352);
  EXPECT_EQ(t.GetTotalBytes(), 2352 + 9408);
  t.SetPreGapLength(0);
  t.SetTrackEndPos(0);
  EXPECT_EQ(t.GetTotalBytes(), 0);
}

TEST(TrackLengthTest, FileStyleJoinsPreGapAndTrackBeforePadding) {
  Track t("a.wav", FileModeWave, WaveInfoOf(587));
  t.SetPreGapStyle(PreGapFile);
  t.SetPreGapFile("b.wav", WaveInfoOf(1));
  EXPECT_EQ(t.GetPreGapBytes(), 4);
  EXPECT_EQ(t.GetTrackBytes(), 2348);
  EXPECT_EQ(t.GetTotalBytes(), 2352);  // 2348 + 4 is one whole frame
  t.SetTrackEndPos(588);
  EXPECT_EQ(t.GetTotalBytes(), 4704);  // 2352 + 4 starts a second one
  // The silent pre-gap length plays no part in this style.
  t.SetPreGapLength(4500);
  EXPECT_EQ(t.GetTotalBytes(), 4704);
}

TEST(TrackLengthTest, IndexStylePadsEachPartOnItsOwn) {
  Track t("a.wav", FileModeWave, WaveInfoOf(1176));
  t.SetPreGapStyle(PreGapIndex);
  t.SetTrackStartPos(588);
  EXPECT_EQ(t.GetPreGapBytes(), 2352);
  EXPECT_EQ(t.GetTrackBytes(), 2352);
  EXPECT_EQ(t.GetTotalBytes(), 4704);
  t.SetTrackStartPos(589);  // 2356 + 2348 bytes: 2 frames + 1 frame
  EXPECT_EQ(t.GetTotalBytes(), 7056);
  // Where file style would pad once: 2348 + 4 bytes in two parts are two frames.
  t.SetTrackStartPos(1);
  t.SetTrackEndPos(588);
  EXPECT_EQ(t.GetTotalBytes(), 4704);
}

TEST(TrackLengthTest, CutsComeOffTheRightParts) {
  TempDir dir;
  const std::string track =
      test::WriteWave(dir / "t.wav", {{1000, true}, {2000, false}, {500, true}});
  const std::string hidden =
      test::WriteWave(dir / "h.wav", {{100, true}, {588, false}, {50, true}});
  Track t(track, FileModeWave, WaveInfoOf(3500));
  t.TrackCutLeading = true;
  EXPECT_EQ(t.GetTrackBytes(), 4 * 2500);
  t.TrackCutTrailing = true;
  EXPECT_EQ(t.GetTrackBytes(), 8000);
  EXPECT_EQ(t.GetTotalBytes(), 352800 + 4 * 2352);  // 8000 bytes → 4 frames

  t.SetPreGapStyle(PreGapFile);
  t.SetPreGapFile(hidden, WaveInfoOf(738));
  EXPECT_EQ(t.GetPreGapBytes(), 4 * 738);  // pre-gap cut options are off
  t.PreGapCutLeading = t.PreGapCutTrailing = true;
  EXPECT_EQ(t.GetPreGapBytes(), 2352);
  // The track cuts are the track's own, not the pre-gap's.
  t.PreGapCutLeading = t.PreGapCutTrailing = false;
  t.TrackCutLeading = t.TrackCutTrailing = false;
  t.PreGapCutTrailing = true;
  EXPECT_EQ(t.GetTrackBytes(), 14000);
  EXPECT_EQ(t.GetPreGapBytes(), 4 * 688);
  EXPECT_EQ(t.GetTotalBytes(), 2352 * 8);  // 14000 + 2752 = 16752 → 7.12 → 8 frames
}

TEST(TrackLengthTest, SetPreGapLengthSplitsFramesIntoBytes) {
  Track t("a.wav", FileModeWave, WaveInfoOf(0));
  t.SetPreGapLength(150);
  EXPECT_EQ((std::array<int, 3>{t.PreGapMin, t.PreGapSec, t.PreGapFrame}),
            (std::array<int, 3>{0, 2, 0}));
  t.SetPreGapLength(4500);
  EXPECT_EQ((std::array<int, 3>{t.PreGapMin, t.PreGapSec, t.PreGapFrame}),
            (std::array<int, 3>{1, 0, 0}));
  t.SetPreGapLength(4499);
  EXPECT_EQ((std::array<int, 3>{t.PreGapMin, t.PreGapSec, t.PreGapFrame}),
            (std::array<int, 3>{0, 59, 74}));
  EXPECT_EQ(t.GetPreGapLength(), 4499);
  // 255 minutes fit the byte, 256 wrap to 0.
  t.SetPreGapLength(1147500);
  EXPECT_EQ(t.PreGapMin, 255);
  EXPECT_EQ(t.GetPreGapLength(), 1147500);
  t.SetPreGapLength(1152000);
  EXPECT_EQ(t.GetPreGapLength(), 0);
  // 4294967295 frames: 45 frames, (… / 75) mod 60 = 10 s, (… / 4500) mod 256 = 69 min.
  t.SetPreGapLength(std::numeric_limits<uint32_t>::max());
  EXPECT_EQ((std::array<int, 3>{t.PreGapMin, t.PreGapSec, t.PreGapFrame}),
            (std::array<int, 3>{69, 10, 45}));
  EXPECT_EQ(t.GetPreGapLength(), 311295);
}

TEST(TrackLengthTest, LongPreGapsAndHugePositionsDoNotOverflow) {
  Track t("a.wav", FileModeWave, WaveInfoOf(0));
  t.PreGapMin = 255;
  t.PreGapSec = 59;
  t.PreGapFrame = 74;
  EXPECT_EQ(t.GetPreGapLength(), 1151999);
  EXPECT_EQ(t.GetPreGapBytes(), 2709501648);  // 1151999 × 2352, past 2 GiB
  EXPECT_EQ(t.GetTotalBytes(), 2709501648);
  // Even unchecked byte values stay in range: (255 × 60 + 255) × 75 + 255.
  t.PreGapSec = 255;
  t.PreGapFrame = 255;
  EXPECT_EQ(t.GetPreGapLength(), 1166880);

  // The widest track: 4 × (2^32 − 1) bytes = 17179869180 → 7304367 started frames.
  t.SetPreGapLength(150);
  t.SetTrackStartPos(kMin32);
  t.SetTrackEndPos(kMax32);
  EXPECT_EQ(t.GetTrackBytes(), 17179869180);
  EXPECT_EQ(t.GetTotalBytes(), 352800 + 2352 * int64_t{7304367});
  // Turned around, the track is as negative; its padding rounds towards zero.
  t.SetTrackStartPos(kMax32);
  t.SetTrackEndPos(kMin32);
  EXPECT_EQ(t.GetTrackBytes(), -17179869180);
  EXPECT_EQ(t.GetTotalBytes(), 352800 - 2352 * int64_t{7304366});

  t.SetPreGapStyle(PreGapFile);
  t.SetPreGapStartPos(kMin32);
  t.SetPreGapEndPos(kMax32);
  EXPECT_EQ(t.GetPreGapBytes(), 17179869180);
  EXPECT_EQ(t.GetTotalBytes(), 0);

  t.SetPreGapStyle(PreGapIndex);
  t.SetTrackPreGapPos(kMin32);
  EXPECT_EQ(t.GetPreGapBytes(), 17179869180);
}

TEST(TrackLengthTest, HugePositionsScanWithoutOverflow) {
  TempDir dir;
  const std::string path = test::WriteWave(dir / "a.wav", {{100, true}});
  Track t(path, FileModeWave, WaveInfoOf(100));
  t.SetTrackStartPos(kMin32);
  t.SetTrackEndPos(kMax32);
  // Forwards from a byte before the file: nothing read. Backwards from far past its end:
  // frames that do not exist are not silence.
  EXPECT_EQ(t.GetTrackLeadSilence(), 0);
  EXPECT_EQ(t.GetTrackTrailSilence(), 0);
  t.SetTrackStartPos(50);
  t.SetTrackEndPos(kMax32);
  EXPECT_EQ(t.GetTrackLeadSilence(), 50);
}

}  // namespace
}  // namespace varnel
