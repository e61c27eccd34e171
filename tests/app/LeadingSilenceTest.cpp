// A layout's own leading silence overrides the settings' "add leading silence" everywhere
// the silence counts: the Test run's sheet, the made file, the disc's time, the status bar's
// time and the track list's pre-gap length.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/check/DiscTime.h"
#include "app/views/StatusBar.h"
#include "app/views/TrackListText.h"
#include "support/LayoutTestEnv.h"
#include "support/MakeFixtures.h"

namespace varnel {
namespace {

int64_t Frames(const std::string& msf) {
  int m = 0;
  int s = 0;
  int f = 0;
  EXPECT_EQ(std::sscanf(msf.c_str(), "%d:%d:%d", &m, &s, &f), 3) << msf;
  return (m * 60 + s) * 75 + f;
}

// How each reader counts the leading silence of the layout in frames (plus a constant).
std::vector<int64_t> Counts(int32_t layoutSilence) {
  test::LayoutTestEnv env;
  env.Ctx.Settings = test::SettingsWithWorkDir(env.Dir / "work");
  env.Ctx.Settings.AddFrames = true;
  env.Ctx.Settings.NumFrames = 5;
  env.Ctx.Settings.MakeAlways = true;  // a made file in every case
  env.Ctx.Layout.Append(test::WaveTrack(env.Dir / "a.wav", test::Sound(588 * 500)));
  Track& track = env.Ctx.Layout.At(0);
  track.SetPreGapStyle(PreGapIndex);
  track.SetTrackStartPos(588 * 100);
  env.Ctx.Layout.TotalBytes = track.GetTotalBytes();
  env.Ctx.Layout.LeadingSilence = layoutSilence;

  const auto run = test::RunExport(env.Ctx.Layout, env.Ctx.Settings, env.Dir / "d.cue", false);
  EXPECT_EQ(run.State, RunState::Succeeded) << run.Message;
  const std::string sheet = test::ReadText(env.Dir / "d.cue");
  const size_t index = sheet.find("INDEX 01 ");
  EXPECT_TRUE(RefreshStatusBar(env.Ctx));
  const std::string length = TrackColumnTexts(env.Ctx, 0)[4];
  return {Frames(sheet.substr(index + 9, 8)),
          static_cast<int64_t>(std::filesystem::file_size(env.Dir / "work/d/Track01.wav") / 2352),
          DiscTimeOf(env.Ctx.Layout, env.Ctx.Settings).TotalFrames,
          Frames(env.Ctx.StatusPanels[2].substr(1)), Frames(length.substr(length.find('(') + 1))};
}

TEST(LeadingSilence, TheLayoutsOwnCountOverridesTheSettingsEverywhere) {
  const std::vector<int64_t> none = Counts(0);
  for (const auto& [layoutSilence, expected] :
       std::vector<std::pair<int32_t, int64_t>>{{-1, 5}, {0, 0}, {12, 12}}) {
    SCOPED_TRACE(layoutSilence);
    const std::vector<int64_t> counts = Counts(layoutSilence);
    for (size_t i = 0; i < counts.size(); ++i) {
      EXPECT_EQ(counts[i] - none[i], expected) << "reader " << i;
    }
  }
}

}  // namespace
}  // namespace varnel
