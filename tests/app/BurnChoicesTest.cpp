#include <gtest/gtest.h>

#include "app/burn/BurnChoicesEditor.h"
#include "app/burn/BurnProgressView.h"

namespace varnel {
namespace {

OpticalDrive Drive(const char* device, bool writesCdR) {
  return {device, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", writesCdR, writesCdR, true};
}

TEST(BurnChoices, TheChosenDriveSurvivesARefreshWhileItIsThere) {
  const OpticalDrive reader = Drive("/dev/sr0", false);
  const OpticalDrive writer = Drive("/dev/sr1", true);
  const OpticalDrive other = Drive("/dev/sr2", true);
  struct Case {
    const char* Name;
    std::string Last;
    std::vector<OpticalDrive> Before, After;
    std::string ChosenBefore, ChosenAfter;  // "" : none, Burn disabled
  } cases[] = {
      {"last device kept", "/dev/sr2", {writer, other}, {other, writer}, "/dev/sr2", "/dev/sr2"},
      {"first writer, not a reader",
       "",
       {reader, writer},
       {reader, writer},
       "/dev/sr1",
       "/dev/sr1"},
      {"last device gone", "/dev/sr9", {reader, other}, {writer}, "/dev/sr2", "/dev/sr1"},
      {"only a drive that does not write", "", {reader}, {reader}, "", ""},
      {"drives unplugged", "/dev/sr1", {writer}, {}, "/dev/sr1", ""},
      {"plugged in later", "/dev/sr2", {}, {writer, other}, "", "/dev/sr2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    BurnOptions last;
    last.Device = c.Last;
    BurnChoicesEditor editor(last, c.Before);
    EXPECT_EQ(editor.Options().Device, c.ChosenBefore);
    EXPECT_EQ(editor.CanBurn(), !c.ChosenBefore.empty());
    editor.Refresh(c.After);
    EXPECT_EQ(editor.Options().Device, c.ChosenAfter);
    EXPECT_EQ(editor.CanBurn(), !c.ChosenAfter.empty());
  }
}

TEST(BurnChoices, TheLastSpeedIsOfferedAndChosen) {
  struct Case {
    int32_t Last;
    std::string Text;
  } cases[] = {{0, "Drive's best"}, {16, "16\u00d7"}, {6, "6\u00d7"}, {-3, "Drive's best"}};
  for (const Case& c : cases) {
    BurnOptions last;
    last.Speed = c.Last;
    BurnChoicesEditor editor(last, {Drive("/dev/sr0", true)});
    const std::vector<int32_t>& speeds = editor.Speeds();
    EXPECT_TRUE(std::is_sorted(speeds.begin(), speeds.end())) << c.Last;
    EXPECT_EQ(BurnChoicesEditor::SpeedText(editor.Options().Speed), c.Text);
  }
}

TEST(BurnProgressView, BarAndTimesFollowEachPass) {
  using namespace std::chrono_literals;
  const auto t0 = BurnProgressView::Clock::now();
  BurnProgressView view(t0);
  auto report = [](BurnStage stage, bool simulating, int32_t track, int32_t total) {
    BurnProgress p{stage, simulating, {}};
    p.Remote = {4, 12, track, 0, total, 90, 75};
    return p;
  };
  struct Step {
    std::chrono::seconds At;
    BurnProgress Report;
    int32_t Permille;
    std::string Remaining;
  } steps[] = {
      {1s, report(BurnStage::Blanking, false, 0, 100), 100, "--:--"},
      {11s, report(BurnStage::Blanking, false, 0, 500), 500, "00:10"},
      {12s, report(BurnStage::LeadIn, true, 0, 0), 0, "--:--"},
      {72s, report(BurnStage::WritingTrack, true, 3, 250), 250, "03:00"},
      {73s, report(BurnStage::WritingTrack, true, 3, 240), 250, "03:03"},
      {74s, report(BurnStage::LeadIn, false, 0, 0), 0, "--:--"},
      {3674s, report(BurnStage::LeadOut, false, 0xaa, 999), 999, "00:04"},
  };
  for (const Step& s : steps) {
    view.Progressed(s.Report, t0 + s.At);
    EXPECT_EQ(view.DiscPermille(), s.Permille) << s.At.count();
    EXPECT_EQ(view.RemainingText(t0 + s.At), s.Remaining) << s.At.count();
  }
  EXPECT_EQ(view.DriveBufferPercent(), 75);
  EXPECT_EQ(view.ElapsedText(t0 + 3674s), "1:01:14");
}

}  // namespace
}  // namespace varnel
