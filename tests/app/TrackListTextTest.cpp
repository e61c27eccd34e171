#include "app/views/TrackListText.h"

#include <gtest/gtest.h>

#include "app/commands/TrackListCommands.h"
#include "support/LayoutTestEnv.h"
#include "support/MpegFrames.h"

namespace varnel {
namespace {

using Row = std::array<std::string, kTrackColumnCount>;

TEST(TrackColumnTexts, WaveTrackWithDefaults) {
  test::LayoutTestEnv env;
  const std::string path = env.Wave("three minutes.wav", 176400 * 180);
  ASSERT_TRUE(AddTrackFile(env.Ctx, path));
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0),
            (Row{"1", "three minutes.wav", "WAVE", "None", "03:00:00 (00:02:00)", "None",
                 "Permited", "", path}));
}

TEST(TrackColumnTexts, EveryColumnFollowsItsField) {
  test::LayoutTestEnv env;
  test::WriteBytes(env.Dir / "b.mp3", test::Mpeg1Layer3Stereo44k(38));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Dir / "b.mp3"));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Cdg("c.cdg", 75)));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("d.wav", 2352 * 10)));
  Track& mp3 = env.Ctx.Layout.At(0);
  mp3.PreEmph = true;
  mp3.Protect = true;
  mp3.ISRC = "JPABC1234567";
  mp3.SetPreGapStyle(PreGapFile);
  mp3.SetPreGapFile(env.Dir / "hidden:part.wav", WaveDataInfo{44, 2352 * 2, 2, 16, 44100});
  env.Ctx.Layout.At(2).SetPreGapStyle(PreGapIndex);

  const Row first = TrackColumnTexts(env.Ctx, 0);
  EXPECT_EQ(first[1], "b.mp3");
  EXPECT_EQ(first[2], "MP3");
  EXPECT_EQ(first[3], "hidden:part.wav");
  EXPECT_EQ(first[5], "Enable");
  EXPECT_EQ(first[6], "Prohibited");
  EXPECT_EQ(first[7], "JPABC1234567");
  EXPECT_EQ(first[8], env.Dir / "b.mp3");
  // 43676 sample frames = 174704 bytes = 74 whole frames; pre-gap 2 frames + 5 leading.
  EXPECT_EQ(first[4], "00:00:74 (00:00:07)");

  const Row second = TrackColumnTexts(env.Ctx, 1);
  EXPECT_EQ(second[2], "CDG");
  EXPECT_EQ(second[3], "None");
  EXPECT_EQ(second[4], "00:01:00 (00:02:00)");
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 2)[3], "Same file");
}

TEST(TrackColumnTexts, NumberingStartsAtTwoWhileTheDataTrackImageExists) {
  test::LayoutTestEnv env;
  const std::string a = env.Wave("a.wav", 2352);
  ASSERT_TRUE(AddTrackFile(env.Ctx, a));
  ASSERT_TRUE(AddTrackFile(env.Ctx, a));
  env.Ctx.Layout.DataTrackFile = env.Image("d.bin", 2048);
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[0], "2");
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 1)[0], "3");
  env.Ctx.Layout.DataTrackFile = env.Dir / "missing.bin";
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[0], "1");
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 1)[0], "2");
}

TEST(TrackLengthText, PartialFramesAreNotShown) {
  test::LayoutTestEnv env;
  // 2351 data bytes: 587 whole sample frames, 2348 bytes, less than one CD frame.
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("short.wav", 2351)));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("one.wav", 2352)));
  Track& shortTrack = env.Ctx.Layout.At(0);
  shortTrack.SetPreGapLength(1);
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[4], "00:00:00 (00:00:01)");
  shortTrack.SetPreGapLength(4500);
  EXPECT_EQ(TrackLengthText(shortTrack, 0), "00:00:00 (01:00:00)");
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 1)[4], "00:00:01 (00:02:00)");
  // More than 99 minutes print with three digits.
  EXPECT_EQ(TrackLengthText(shortTrack, 450000 - 4500), "00:00:00 (100:00:00)");
}

TEST(TrackLengthText, OnlyTheFirstRowWithAHiddenPreGapShowsTheLeadingSilence) {
  test::LayoutTestEnv env;
  const std::string a = env.Wave("a.wav", 2352 * 75);
  const std::string h = env.Wave("h.wav", 2352 * 150);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(AddTrackFile(env.Ctx, a));
    Track& t = env.Ctx.Layout.At(i);
    t.SetPreGapStyle(PreGapFile);
    t.SetPreGapFile(h, WaveDataInfo{44, 2352 * 150, 2, 16, 44100});
  }
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[4], "00:01:00 (00:02:05)");
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 1)[4], "00:01:00 (00:02:00)");
  env.Ctx.Settings.AddFrames = false;
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[4], "00:01:00 (00:02:00)");
  env.Ctx.Settings.AddFrames = true;
  env.Ctx.Layout.At(0).SetPreGapStyle(PreGapNormal);
  EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[4], "00:01:00 (00:02:00)");
}

TEST(TrackColumnTexts, StyleAndModeOutsideTheirRangesShowNothing) {
  test::LayoutTestEnv env;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
  Track& t = env.Ctx.Layout.At(0);
  t.SetPreGapStyle(7);
  t.FileMode = 9;
  const Row row = TrackColumnTexts(env.Ctx, 0);
  EXPECT_EQ(row[2], "");
  EXPECT_EQ(row[3], "");
}

}  // namespace
}  // namespace varnel
