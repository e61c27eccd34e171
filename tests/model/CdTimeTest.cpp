#include "model/CdTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace varnel {
namespace {

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();

TEST(CdTimeTest, MsfToFramesCountsSeventyFivePerSecond) {
  EXPECT_EQ(MsfToFrames(0, 2, 0), 150);
  EXPECT_EQ(MsfToFrames(1, 0, 0), 4500);
  EXPECT_EQ(MsfToFrames(0, 0, 74), 74);
  // (99 × 60 + 59) × 75 + 74
  EXPECT_EQ(MsfToFrames(99, 59, 74), 449999);
  // A pre-gap of 255 minutes, the most one byte holds.
  EXPECT_EQ(MsfToFrames(255, 59, 74), 1151999);
}

TEST(CdTimeTest, MsfToFramesHoldsHostileValuesAtTheLimits) {
  EXPECT_EQ(MsfToFrames(kMax64, 0, 0), kMax64);
  EXPECT_EQ(MsfToFrames(kMin64, 0, 0), kMin64);
  EXPECT_EQ(MsfToFrames(0, 0, kMax64), kMax64);
  EXPECT_EQ(MsfToFrames(kMax64 / 4500, 59, kMax64), kMax64);
}

TEST(CdTimeTest, FramesToMsfSplitsMinutesSecondsFrames) {
  EXPECT_EQ(FramesToMsf(0), (Msf{0, 0, 0}));
  EXPECT_EQ(FramesToMsf(150), (Msf{0, 2, 0}));
  EXPECT_EQ(FramesToMsf(4499), (Msf{0, 59, 74}));
  EXPECT_EQ(FramesToMsf(4500), (Msf{1, 0, 0}));
  EXPECT_EQ(FramesToMsf(450000), (Msf{100, 0, 0}));
  EXPECT_EQ(FramesToMsf(449999), (Msf{99, 59, 74}));
}

TEST(CdTimeTest, FramesToMsfOfNegativeAndHugeValues) {
  // Truncation towards zero, as C division does.
  EXPECT_EQ(FramesToMsf(-76), (Msf{0, -1, -1}));
  EXPECT_EQ(FramesToMsf(-4501), (Msf{-1, 0, -1}));
  // INT64_MAX / 4500 does not fit 32 bits; the seconds and frames stay exact:
  // (9223372036854775807 / 75) mod 60 = 24, 9223372036854775807 mod 75 = 7.
  EXPECT_EQ(FramesToMsf(kMax64), (Msf{std::numeric_limits<int32_t>::max(), 24, 7}));
  EXPECT_EQ(FramesToMsf(kMin64).Min, std::numeric_limits<int32_t>::min());
}

TEST(CdTimeTest, BytesToWholeFramesRoundsUpEveryStartedFrame) {
  EXPECT_EQ(BytesToWholeFrames(0), 0);
  EXPECT_EQ(BytesToWholeFrames(1), 1);
  EXPECT_EQ(BytesToWholeFrames(2352), 1);
  EXPECT_EQ(BytesToWholeFrames(2353), 2);
  EXPECT_EQ(BytesToWholeFrames(4704), 2);
  // Lengths past 2 GiB: 2352 × 1000000 and one byte more.
  EXPECT_EQ(BytesToWholeFrames(2352000000), 1000000);
  EXPECT_EQ(BytesToWholeFrames(2352000001), 1000001);
  // 9223372036854775807 = 2352 × 3921501716349819 + 1519
  EXPECT_EQ(BytesToWholeFrames(kMax64), 3921501716349820);
}

TEST(CdTimeTest, BytesToWholeFramesIsTheTrueCeilingBelowZero) {
  EXPECT_EQ(BytesToWholeFrames(-1), 0);
  EXPECT_EQ(BytesToWholeFrames(-2351), 0);
  EXPECT_EQ(BytesToWholeFrames(-2352), -1);
  EXPECT_EQ(BytesToWholeFrames(-2353), -1);
  EXPECT_EQ(BytesToWholeFrames(kMin64), -3921501716349819);
}

TEST(CdTimeTest, SamplesToFramesTruncates) {
  EXPECT_EQ(SamplesToFrames(587), 0);
  EXPECT_EQ(SamplesToFrames(588), 1);
  EXPECT_EQ(SamplesToFrames(44100), 75);
}

TEST(CdTimeTest, FormatMsfPadsEachPartToTwoDigits) {
  EXPECT_EQ(FormatMsf(0, 2, 0), "00:02:00");
  EXPECT_EQ(FormatMsf(5, 7, 9), "05:07:09");
  EXPECT_EQ(FormatMsf(99, 59, 74), "99:59:74");
  EXPECT_EQ(FormatMsf(FramesToMsf(450000)), "100:00:00");
  EXPECT_EQ(FormatMsf(1234, 0, 1), "1234:00:01");
}

TEST(CdTimeTest, FormatMsfPrintsNegativeAndWideValuesLikeC) {
  EXPECT_EQ(FormatMsf(-5, 0, 0), "-05:00:00");
  EXPECT_EQ(FormatMsf(0, -1, -12), "00:-01:-12");
  EXPECT_EQ(FormatMsf(kMax64, 0, 0), "9223372036854775807:00:00");
  EXPECT_EQ(FormatMsf(kMin64, kMin64, kMin64),
            "-9223372036854775808:-9223372036854775808:-9223372036854775808");
}

}  // namespace
}  // namespace varnel
