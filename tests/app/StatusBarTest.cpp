#include "app/views/StatusBar.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/commands/TrackListCommands.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

using Panels = std::array<std::string, 4>;

TEST(StatusBarTexts, EmptyDisc) {
  EXPECT_EQ(StatusBarTexts({}), (Panels{" Total: 00 tracks", " 000MB", " 00:00:00", ""}));
}

TEST(StatusBarTexts, DataTrackOnlyAndMixedMode) {
  StatusBarInput in;
  in.DataTrackImageExists = true;
  in.DataTrackSize = 2352 * 1000;  // + two frames: 2 356 704 bytes, 1002 frames
  EXPECT_EQ(StatusBarTexts(in), (Panels{" Total: 01 tracks", " 003MB", " 00:13:27", " Data disc"}));
  in.TrackCount = 1;
  in.TotalBytes = 352800 + 2352;
  EXPECT_EQ(StatusBarTexts(in),
            (Panels{" Total: 02 tracks", " 003MB", " 00:15:28", " Mix-Mode disc"}));
}

TEST(StatusBarTexts, AudioDiscFramesAndMegabytesRoundUp) {
  StatusBarInput in;
  in.TrackCount = 5;
  // One wave track of N = 10 000 bytes with the default pre-gap: 150 + ceil(N / 2352) frames.
  in.TotalBytes = 352800 + 2352 * 5;
  Panels p = StatusBarTexts(in);
  EXPECT_EQ(p[0], " Total: 05 tracks");
  EXPECT_EQ(p[2], " 00:02:05");
  EXPECT_EQ(p[3], " Audio disc");
  in.TotalBytes = 1048576;  // exactly one megabyte
  EXPECT_EQ(StatusBarTexts(in)[1], " 001MB");
  in.TotalBytes = 1048577;
  EXPECT_EQ(StatusBarTexts(in)[1], " 002MB");
  in.TotalBytes = 2352 * 75;  // exactly one second: no started frame
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:01:00");
  in.TotalBytes = 2352 * 75 + 1;
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:01:01");
}

TEST(StatusBarTexts, LeadingSilenceCountsOnlyBeforeAHiddenFirstTrack) {
  StatusBarInput in;
  in.TrackCount = 2;
  in.TotalBytes = 2352 * 300;
  in.AddFrames = true;
  in.NumFrames = 5;
  in.FirstPreGapStyle = PreGapNormal;
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:04:00");
  in.FirstPreGapStyle = PreGapFile;
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:04:05");
  in.FirstPreGapStyle = PreGapIndex;
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:04:05");
  in.AddFrames = false;
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:04:00");
  // No tracks: no leading silence, whatever the first style field says.
  in.AddFrames = true;
  in.TrackCount = 0;
  in.TotalBytes = 0;
  EXPECT_EQ(StatusBarTexts(in)[2], " 00:00:00");
}

TEST(StatusBarTexts, TotalsPastTwoGigabytesDoNotOverflow) {
  StatusBarInput in;
  in.DataTrackImageExists = true;
  in.DataTrackSize = int64_t{3} << 31;  // 6 GiB image
  in.TrackCount = 99;
  in.TotalBytes = int64_t{5} << 31;
  in.NumFrames = 2147483647;
  in.FirstPreGapStyle = PreGapFile;
  const int64_t bytes = (int64_t{8} << 31) + 4704 + int64_t{2147483647} * 2352;
  const int64_t frames = (bytes + 2351) / 2352;
  const Panels p = StatusBarTexts(in);
  EXPECT_EQ(p[0], " Total: 100 tracks");
  EXPECT_EQ(p[1], " " + std::to_string((bytes + 1048575) / 1048576) + "MB");
  char time[64];
  std::snprintf(time, sizeof time, " %.2lld:%.2lld:%.2lld", static_cast<long long>(frames / 4500),
                static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
  EXPECT_EQ(p[2], time);
}

TEST(RefreshStatusBar, ReadsTheImageSizeAndTheLayout) {
  test::LayoutTestEnv env;
  env.Ctx.Layout.DataTrackFile = env.Image("d.bin", 2352 * 1000);
  ASSERT_TRUE(RefreshStatusBar(env.Ctx));
  EXPECT_EQ(env.Ctx.StatusPanels,
            (Panels{" Total: 01 tracks", " 003MB", " 00:13:27", " Data disc"}));
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 10000)));
  ASSERT_TRUE(RefreshStatusBar(env.Ctx));
  EXPECT_EQ(env.Ctx.StatusPanels[0], " Total: 02 tracks");
  EXPECT_EQ(env.Ctx.StatusPanels[3], " Mix-Mode disc");
  // A path that names no file is no data track: 150 + ceil(10000 / 2352) = 155 frames.
  env.Ctx.Layout.DataTrackFile = env.Dir / "gone.bin";
  ASSERT_TRUE(RefreshStatusBar(env.Ctx));
  EXPECT_EQ(env.Ctx.StatusPanels,
            (Panels{" Total: 01 tracks", " 001MB", " 00:02:05", " Audio disc"}));
}

TEST(RefreshStatusBar, FirstTrackFromAnotherFileAddsTheLeadingSilence) {
  test::LayoutTestEnv env;
  ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352 * 75)));
  Track& t = env.Ctx.Layout.At(0);
  const int64_t before = t.GetTotalBytes();
  WaveDataInfo hidden{44, 2352 * 150, 2, 16, 44100};
  t.SetPreGapStyle(PreGapFile);
  t.SetPreGapFile(env.Wave("h.wav", 2352 * 150), hidden);
  AdjustTotal(env.Ctx, t.GetTotalBytes() - before);
  EXPECT_EQ(env.Ctx.StatusPanels[2], " 00:03:05");  // 75 + 150 + 5 frames
  env.Ctx.Settings.NumFrames = 0;
  RefreshStatusBar(env.Ctx);
  EXPECT_EQ(env.Ctx.StatusPanels[2], " 00:03:00");
}

TEST(RefreshStatusBar, UnreadableImageKeepsThePanelsAndSaysWhy) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  test::LayoutTestEnv env;
  const std::string image = env.Image("d.bin", 2352);
  std::filesystem::permissions(image, std::filesystem::perms::none);
  env.Ctx.Layout.DataTrackFile = image;
  env.Ctx.StatusPanels[0] = "before";
  EXPECT_FALSE(RefreshStatusBar(env.Ctx));
  EXPECT_EQ(env.Ctx.StatusPanels[0], "before");
  ASSERT_EQ(env.Prompter.Log.size(), 1u);
  EXPECT_EQ(env.Prompter.Log[0], "Error: Cannot open file \"" + image + "\". Permission denied");
}

}  // namespace
}  // namespace varnel
