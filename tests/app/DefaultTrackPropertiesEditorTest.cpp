#include "app/editors/DefaultTrackPropertiesEditor.h"

#include <gtest/gtest.h>

#include "app/AppContext.h"
#include "app/commands/TrackListCommands.h"
#include "support/FakePrompter.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using Msf3 = std::tuple<int32_t, int32_t, int32_t>;
Msf3 Shown(const PreGapLengthFields& f) {
  return {f.Min(), f.Sec(), f.Frame()};
}

TEST(DefPropertyEditor, FirstStartShowsTheBuiltInDefaults) {
  AppSettings settings;
  DefaultTrackPropertiesEditor dlg;
  dlg.PreEmph = dlg.Protect = dlg.PaddingHead = dlg.CutLeading = true;  // left from before
  dlg.Load(settings);
  EXPECT_FALSE(dlg.PreEmph);
  EXPECT_FALSE(dlg.Protect);
  EXPECT_FALSE(dlg.PaddingHead);  // "Tail"
  EXPECT_FALSE(dlg.CutLeading);
  EXPECT_FALSE(dlg.CutTrailing);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 2, 0));
  EXPECT_TRUE(dlg.PreGapPaddingHead);
  EXPECT_FALSE(dlg.PreGapCutLeading);
  EXPECT_FALSE(dlg.PreGapCutTrailing);
}

// Each control stores into its own default and nothing else.
TEST(DefPropertyEditor, EachControlStoresItsOwnDefault) {
  struct Case {
    const char* Name;
    bool DefaultTrackPropertiesEditor::*Control;
    bool AppSettings::*Setting;
  };
  using E = DefaultTrackPropertiesEditor;
  using S = AppSettings;
  const Case cases[] = {
      {"PreEmph", &E::PreEmph, &S::PreEmph},
      {"Protect", &E::Protect, &S::Protect},
      {"TrackPaddingHead", &E::PaddingHead, &S::TrackPaddingHead},
      {"TrackCutLeading", &E::CutLeading, &S::TrackCutLeading},
      {"TrackCutTrailing", &E::CutTrailing, &S::TrackCutTrailing},
      {"PreGapPaddingHead", &E::PreGapPaddingHead, &S::PreGapPaddingHead},
      {"PreGapCutLeading", &E::PreGapCutLeading, &S::PreGapCutLeading},
      {"PreGapCutTrailing", &E::PreGapCutTrailing, &S::PreGapCutTrailing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    AppSettings settings;
    settings.WorkDir = "/work";
    settings.WaveFileDir = "/waves";
    DefaultTrackPropertiesEditor dlg;
    dlg.Load(settings);
    EXPECT_EQ(dlg.*c.Control, settings.*c.Setting);
    dlg.*c.Control = !(dlg.*c.Control);
    AppSettings expected = settings;
    expected.*c.Setting = !(settings.*c.Setting);
    EXPECT_TRUE(dlg.Accept(settings));
    EXPECT_EQ(settings, expected);
    // And a second showing reads the stored value back.
    DefaultTrackPropertiesEditor again;
    again.Load(settings);
    EXPECT_EQ(again.*c.Control, expected.*c.Setting);
  }
}

TEST(DefPropertyEditor, LengthShownAndStoredThroughTheCarryRules) {
  AppSettings settings;
  settings.PreGapFrames = 4499;
  DefaultTrackPropertiesEditor dlg;
  dlg.Load(settings);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 59, 74));
  dlg.StepLength(LengthField::Frame, true);
  EXPECT_EQ(Shown(dlg.Length), Msf3(1, 0, 0));
  dlg.Accept(settings);
  EXPECT_EQ(settings.PreGapFrames, 4500);

  // 0:0:0 is a valid default.
  dlg.StepLength(LengthField::Min, false);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 0, 0));
  dlg.StepLength(LengthField::Frame, false);  // refused
  dlg.Accept(settings);
  EXPECT_EQ(settings.PreGapFrames, 0);

  // A typed number lands in its field.
  dlg.TypeLength(LengthField::Sec, "7");
  dlg.TypeLength(LengthField::Frame, "x");
  dlg.Accept(settings);
  EXPECT_EQ(settings.PreGapFrames, 7 * 75);
}

// A stored length the fields cannot hold shows as the nearest value they can hold, and OK
// stores what they show.
TEST(DefPropertyEditor, StoredLengthOutsideTheFieldsIsHeldAtTheirEnds) {
  AppSettings settings;
  settings.PreGapFrames = 1000000;
  DefaultTrackPropertiesEditor dlg;
  dlg.Load(settings);
  EXPECT_EQ(Shown(dlg.Length), Msf3(99, 59, 74));
  dlg.Accept(settings);
  EXPECT_EQ(settings.PreGapFrames, 449999);

  settings.PreGapFrames = -20;
  dlg.Load(settings);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 0, 0));
  dlg.Accept(settings);
  EXPECT_EQ(settings.PreGapFrames, 0);
}

// Cancel stores nothing: the next showing reloads the settings.
TEST(DefPropertyEditor, CancelledEditsLeaveNoTrace) {
  AppSettings settings;
  DefaultTrackPropertiesEditor dlg;
  dlg.Load(settings);
  dlg.PreEmph = true;
  dlg.StepLength(LengthField::Sec, true);
  const AppSettings before = settings;
  dlg.Load(settings);  // shown again after Cancel
  EXPECT_FALSE(dlg.PreEmph);
  EXPECT_EQ(dlg.Length.Frames(), 150);
  EXPECT_EQ(settings, before);
}

// New defaults reach the next added track only; tracks already in the layout keep theirs.
TEST(DefPropertyEditor, NewDefaultsApplyToTracksAddedLater) {
  test::TempDir dir;
  const std::string wave = test::WriteWave(dir / "a.wav", {{588 * 10, false}});
  test::FakePrompter prompter;
  AppContext ctx(prompter);
  ASSERT_TRUE(AddTrackFile(ctx, wave));

  DefaultTrackPropertiesEditor dlg;
  dlg.Load(ctx.Settings);
  dlg.PreEmph = true;
  dlg.PreGapPaddingHead = false;
  dlg.TypeLength(LengthField::Sec, "5");
  dlg.Accept(ctx.Settings);

  ASSERT_TRUE(AddTrackFile(ctx, wave));
  ASSERT_EQ(ctx.Layout.Count(), 2);
  const Track& before = ctx.Layout.At(0);
  const Track& after = ctx.Layout.At(1);
  EXPECT_FALSE(before.PreEmph);
  EXPECT_TRUE(before.PreGapPaddingHead);
  EXPECT_EQ(before.GetPreGapLength(), 150);
  EXPECT_TRUE(after.PreEmph);
  EXPECT_FALSE(after.PreGapPaddingHead);
  EXPECT_EQ(after.GetPreGapLength(), 5 * 75);
  EXPECT_TRUE(prompter.Log.empty());
}

}  // namespace
}  // namespace varnel
