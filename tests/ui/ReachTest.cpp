// Reaching everything: the keyboard (Tab through every dialog in reading order, the track
// list's keys) and the eye (nothing cut off or overlapping at the smallest sizes, the
// window's title telling which layout is open and whether it changed).
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "app/commands/LayoutFile.h"
#include "app/commands/TrackListCommands.h"
#include "model/PathNames.h"
#include "support/FakePreviewDevice.h"
#include "support/UiTestSupport.h"
#include "ui/dialogs/DefaultTrackPropertiesDialog.h"
#include "ui/dialogs/GeneralSettingsDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"
#include "ui/dialogs/PositionEditorDialog.h"
#include "ui/dialogs/TrackPropertiesDialog.h"

namespace varnel {
namespace {

// The control a focus widget stands for: itself, or the named control it is a part of.
QString ControlName(QWidget* w) {
  for (; w != nullptr; w = w->parentWidget()) {
    if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) return w->objectName();
  }
  return QString();
}

// The controls Tab visits in `window` from `first` until the focus comes round again.
QStringList TabCycle(QWidget* window, QWidget* first) {
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  first->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(QTest::qWaitFor([first] { return first->hasFocus(); }, 2000));
  QStringList seen;

  QWidget* start = QApplication::focusWidget();
  for (int i = 0; i < 100 && QApplication::focusWidget() != nullptr; ++i) {
    QWidget* now = QApplication::focusWidget();
    seen << ControlName(now);
    QTest::keyClick(now, Qt::Key_Tab);
    if (QApplication::focusWidget() == start) break;
  }
  return seen;
}

// Each of `wanted` is visited, in this order; an entry "A|B" is met by either (the stop of
// a radio pair).
void ExpectTabOrder(const QStringList& seen, const QStringList& wanted) {
  qsizetype at = 0;
  for (const QString& w : wanted) {
    const QStringList any = w.split('|');
    qsizetype found = -1;
    for (qsizetype i = at; i < seen.size() && found < 0; ++i) {
      if (any.contains(seen[i])) found = i;
    }
    EXPECT_GE(found, 0) << w.toStdString() << " not reached in order; Tab visits "
                        << seen.join(", ").toStdString();
    if (found >= 0) at = found + 1;
  }
}

class ReachTest : public test::WindowTest {
 protected:
  Track& AddTrack() {
    Window->DropPaths("Tracks", {Wave("a.wav", 588 * 75 * 4)});
    return Ctx().Layout.At(Ctx().Layout.Count() - 1);
  }
  test::FakePreviewDevice Device;
};

TEST_F(ReachTest, TabReachesEveryControlOfTheMainWindowInReadingOrder) {
  const QStringList seen = TabCycle(Window.get(), Child<QWidget>("BinPathEdit"));
  ExpectTabOrder(seen, {"BinPathEdit", "BinBrowseBtn", "CdTextCk", "CdtEdit", "CdTextEditBtn",
                        "CdtBrowseBtn", "CatalogEdit", "WaveBrowseBtn", "WaveClearbtn", "Tracks"});
}

TEST_F(ReachTest, TabReachesEveryControlOfTrackPropertiesInEachStyle) {
  Track& track = AddTrack();
  TrackPropertiesDialog dlg(Ctx(), nullptr, Window.get());
  const QStringList top = {"TrackPathEdit", "PosBtn",    "ISRCEdit",
                           "PreEmphCk",     "ProtectCk", "PadHeadRdBtn|PadTailRdBtn",
                           "CutLeadCk",     "CutTrailCk"};
  const QStringList buttons = {"OkBtn", "ApplyBtn", "CancelBtn"};
  struct Case {
    uint8_t Style;
    QStringList PreGap;
  } const cases[] = {
      {PreGapNormal, {"PreGapNormalRdBtn", "MinEdit", "SecEdit", "FrameEdit"}},
      {PreGapFile,
       {"PreGapFileRdBtn", "PreGapPathEdit", "PreGapBrowseBtn", "PreGapPosBtn",
        "PreGapPadHeadRdBtn|PreGapPadTailRdBtn", "GapCutLeadCk", "GapCutTrailCk"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Style));
    track.SetPreGapStyle(c.Style);
    track.SetPreGapFile(Dir / "a.wav", track.WaveInfo);
    track.PreGapPaddingHead = true;
    track.TrackPaddingHead = false;
    test::OnNextModal([&](QWidget*) {
      // Each radio set shows its own choice: the pre-gap style's radios do not reach into
      // the padding radios nested in the same box.
      auto on = [&](TrackPropertyControl ctl) {
        return static_cast<QAbstractButton*>(dlg.Control(ctl))->isChecked();
      };
      EXPECT_TRUE(on(c.Style == PreGapNormal ? TrackPropertyControl::PreGapNormalRdBtn
                                             : TrackPropertyControl::PreGapFileRdBtn));
      EXPECT_TRUE(on(TrackPropertyControl::PreGapPadHeadRdBtn));
      EXPECT_TRUE(on(TrackPropertyControl::PadTailRdBtn));
      ExpectTabOrder(TabCycle(&dlg, dlg.Control(TrackPropertyControl::TrackPathEdit)),
                     top + c.PreGap + buttons);
      dlg.reject();
    });
    std::string dir;
    dlg.Edit(track, dir, List()->font());
  }
}

TEST_F(ReachTest, TabReachesEveryControlOfThePositionEditor) {
  PositionEditorDialog dlg(Prompter, Window.get(), &Device);
  int32_t start = 0, end = 44100, preGap = 0;
  dlg.Editor().SetupPositions(Dir / "a.wav", WaveDataInfo{44, 44100 * 40, 2, 16, 44100}, &start,
                              &end, &preGap, nullptr);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ExpectTabOrder(TabCycle(&dlg, dlg.Control(PositionControl::PosEdit)),
                 {"PosEdit", "PosMSFEdit", "SetStartBtn", "SetEndBtn", "SetPreGapStartBtn",
                  "PreGapStartEdit", "TrackStartEdit", "TrackEndEdit", "TrackBar", "PlayBtn",
                  "StopBtn", "OkBtn", "ApplyBtn", "CancelBtn"});
  dlg.reject();
}

TEST_F(ReachTest, TabReachesEveryControlOfTheSettingsDialogs) {
  DefaultTrackPropertiesDialog def(Window.get());
  def.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&def));
  ExpectTabOrder(TabCycle(&def, def.findChild<QWidget*>("PreEmphCk")),
                 {"PreEmphCk", "ProtectCk", "PadHeadRdBtn|PadTailRdBtn", "CutLeadCk", "CutTrailCk",
                  "MinEdit", "SecEdit", "FrameEdit", "PreGapPadHeadRdBtn|PreGapPadTailRdBtn",
                  "PreGapCutLeadCk", "PreGapCutTrailCk", "OkBtn", "CancelBtn"});
  def.hide();

  GeneralSettingsDialog gen(Prompter, Window.get());
  gen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&gen));
  ExpectTabOrder(TabCycle(&gen, gen.findChild<QWidget*>("WorkDirEdit")),
                 {"WorkDirEdit", "BrowseBtn", "AddFrameChk", "FramesEdit|FramesUd", "AlwaysMakeCk",
                  "RelNameCk", "CdrdaoTocCk", "OkBtn", "CancelBtn"});
  gen.hide();
}

// The main window at its smallest and at its default size, and every dialog at its
// smallest: no control outside its window or over another, no text cut off.
TEST_F(ReachTest, NothingIsCutOffAtTheSmallestSizes) {
  AddTrack();
  for (QSize size : {QSize(500, 400), QSize(kDefaultWindowWidth, kDefaultWindowHeight)}) {
    SCOPED_TRACE(size.width());
    Window->resize(size);
    test::Settle();
    test::ExpectNothingClipped(Window.get());
  }
  TrackPropertiesDialog dlg(Ctx(), nullptr, Window.get());
  PositionEditorDialog pos(Prompter, Window.get(), &Device);
  DefaultTrackPropertiesDialog def(Window.get());
  GeneralSettingsDialog gen(Prompter, Window.get());
  MakeProgressDialog progress(Window.get());
  for (QDialog* dlg : std::initializer_list<QDialog*>{&dlg, &pos, &def, &gen, &progress}) {
    SCOPED_TRACE(dlg->objectName().toStdString());
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    dlg->resize(dlg->minimumSizeHint().expandedTo(dlg->minimumSize()));
    test::Settle();
    test::ExpectNothingClipped(dlg);
    dlg->hide();
  }
}

// Enter opens the selected track's properties, Delete and Ctrl+Del remove it, Alt+Up and
// Alt+Down move it; the title shows that the layout changed and that undoing it is no
// change.
TEST_F(ReachTest, TrackListKeys) {
  Window->DropPaths("Tracks", {Wave("one.wav"), Wave("two.wav"), Wave("three.wav")});
  Prompter.SaveAnswers = {Dir / "disc.txt"};
  Window->Action("FileSave")->trigger();
  EXPECT_EQ(Window->windowTitle(), "disc.txt \u2014 Varnel");
  std::vector<std::string> opened;
  Window->ShowTrackPropertiesDialog = [&](Track& t, std::string&) {
    opened.push_back(t.TrackFileName);
  };
  auto order = [this] {
    std::string names;
    for (int32_t i = 0; i < Ctx().Layout.Count(); ++i) {
      names += FileNamePart(Ctx().Layout.At(i).TrackFileName).substr(0, 2);
    }
    return names;
  };
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  List()->setFocus();
  List()->setCurrentIndex(List()->Model()->index(1));

  QTest::keyClick(List(), Qt::Key_Return);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], Dir / "two.wav");
  QTest::keyClick(List(), Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(order(), "twonth");
  EXPECT_EQ(Ctx().SelectedTrack, 0);
  EXPECT_EQ(Window->windowTitle(), "disc.txt* \u2014 Varnel");
  QTest::keyClick(List(), Qt::Key_Up, Qt::AltModifier);  // at the top: nothing
  EXPECT_EQ(order(), "twonth");
  QTest::keyClick(List(), Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(order(), "ontwth");
  EXPECT_EQ(Window->windowTitle(), "disc.txt \u2014 Varnel");
  QTest::keyClick(List(), Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(order(), "onthtw");
  EXPECT_EQ(Ctx().SelectedTrack, 2);

  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(order(), "onth");
  EXPECT_EQ(Child<QLabel>("StatusPanel0")->text(), " Total: 02 tracks");
  List()->setCurrentIndex(List()->Model()->index(0));
  QTest::keyClick(List(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(order(), "th");
  EXPECT_EQ(Window->windowTitle(), "disc.txt* \u2014 Varnel");
  EXPECT_TRUE(Prompter.Log.size() == 1 && Prompter.Log[0].rfind("Save: ", 0) == 0);
}

// Loading a file that is no layout, whatever it is, leaves the window as it was.
TEST_F(ReachTest, LoadingAFileThatIsNoLayoutKeepsTheWindowAsItWas) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  Child<QLineEdit>("CdtEdit")->setText("/x.cdt");
  const std::string garbage = Wave("big.wav", 588 * 75 * 30);
  Prompter.SaveChangesAnswers = {SaveAnswer::Discard};
  Prompter.OpenAnswers = {{garbage}};
  Window->Action("FileLoad")->trigger();
  EXPECT_EQ(Prompter.Log.back(),
            "Error: " + garbage + " is not a disc layout file generated by VNL.");
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(Child<QLineEdit>("CdtEdit")->text(), "/x.cdt");
  EXPECT_EQ(Child<QLabel>("StatusPanel0")->text(), " Total: 02 tracks");
  EXPECT_EQ(Window->windowTitle(), "Untitled* \u2014 Varnel");
}

}  // namespace
}  // namespace varnel
