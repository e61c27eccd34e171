// The CD-Text editor in the window: Edit ▸ CD-Text…, the button beside the CD-Text field and
// CD-Text switched on with nothing to carry open it; typing, Enter and Tab move as in a
// spreadsheet, Ctrl+V pastes a column, "Fill from tags" reads the files' tags, Cancel
// leaves the layout alone and OK puts the text in it; every control reads well.
#include "ui/dialogs/CdTextDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "support/AudioTools.h"
#include "support/UiTestSupport.h"

namespace varnel {
namespace {

using test::WindowTest;

// Types `text` into the table's current cell as a person would: the first key starts
// editing, the rest go to the field that opens, Enter ends it.
void TypeIntoCell(QTableWidget* table, const QString& text) {
  QTest::keyClick(table, text[0].toLatin1());
  auto* field = table->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(field, nullptr) << "typing did not open the cell";
  QTest::keyClicks(field, text.mid(1));
  QTest::keyClick(field, Qt::Key_Return);
  test::Settle();  // the delegate commits on a queued call
}

TEST_F(WindowTest, CdTextEditorTypesFillsAndCancels) {
  if (!test::MissingTool({"sox", "lame"}).empty()) GTEST_SKIP() << "sox and lame tag an MP3";
  ASSERT_TRUE(test::RunAll(
      {{"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "@t.wav", "synth", "1", "sine", "440"},
       {"lame", "--quiet", "--tt", "Tagged", "--ta", "Ann", "--tl", "Live", "@t.wav", "@a.mp3"}},
      Dir.Path()));
  Window->DropPaths("Tracks", {Dir / "a.mp3", Wave("b.wav")});
  ASSERT_EQ(Ctx().Layout.Count(), 2);

  int shown = 0;
  Window->ShowCdTextDialog = [&](QDialog& dlg) {
    ++shown;
    auto& editor = static_cast<CdTextDialog&>(dlg);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    test::ExpectReadableNames(&dlg);
    QTableWidget* table = editor.Table();
    EXPECT_EQ(table->verticalHeaderItem(2)->text(), "Track 2");
    table->setFocus();
    table->setCurrentCell(0, 0);
    TypeIntoCell(table, "My disc");
    EXPECT_EQ(editor.Editor().Text(0, 0), "My disc");
    EXPECT_EQ(table->currentRow(), 1);  // Enter went down
    // What paste and filling do is the editor's; here, that the table and the button reach it.
    QTest::mouseClick(dlg.findChild<QPushButton*>("FillTagsBtn"), Qt::LeftButton);
    EXPECT_EQ(table->item(1, 0)->text(), "Tagged");
    EXPECT_EQ(dlg.findChild<QLabel*>("FilledLbl")->text(), "3 fields filled from tags.");
    EXPECT_EQ(dlg.findChild<QLabel*>("CdTextLimitsLbl")->text().left(14), "6 of 256 packs");

    QTest::mouseClick(dlg.findChild<QPushButton*>(shown == 1 ? "CancelBtn" : "OkBtn"),
                      Qt::LeftButton);
  };
  Window->Action("EditCdText")->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(Ctx().Layout.HasTypedCdText());
  EXPECT_FALSE(Ctx().Layout.CdTextEnabled);

  QTest::mouseClick(Child<QPushButton>("CdTextEditBtn"), Qt::LeftButton);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(Ctx().Layout.CdText.Fields[CdTextField::Title], "My disc");
  EXPECT_EQ(Ctx().Layout.At(0).CdText[CdTextField::Title], "Tagged");
  EXPECT_TRUE(Child<QCheckBox>("CdTextCk")->isChecked());
  EXPECT_TRUE(Window->Action("EditUndo")->isEnabled());
}

TEST_F(WindowTest, CdTextOnWithNothingToCarryOpensTheEditor) {
  QCheckBox* cdText = Child<QCheckBox>("CdTextCk");
  QTest::mouseClick(cdText, Qt::LeftButton);
  EXPECT_EQ(CdTextDialogsShown, 1);
  QTest::mouseClick(cdText, Qt::LeftButton);  // off
  Child<QLineEdit>("CdtEdit")->setText(QString::fromStdString(Dir / "disc.cdt"));
  QTest::mouseClick(cdText, Qt::LeftButton);  // on, with a file
  EXPECT_EQ(CdTextDialogsShown, 1);
}

}  // namespace
}  // namespace varnel
