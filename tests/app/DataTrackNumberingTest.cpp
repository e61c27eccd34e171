// Where the data track counts: the track list numbers the layout being edited (a data track
// only while its image exists), the cue sheet and the disc check number the disc that is
// made (a data track whenever a path is set). With a path to a missing image they differ,
// on purpose; otherwise they agree.
#include <gtest/gtest.h>

#include <string>

#include "app/check/DiscCheck.h"
#include "app/check/DiscCheckView.h"
#include "app/check/DiscTime.h"
#include "app/commands/TrackListCommands.h"
#include "app/views/TrackListText.h"
#include "support/LayoutTestEnv.h"
#include "support/MakeFixtures.h"

namespace varnel {
namespace {

TEST(DataTrackNumbering, TheListFollowsTheImageTheSheetAndTheCheckFollowThePath) {
  const struct {
    const char* Case;
    const char* Image;  // the data track path, in the test's folder
    bool ImageExists;
    const char* ListNumber;
    const char* SheetTrack;
  } rows[] = {
      {"no path", "", false, "1", "TRACK 01 AUDIO"},
      {"existing image", "data.bin", true, "2", "TRACK 02 AUDIO"},
      {"missing image", "gone.bin", false, "1", "TRACK 02 AUDIO"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    test::LayoutTestEnv env;
    env.Ctx.Settings.WorkDir = env.Dir / "work";
    ASSERT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352 * 75 * 5)));
    const std::string image = *row.Image ? env.Dir / row.Image : std::string();
    if (row.ImageExists) env.Image(row.Image, 2048 * 300);
    SetDataTrackFile(env.Ctx, image);

    EXPECT_EQ(TrackColumnTexts(env.Ctx, 0)[0], row.ListNumber);
    const test::RunRecord run =
        test::RunExport(env.Ctx.Layout, env.Ctx.Settings, env.Dir / "disc.cue", true);
    const std::string sheet = test::ReadText(env.Dir / "disc.cue");
    EXPECT_NE(sheet.find("\r\n" + std::string(row.SheetTrack) + "\r\n"), std::string::npos)
        << run.Message << "\n"
        << sheet;
    const DiscTime disc = DiscTimeOf(env.Ctx.Layout, env.Ctx.Settings);
    ASSERT_FALSE(disc.Tracks.empty());
    EXPECT_EQ("TRACK 0" + std::to_string(disc.Tracks.back().Number) + " AUDIO", row.SheetTrack);
    // A finding on that track leads back to the list's first entry.
    const DiscFinding finding{Severity::Note, disc.Tracks.back().Number, "note", "text"};
    EXPECT_EQ(FindingRows(env.Ctx.Layout, {finding}).at(0).ListIndex, 0);
  }
}

}  // namespace
}  // namespace varnel
