// The disc check in the window: File ▸ Check disc… lists the findings, a double click
// selects a finding's track; the question before making answers as its buttons say; both
// read well to assistive tools.
#include "ui/dialogs/DiscCheckDialog.h"

#include <QAction>
#include <QPushButton>
#include <QTreeWidget>

#include "app/check/DiscCheck.h"
#include "support/UiTestSupport.h"
#include "ui/QtPrompter.h"

namespace varnel {
namespace {

using test::WindowTest;

TEST_F(WindowTest, CheckDiscListsFindingsAndSelectsTheirTracks) {
  Window->DropPaths("Tracks",
                    {Wave("a.wav", 44100 * 5), Wave("b.wav", 44100 * 3), Wave("c.wav", 44100 * 5)});
  List()->setCurrentIndex(List()->Model()->index(0));
  Ctx().Layout.At(2).ISRC = "usabc9912345";
  int shown = 0;
  Window->ShowDiscCheckDialog = [&](QDialog& dlg) {
    ++shown;
    EXPECT_EQ(dlg.windowTitle(), "Check disc");
    auto* list = dlg.findChild<QTreeWidget*>("Findings");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const char* const expected[2][3] = {{"Error", "2", "The track plays 00:03:00"},
                                        {"Error", "3", "The ISRC \"usabc9912345\""}};
    for (int r = 0; r < 2; ++r) {
      EXPECT_EQ(list->topLevelItem(r)->text(0), expected[r][0]);
      EXPECT_EQ(list->topLevelItem(r)->text(1), expected[r][1]);
      EXPECT_TRUE(list->topLevelItem(r)->text(2).startsWith(expected[r][2]))
          << list->topLevelItem(r)->text(2).toStdString();
      EXPECT_FALSE(list->topLevelItem(r)->icon(0).isNull());
    }
    test::ExpectReadableNames(&dlg);
    dlg.show();
    // A double click on the second finding selects track 3 in the main list.
    const QRect rect = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(Ctx().SelectedTrack, 2);
    EXPECT_EQ(List()->currentIndex().row(), 2);
    EXPECT_TRUE(dlg.isVisible()) << "the dialog stays open";
    dlg.close();
  };
  Window->Action("FileCheck")->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(Prompter.Log.empty());

  // A disc without findings says so in the list's only row.
  Ctx().Layout.At(2).ISRC.clear();
  Ctx().Layout.Delete(1);
  Window->ShowDiscCheckDialog = [&](QDialog& dlg) {
    auto* list = dlg.findChild<QTreeWidget*>("Findings");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), kNoFindingsText);
  };
  Window->Action("FileCheck")->trigger();
}

TEST(CheckBeforeMakeDialog, MakeAnywayOrCancel) {
  const std::vector<DiscFinding> findings = {
      {Severity::Error, 0, "disc-too-long", "The disc plays 80:00:01."},
      {Severity::Note, 2, "mp3-needs-toc", "An MP3 track."}};
  QtPrompter prompter;
  for (const auto& [button, answer] :
       {std::pair<const char*, bool>{"MakeAnywayBtn", true}, {"CancelBtn", false}}) {
    test::OnNextModal([button = button](QWidget* w) {
      EXPECT_EQ(w->windowTitle(), kCheckBeforeMakeTitle);
      auto* list = w->findChild<QTreeWidget*>("Findings");
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->topLevelItemCount(), 2);
      EXPECT_EQ(list->topLevelItem(0)->text(1), "Disc");
      EXPECT_EQ(w->findChild<QPushButton*>("MakeAnywayBtn")->text(), "Make anyway");
      test::ExpectReadableNames(w);
      QTest::mouseClick(w->findChild<QPushButton*>(button), Qt::LeftButton);
    });
    EXPECT_EQ(prompter.ConfirmFindings(findings), answer) << button;
  }
}

}  // namespace
}  // namespace varnel
