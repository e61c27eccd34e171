#include "app/editors/PreGapLengthFields.h"

#include <gtest/gtest.h>

#include <tuple>

namespace varnel {
namespace {

using Msf3 = std::tuple<int32_t, int32_t, int32_t>;

PreGapLengthFields At(int32_t min, int32_t sec, int32_t frame) {
  PreGapLengthFields f;
  f.SetMsf(min, sec, frame);
  EXPECT_EQ(Msf3(f.Min(), f.Sec(), f.Frame()), Msf3(min, sec, frame));
  return f;
}

Msf3 Shown(const PreGapLengthFields& f) {
  return {f.Min(), f.Sec(), f.Frame()};
}

struct ClickCase {
  Msf3 From;
  LengthField Field;
  bool Up;
  bool Taken;
  Msf3 To;
};

// Every wrap point of the seconds and frames arrows, the ends of the minutes, and the plain
// steps inside the ranges.
TEST(PreGapCarry, ClicksAtEveryWrapPoint) {
  using F = LengthField;
  const ClickCase cases[] = {
      // Seconds up from 59 carries into the minutes, refused at 99 minutes.
      {{3, 59, 10}, F::Sec, true, true, {4, 0, 10}},
      {{99, 59, 10}, F::Sec, true, false, {99, 59, 10}},
      // Seconds down from 0 borrows a minute, refused at 0 minutes.
      {{3, 0, 10}, F::Sec, false, true, {2, 59, 10}},
      {{0, 0, 10}, F::Sec, false, false, {0, 0, 10}},
      // Frames up from 74: a second, or at 59 seconds a minute; refused at 99:59.
      {{0, 12, 74}, F::Frame, true, true, {0, 13, 0}},
      {{7, 59, 74}, F::Frame, true, true, {8, 0, 0}},
      {{99, 59, 74}, F::Frame, true, false, {99, 59, 74}},
      {{99, 58, 74}, F::Frame, true, true, {99, 59, 0}},
      // Frames down from 0: a second back, or at 0 seconds a minute; refused at 00:00.
      {{0, 12, 0}, F::Frame, false, true, {0, 11, 74}},
      {{7, 0, 0}, F::Frame, false, true, {6, 59, 74}},
      {{0, 0, 0}, F::Frame, false, false, {0, 0, 0}},
      {{0, 1, 0}, F::Frame, false, true, {0, 0, 74}},
      // Minutes stop at their ends and do not wrap.
      {{99, 0, 0}, F::Min, true, false, {99, 0, 0}},
      {{0, 30, 0}, F::Min, false, false, {0, 30, 0}},
      {{98, 59, 74}, F::Min, true, true, {99, 59, 74}},
      // Inside the range each arrow steps its own value only.
      {{5, 30, 40}, F::Frame, true, true, {5, 30, 41}},
      {{5, 30, 40}, F::Frame, false, true, {5, 30, 39}},
      {{5, 30, 40}, F::Sec, true, true, {5, 31, 40}},
      {{5, 30, 40}, F::Sec, false, true, {5, 29, 40}},
      {{5, 30, 40}, F::Min, false, true, {4, 30, 40}},
  };
  for (const ClickCase& c : cases) {
    PreGapLengthFields f = At(std::get<0>(c.From), std::get<1>(c.From), std::get<2>(c.From));
    SCOPED_TRACE(testing::Message()
                 << std::get<0>(c.From) << ":" << std::get<1>(c.From) << ":" << std::get<2>(c.From)
                 << " field " << static_cast<int>(c.Field) << (c.Up ? " up" : " down"));
    EXPECT_EQ(f.Click(c.Field, c.Up), c.Taken);
    EXPECT_EQ(Shown(f), c.To);
  }
}

// Walking the frames arrow over the whole range passes every length exactly once: each
// click is one CD frame, and both ends are refused.
TEST(PreGapCarry, FramesArrowWalksTheWholeRangeOneFrameAtATime) {
  PreGapLengthFields f;
  f.SetFrames(0);
  EXPECT_FALSE(f.Click(LengthField::Frame, false));
  for (int32_t expected = 1; expected <= kMaxLengthFrames; ++expected) {
    ASSERT_TRUE(f.Click(LengthField::Frame, true)) << expected;
    ASSERT_EQ(f.Frames(), expected);
  }
  EXPECT_EQ(Shown(f), Msf3(99, 59, 74));
  EXPECT_FALSE(f.Click(LengthField::Frame, true));
  EXPECT_EQ(f.Frames(), kMaxLengthFrames);
  for (int32_t expected = kMaxLengthFrames - 1; expected >= 0; --expected) {
    ASSERT_TRUE(f.Click(LengthField::Frame, false)) << expected;
    ASSERT_EQ(f.Frames(), expected);
  }
  EXPECT_FALSE(f.Click(LengthField::Frame, false));
}

TEST(PreGapCarry, SecondsArrowStepsOneSecondAcrossMinutes) {
  PreGapLengthFields f = At(0, 0, 33);
  for (int32_t i = 1; i < 100 * 60; ++i) {
    ASSERT_TRUE(f.Click(LengthField::Sec, true));
    ASSERT_EQ(f.Frames(), i * 75 + 33);
  }
  EXPECT_EQ(Shown(f), Msf3(99, 59, 33));
  EXPECT_FALSE(f.Click(LengthField::Sec, true));
}

// Lengths from outside the fields' range show at the nearer end; what is shown is what
// Frames() gives back.
TEST(PreGapCarry, LengthsBeyondTheFieldsShowAtTheEnds) {
  PreGapLengthFields f;
  f.SetFrames(4499);
  EXPECT_EQ(Shown(f), Msf3(0, 59, 74));
  f.SetFrames(150);
  EXPECT_EQ(Shown(f), Msf3(0, 2, 0));
  f.SetFrames(450000);
  EXPECT_EQ(Shown(f), Msf3(99, 59, 74));
  EXPECT_EQ(f.Frames(), kMaxLengthFrames);
  f.SetFrames(int64_t{1} << 40);
  EXPECT_EQ(f.Frames(), kMaxLengthFrames);
  f.SetFrames(-1);
  EXPECT_EQ(Shown(f), Msf3(0, 0, 0));
  f.SetMsf(255, 59, 74);  // a track's minutes byte can hold 255
  EXPECT_EQ(Shown(f), Msf3(99, 59, 74));
  f.SetMsf(0, 61, 80);  // out-of-range parts carry first
  EXPECT_EQ(Shown(f), Msf3(1, 2, 5));
}

TEST(PreGapCarry, TypedNumbersStayInTheirFieldsRange) {
  PreGapLengthFields f = At(1, 2, 3);
  f.Type(LengthField::Sec, "42");
  EXPECT_EQ(Shown(f), Msf3(1, 42, 3));
  f.Type(LengthField::Sec, "75");
  EXPECT_EQ(f.Sec(), 59);
  f.Type(LengthField::Frame, " 80 ");
  EXPECT_EQ(f.Frame(), 74);
  f.Type(LengthField::Min, "123456789012345678901234567890");
  EXPECT_EQ(f.Min(), 99);
  EXPECT_EQ(f.Text(LengthField::Min), "99");
  for (const char* junk : {"", "  ", "abc", "-3", "1e3", "4 2"}) {
    f.Type(LengthField::Frame, junk);
    EXPECT_EQ(f.Frame(), 74) << junk;
  }
}

}  // namespace
}  // namespace varnel
