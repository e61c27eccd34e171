#include "app/editors/GeneralSettings.h"

#include <gtest/gtest.h>

#include "support/FakePrompter.h"

namespace varnel {
namespace {

using test::FakePrompter;

TEST(GeneralSettings, LoadTakesTheSevenValues) {
  AppSettings s;
  s.WorkDir = "/tmp/work";
  s.AddFrames = false;
  s.NumFrames = 42;
  s.MakeAlways = true;
  s.Relative = true;
  s.CdrdaoToc = false;
  s.CheckBeforeMake = false;
  EXPECT_EQ(LoadGeneralSettings(s),
            (GeneralSettings{"/tmp/work", false, 42, true, true, false, false}));
}

TEST(GeneralSettings, StoreChangesOnlyItsSevenValues) {
  AppSettings s;
  s.WaveFileDir = "/music";
  s.PreGapFrames = 75;
  AppSettings expected = s;
  StoreGeneralSettings(s, GeneralSettings{"", true, 150, true, false, false, false});
  expected.WorkDir = "";
  expected.AddFrames = true;
  expected.NumFrames = 150;
  expected.MakeAlways = true;
  expected.Relative = false;
  expected.CdrdaoToc = false;
  expected.CheckBeforeMake = false;
  EXPECT_EQ(s, expected);
}

TEST(GeneralSettings, WorkDirIsTakenWithoutValidation) {
  AppSettings s;
  StoreGeneralSettings(s, GeneralSettings{"/no/such/folder at all", true, 5, false, false});
  EXPECT_EQ(s.WorkDir, "/no/such/folder at all");
}

TEST(GeneralSettings, FrameCountStaysWithinTheUpDownRange) {
  EXPECT_EQ(ClampLeadFrames(-1), 0);
  EXPECT_EQ(ClampLeadFrames(0), 0);
  EXPECT_EQ(ClampLeadFrames(150), 150);
  EXPECT_EQ(ClampLeadFrames(151), 150);
  EXPECT_EQ(ClampLeadFrames(INT32_MIN), 0);
  EXPECT_EQ(ClampLeadFrames(INT32_MAX), 150);

  AppSettings s;
  s.NumFrames = 9999;  // a hand-edited settings file
  EXPECT_EQ(LoadGeneralSettings(s).NumFrames, 150);
  StoreGeneralSettings(s, GeneralSettings{"", true, -7, false, false});
  EXPECT_EQ(s.NumFrames, 0);
}

TEST(GeneralSettings, BrowseAsksForAFolderWithItsTitle) {
  FakePrompter p;
  p.FolderAnswers.push_back(std::string("/home/u/cds"));
  EXPECT_EQ(BrowseWorkDir(p, "/home/u/Desktop"), std::optional<std::string>("/home/u/cds"));
  ASSERT_EQ(p.Requests.size(), 1u);
  EXPECT_EQ(p.Requests[0].Title, "Select a working directory");
  EXPECT_EQ(p.Requests[0].InitialDir, "/home/u/Desktop");
  EXPECT_EQ(p.Beeps, 0);
}

TEST(GeneralSettings, BrowseCancelledOrEmptyKeepsTheField) {
  FakePrompter p;
  p.FolderAnswers.push_back(std::nullopt);
  p.FolderAnswers.push_back(std::string());
  EXPECT_EQ(BrowseWorkDir(p, "/"), std::nullopt);
  EXPECT_EQ(BrowseWorkDir(p, "/"), std::nullopt);
}

}  // namespace
}  // namespace varnel
