#include "DefPropertyEditor.h"

#include <gtest/gtest.h>

#include "AppContext.h"
#include "FakePrompter.h"
#include "TestFiles.h"
#include "TrackListOps.h"

namespace varnel {
namespace {

using Msf3 = std::tuple<int32_t, int32_t, int32_t>;
Msf3 Shown(const TPreGapLengthFields& f) {
  return {f.Min(), f.Sec(), f.Frame()};
}

TEST(DefPropertyEditor, FirstStartShowsTheBuiltInDefaults) {
  AppSettings settings;
  TDefPropertyEditor dlg;
  dlg.PreEmphCk = dlg.ProtectCk = dlg.PadHeadRdBtn = dlg.CutLeadCk = true;  // left from before
  dlg.FormShow(settings);
  EXPECT_FALSE(dlg.PreEmphCk);
  EXPECT_FALSE(dlg.ProtectCk);
  EXPECT_FALSE(dlg.PadHeadRdBtn);  // "Tail"
  EXPECT_FALSE(dlg.CutLeadCk);
  EXPECT_FALSE(dlg.CutTrailCk);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 2, 0));
  EXPECT_TRUE(dlg.PreGapPadHeadRdBtn);
  EXPECT_FALSE(dlg.PreGapCutLeadCk);
  EXPECT_FALSE(dlg.PreGapCutTrailCk);
}

// Each control stores into its own default and nothing else.
TEST(DefPropertyEditor, EachControlStoresItsOwnDefault) {
  struct Case {
    const char* Name;
    bool TDefPropertyEditor::*Control;
    bool AppSettings::*Setting;
  };
  const Case cases[] = {
      {"PreEmph", &TDefPropertyEditor::PreEmphCk, &AppSettings::PreEmph},
      {"Protect", &TDefPropertyEditor::ProtectCk, &AppSettings::Protect},
      {"TrackPaddingHead", &TDefPropertyEditor::PadHeadRdBtn, &AppSettings::TrackPaddingHead},
      {"TrackCutLeading", &TDefPropertyEditor::CutLeadCk, &AppSettings::TrackCutLeading},
      {"TrackCutTrailing", &TDefPropertyEditor::CutTrailCk, &AppSettings::TrackCutTrailing},
      {"PreGapPaddingHead", &TDefPropertyEditor::PreGapPadHeadRdBtn,
       &AppSettings::PreGapPaddingHead},
      {"PreGapCutLeading", &TDefPropertyEditor::PreGapCutLeadCk, &AppSettings::PreGapCutLeading},
      {"PreGapCutTrailing", &TDefPropertyEditor::PreGapCutTrailCk, &AppSettings::PreGapCutTrailing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    AppSettings settings;
    settings.WorkDir = "/work";
    settings.WaveFileDir = "/waves";
    TDefPropertyEditor dlg;
    dlg.FormShow(settings);
    EXPECT_EQ(dlg.*c.Control, settings.*c.Setting);
    dlg.*c.Control = !(dlg.*c.Control);
    AppSettings expected = settings;
    expected.*c.Setting = !(settings.*c.Setting);
    EXPECT_TRUE(dlg.OkBtnClick(settings));
    EXPECT_EQ(settings, expected);
    // And a second showing reads the stored value back.
    TDefPropertyEditor again;
    again.FormShow(settings);
    EXPECT_EQ(again.*c.Control, expected.*c.Setting);
  }
}

TEST(DefPropertyEditor, LengthShownAndStoredThroughTheCarryRules) {
  AppSettings settings;
  settings.PreGapFrames = 4499;
  TDefPropertyEditor dlg;
  dlg.FormShow(settings);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 59, 74));
  dlg.UdClick(TLengthField::Frame, true);
  EXPECT_EQ(Shown(dlg.Length), Msf3(1, 0, 0));
  dlg.OkBtnClick(settings);
  EXPECT_EQ(settings.PreGapFrames, 4500);

  // 0:0:0 is a valid default.
  dlg.UdClick(TLengthField::Min, false);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 0, 0));
  dlg.UdClick(TLengthField::Frame, false);  // refused
  dlg.OkBtnClick(settings);
  EXPECT_EQ(settings.PreGapFrames, 0);

  // A typed number lands in its field.
  dlg.LengthEditChange(TLengthField::Sec, "7");
  dlg.LengthEditChange(TLengthField::Frame, "x");
  dlg.OkBtnClick(settings);
  EXPECT_EQ(settings.PreGapFrames, 7 * 75);
}

// A stored length the fields cannot hold shows as the nearest value they can hold, and OK
// stores what they show.
TEST(DefPropertyEditor, StoredLengthOutsideTheFieldsIsHeldAtTheirEnds) {
  AppSettings settings;
  settings.PreGapFrames = 1000000;
  TDefPropertyEditor dlg;
  dlg.FormShow(settings);
  EXPECT_EQ(Shown(dlg.Length), Msf3(99, 59, 74));
  dlg.OkBtnClick(settings);
  EXPECT_EQ(settings.PreGapFrames, 449999);

  settings.PreGapFrames = -20;
  dlg.FormShow(settings);
  EXPECT_EQ(Shown(dlg.Length), Msf3(0, 0, 0));
  dlg.OkBtnClick(settings);
  EXPECT_EQ(settings.PreGapFrames, 0);
}

// Cancel stores nothing: the next showing reloads the settings.
TEST(DefPropertyEditor, CancelledEditsLeaveNoTrace) {
  AppSettings settings;
  TDefPropertyEditor dlg;
  dlg.FormShow(settings);
  dlg.PreEmphCk = true;
  dlg.UdClick(TLengthField::Sec, true);
  const AppSettings before = settings;
  dlg.FormShow(settings);  // shown again after Cancel
  EXPECT_FALSE(dlg.PreEmphCk);
  EXPECT_EQ(dlg.Length.Frames(), 150);
  EXPECT_EQ(settings, before);
}

// New defaults reach the next added track only; tracks already in the layout keep theirs.
TEST(DefPropertyEditor, NewDefaultsApplyToTracksAddedLater) {
  test::TempDir dir;
  const std::string wave = test::WriteWave(dir / "a.wav", {{588 * 10, false}});
  test::FakePrompter prompter;
  TAppContext ctx(prompter);
  ASSERT_TRUE(AddTrackFile(ctx, wave));

  TDefPropertyEditor dlg;
  dlg.FormShow(ctx.Settings);
  dlg.PreEmphCk = true;
  dlg.PreGapPadHeadRdBtn = false;
  dlg.LengthEditChange(TLengthField::Sec, "5");
  dlg.OkBtnClick(ctx.Settings);

  ASSERT_TRUE(AddTrackFile(ctx, wave));
  ASSERT_EQ(ctx.Layout.Count(), 2);
  const TTrackInfo& before = ctx.Layout.At(0);
  const TTrackInfo& after = ctx.Layout.At(1);
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
