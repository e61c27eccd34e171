// The track property dialog's window: every control bound to TrackPropertiesEditor, the
// position buttons to the position dialog, and the main window's Track properties command.
#include "ui/dialogs/TrackPropertiesDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "app/commands/TrackListCommands.h"
#include "support/FakePreviewDevice.h"
#include "support/FakePrompter.h"
#include "support/TestFiles.h"
#include "support/UiTestSupport.h"
#include "ui/dialogs/PositionEditorDialog.h"
#include "ui/widgets/UpDownWidget.h"

namespace varnel {
namespace {

using C = TrackPropertyControl;

template <typename T = QWidget>
T* Find(const QWidget& root, const char* name) {
  T* w = root.findChild<T*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// A click where a user clicks a button: on the indicator of a radio button or check box
// (a click beside its caption does nothing), in the middle of anything else.
void ClickOn(QAbstractButton* b) {
  const bool indicator = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
  QTest::mouseClick(b, Qt::LeftButton, {},
                    indicator ? QPoint(6, b->height() / 2) : b->rect().center());
}

// Replaces a field's whole text by typing, as a user does.
void TypeInto(QLineEdit* e, const QString& text) {
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
}

class TrackPropertiesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Ctx.RedrawTracks = [this] { ++Redraws; };
  }

  // A 16-bit stereo 44.1 kHz wave track of `frames` sample frames, added as the main window
  // adds it (its bytes counted in TotalBytes).
  Track& AddWave(const std::string& name, size_t frames = 588 * 75) {
    EXPECT_TRUE(AddTrackFile(Ctx, test::WriteWave(Dir / name, {{frames, false}})));
    return Ctx.Layout.At(Ctx.Layout.Count() - 1);
  }
  int64_t SumOfTracks() {
    int64_t sum = 0;
    for (int32_t i = 0; i < Ctx.Layout.Count(); ++i) sum += Ctx.Layout.At(i).GetTotalBytes();
    return sum;
  }

  // Runs the dialog modally on `track`; `act` plays the user while it is up and must close
  // it (a dialog still open afterwards is cancelled, and the test fails).
  int Run(Track& track, const std::function<void()>& act) {
    test::OnNextModal([&](QWidget* w) {
      EXPECT_EQ(w, &Dlg);
      Dlg.activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&Dlg));
      act();
      if (Dlg.isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        Dlg.reject();
      }
    });
    return Dlg.Edit(track, WaveDir, ListFont);
  }

  template <typename T = QWidget>
  T* Ctl(C ctl) {
    return Find<T>(Dlg, TrackPropertyControlName(ctl));
  }
  QLineEdit* Edit(C ctl) { return Ctl<QLineEdit>(ctl); }
  std::string Text(C ctl) { return Edit(ctl)->displayText().toStdString(); }
  bool On(C ctl) { return Ctl<QAbstractButton>(ctl)->isChecked(); }
  void Click(C ctl) { ClickOn(Ctl<QAbstractButton>(ctl)); }
  void Arrow(C ud, bool up) {
    UpDownWidget* u = Ctl<UpDownWidget>(ud);
    QTest::mouseClick(up ? u->UpButton() : u->DownButton(), Qt::LeftButton);
  }
  std::string Length() {
    return Text(C::MinEdit) + ":" + Text(C::SecEdit) + ":" + Text(C::FrameEdit);
  }

  test::TempDir Dir;
  test::FakePrompter Prompter;
  AppContext Ctx{Prompter};
  int Redraws = 0;
  test::FakePreviewDevice Device;
  PositionEditorDialog PosDlg{Prompter, nullptr, &Device};
  TrackPropertiesDialog Dlg{Ctx, &PosDlg};
  std::string WaveDir = "/start";
  QFont ListFont{"Courier New", 15};
};

TEST_F(TrackPropertiesDialogTest, ControlsCarryTheirNamesAndCaptions) {
  EXPECT_EQ(Dlg.windowTitle(), "Track Properties");
  for (int32_t i = 0; i < kTrackPropertyControlCount; ++i) {
    QWidget* w = Dlg.findChild<QWidget*>(TrackPropertyControlName(static_cast<C>(i)));
    ASSERT_NE(w, nullptr) << TrackPropertyControlName(static_cast<C>(i));
    EXPECT_EQ(w, Dlg.Control(static_cast<C>(i)));
  }
  // Assistive tools read each control by what a person sees: the label beside an edit,
  // what a button acts on where two captions repeat, the field an arrow steps.
  Dlg.show();
  test::ExpectReadableNames(&Dlg);
  const std::pair<C, const char*> names[] = {
      {C::TrackPathEdit, "Track File:"},
      {C::ISRCEdit, "ISRC:"},
      {C::MinEdit, "Min:"},
      {C::SecEdit, "Sec:"},
      {C::FrameEdit, "Frame:"},
      {C::PreGapPathEdit, "File:"},
      {C::PosBtn, "Positions in the track file"},
      {C::PreGapPosBtn, "Positions in the hidden track file"},
      {C::PreGapBrowseBtn, "Browse for hidden track file"},
      {C::PreGapPadGroup, "Padding"},
      {C::PreGapSilenceGroup, "Silence"},
  };
  for (const auto& [ctl, name] : names) {
    EXPECT_EQ(test::AccessibleName(Dlg.Control(ctl)), name) << TrackPropertyControlName(ctl);
  }
  auto* minUd = static_cast<UpDownWidget*>(Dlg.Control(C::MinUd));
  EXPECT_EQ(test::AccessibleName(minUd->UpButton()), "Pre-gap minutes up");
  EXPECT_EQ(test::AccessibleName(minUd->DownButton()), "Pre-gap minutes down");
  Dlg.hide();
  const std::pair<C, const char*> captions[] = {
      {C::PosBtn, "&Position"},
      {C::PreEmphCk, "Pre-Emphasis"},
      {C::ProtectCk, "Digital Copy Prohibition"},
      {C::PadHeadRdBtn, "Head"},
      {C::PadTailRdBtn, "Tail"},
      {C::CutLeadCk, "Leading"},
      {C::CutTrailCk, "Trailing"},
      {C::PreGapNormalRdBtn, "Normal(Silence)"},
      {C::PreGapFileRdBtn, "Hidden Track(Another file)"},
      {C::PreGapBrowseBtn, "&Browse"},
      {C::PreGapPosBtn, "Pos&ition"},
      {C::PreGapPadHeadRdBtn, "Head"},
      {C::GapCutTrailCk, "Trailing"},
      {C::PreGapIndexRdBtn, "Hidden Track(Same file)"},
      {C::OkBtn, "&OK"},
      {C::ApplyBtn, "&Apply"},
      {C::CancelBtn, "&Cancel"},
  };
  for (const auto& [ctl, caption] : captions) {
    EXPECT_EQ(Ctl<QAbstractButton>(ctl)->text(), caption) << TrackPropertyControlName(ctl);
  }
  for (const auto& [ctl, caption] :
       {std::pair{C::MinLbl, "Min:"}, std::pair{C::SecLbl, "Sec:"},
        std::pair{C::FrameLbl, "Frame:"}, std::pair{C::HdnFileLbl, "File:"},
        std::pair{C::PreGapPadLbl, "Padding:"}, std::pair{C::PreGapSilenceLbl, "Silence:"}}) {
    EXPECT_EQ(Ctl<QLabel>(ctl)->text(), caption);
  }
  EXPECT_EQ(Ctl<QGroupBox>(C::SilenceGroup)->title(), " Cut Silence ");
  // Letters are typed in capitals, the only form a recorder accepts.
  EXPECT_EQ(Edit(C::ISRCEdit)->inputMask(), ">NNNNN9999999;_");
  EXPECT_TRUE(Edit(C::TrackPathEdit)->isReadOnly());
}

TEST_F(TrackPropertiesDialogTest, ShowingLoadsTheTrackIntoTheWidgets) {
  const std::string hidden = test::WriteWave(Dir / "h.wav", {{588 * 10, false}});
  Track& t = AddWave("a.wav");
  t.ISRC = "JP ZZ0012 45";  // blanks stay in their places
  t.PreEmph = true;
  t.TrackCutTrailing = true;
  t.TrackPaddingHead = true;
  t.SetPreGapStyle(PreGapFile);
  WaveDataInfo info{44, 588 * 40, 2, 16, 44100};
  t.SetPreGapFile(hidden, info);
  t.PreGapPaddingHead = false;
  t.PreGapCutLeading = true;
  t.SetPreGapLength(4500 + 2 * 75 + 3);
  Run(t, [&] {
    EXPECT_EQ(Text(C::TrackPathEdit), t.TrackFileName);
    EXPECT_EQ(Edit(C::TrackPathEdit)->font().family(), ListFont.family());
    EXPECT_EQ(Edit(C::PreGapPathEdit)->font().pointSize(), 15);
    EXPECT_EQ(Text(C::ISRCEdit), "JP_ZZ0012_45");
    EXPECT_TRUE(On(C::PreEmphCk));
    EXPECT_FALSE(On(C::ProtectCk));
    EXPECT_TRUE(On(C::PadHeadRdBtn));
    EXPECT_FALSE(On(C::PadTailRdBtn));
    EXPECT_FALSE(On(C::CutLeadCk));
    EXPECT_TRUE(On(C::CutTrailCk));
    EXPECT_TRUE(On(C::PreGapFileRdBtn));
    EXPECT_FALSE(On(C::PreGapNormalRdBtn));
    EXPECT_EQ(Text(C::PreGapPathEdit), hidden);
    EXPECT_TRUE(On(C::PreGapPadTailRdBtn));
    EXPECT_TRUE(On(C::GapCutLeadCk));
    EXPECT_EQ(Length(), "1:2:3");
    Dlg.reject();
  });
  // Cancel stored nothing.
  EXPECT_EQ(t.ISRC, "JP ZZ0012 45");
  EXPECT_EQ(Redraws, 0);
  EXPECT_EQ(WaveDir, "/start");
}

// The widgets show the editor's enable table after every click of a style radio, for a
// wave track and for an MP3 track.
TEST_F(TrackPropertiesDialogTest, StyleRadiosSetTheEnabledWidgets) {
  Track& wave = AddWave("a.wav");
  Track mp3("/m/song.mp3", FileModeMp3, WaveDataInfo{});
  for (Track* t : {&wave, &mp3}) {
    Run(*t, [&] {
      for (C radio : {C::PreGapIndexRdBtn, C::PreGapFileRdBtn, C::PreGapNormalRdBtn}) {
        Click(radio);
        for (int32_t i = 0; i < kTrackPropertyControlCount; ++i) {
          const auto ctl = static_cast<C>(i);
          EXPECT_EQ(Dlg.Control(ctl)->isEnabled(), Dlg.Editor().Usable(ctl))
              << TrackPropertyControlName(ctl) << " after " << TrackPropertyControlName(radio);
        }
      }
      Dlg.reject();
    });
  }
  // Spot checks of the table itself.
  Run(wave, [&] {
    Click(C::PreGapIndexRdBtn);
    EXPECT_TRUE(On(C::PreGapIndexRdBtn));
    EXPECT_FALSE(Ctl(C::PadHeadRdBtn)->isEnabled());
    EXPECT_FALSE(Ctl(C::MinEdit)->isEnabled());
    EXPECT_FALSE(Ctl(C::PreGapPathEdit)->isEnabled());
    EXPECT_TRUE(Ctl(C::PosBtn)->isEnabled());
    const QPalette app = QApplication::palette(Edit(C::MinEdit));
    EXPECT_EQ(Edit(C::MinEdit)->palette().color(QPalette::Disabled, QPalette::Base),
              app.color(QPalette::Active, QPalette::Button));
    Click(C::PreGapFileRdBtn);
    EXPECT_TRUE(Ctl(C::GapCutLeadCk)->isEnabled());
    EXPECT_EQ(Edit(C::PreGapPathEdit)->palette().color(QPalette::Active, QPalette::Base),
              app.color(QPalette::Active, QPalette::Base));
    Dlg.reject();
  });
  Run(mp3, [&] {
    EXPECT_FALSE(Ctl(C::PosBtn)->isEnabled());
    EXPECT_FALSE(Ctl(C::PreGapFileRdBtn)->isEnabled());
    EXPECT_FALSE(Ctl(C::CutLeadCk)->isEnabled());
    EXPECT_TRUE(Ctl(C::MinEdit)->isEnabled());
    EXPECT_TRUE(Ctl(C::ISRCEdit)->isEnabled());
    Dlg.reject();
  });
}

TEST_F(TrackPropertiesDialogTest, EditsReachTheTrackOnOk) {
  Track& t = AddWave("a.wav");
  AddWave("b.wav");
  t.SetPreGapLength(59 * 75 + 74);  // 00:59:74
  Ctx.Layout.TotalBytes = SumOfTracks();
  const int result = Run(t, [&] {
    Edit(C::ISRCEdit)->setFocus();
    Edit(C::ISRCEdit)->setCursorPosition(0);
    QTest::keyClicks(Edit(C::ISRCEdit), "GBxyz7654321");
    Click(C::PreEmphCk);
    Click(C::ProtectCk);
    Click(C::PadHeadRdBtn);
    Click(C::CutLeadCk);
    Click(C::GapCutTrailCk);  // disabled in this style: no change
    Click(C::PreGapPadTailRdBtn);
    // The frames arrow at 74 carries into the seconds and, at 59 seconds, the minutes.
    Arrow(C::FrameUd, true);
    EXPECT_EQ(Length(), "1:0:0");
    Arrow(C::SecUd, false);
    EXPECT_EQ(Length(), "0:59:0");
    // The arrow keys in a field click its arrows.
    Edit(C::FrameEdit)->setFocus();
    QTest::keyClick(Edit(C::FrameEdit), Qt::Key_Down);
    EXPECT_EQ(Length(), "0:58:74");
    TypeInto(Edit(C::MinEdit), "12");
    Click(C::OkBtn);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  // Letters are taken in capitals, the only form a recorder accepts.
  EXPECT_EQ(t.ISRC, "GBXYZ7654321");
  EXPECT_TRUE(t.PreEmph);
  EXPECT_TRUE(t.Protect);
  EXPECT_TRUE(t.TrackPaddingHead);
  EXPECT_TRUE(t.TrackCutLeading);
  EXPECT_FALSE(t.PreGapCutTrailing);
  EXPECT_TRUE(t.PreGapPaddingHead);  // the pair was disabled too
  EXPECT_EQ(t.PreGapMin, 12);
  EXPECT_EQ(t.PreGapSec, 58);
  EXPECT_EQ(t.PreGapFrame, 74);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTracks());
  EXPECT_EQ(Redraws, 1);
}

TEST_F(TrackPropertiesDialogTest, LengthFieldsStopAtTheirEnds) {
  Track& t = AddWave("a.wav");
  Run(t, [&] {
    TypeInto(Edit(C::MinEdit), "99");
    TypeInto(Edit(C::SecEdit), "59");
    TypeInto(Edit(C::FrameEdit), "74");
    Arrow(C::FrameUd, true);
    Arrow(C::SecUd, true);
    Arrow(C::MinUd, true);
    EXPECT_EQ(Length(), "99:59:74");
    TypeInto(Edit(C::SecEdit), "0");
    TypeInto(Edit(C::FrameEdit), "0");
    TypeInto(Edit(C::MinEdit), "0");
    Arrow(C::FrameUd, false);
    Arrow(C::SecUd, false);
    EXPECT_EQ(Length(), "0:0:0");
    // A field emptied by the user shows the value it holds once it is left.
    TypeInto(Edit(C::FrameEdit), "7");
    QTest::keyClick(Edit(C::FrameEdit), Qt::Key_Backspace);
    EXPECT_EQ(Text(C::FrameEdit), "");
    QTest::keyClick(Edit(C::FrameEdit), Qt::Key_Tab);
    EXPECT_EQ(Text(C::FrameEdit), "7");
    Click(C::OkBtn);
  });
  EXPECT_EQ(t.GetPreGapLength(), 7);
}

// A stored length beyond 99:59:74 shows as the largest the fields hold, and OK stores that.
TEST_F(TrackPropertiesDialogTest, LengthBeyondTheFieldsIsStoredAsShown) {
  Track& t = AddWave("a.wav");
  t.PreGapMin = 200;
  Ctx.Layout.TotalBytes = SumOfTracks();
  Run(t, [&] {
    EXPECT_EQ(Length(), "99:59:74");
    Click(C::OkBtn);
  });
  EXPECT_EQ(t.GetPreGapLength(), kMaxLengthFrames);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTracks());
}

TEST_F(TrackPropertiesDialogTest, FailedStoresKeepTheDialogOpenAndStoreNothing) {
  Track& t = AddWave("a.wav");
  const int64_t total = Ctx.Layout.TotalBytes;
  Run(t, [&] {
    Click(C::PreGapFileRdBtn);
    Click(C::OkBtn);
    EXPECT_TRUE(Dlg.isVisible());
    Click(C::PreGapIndexRdBtn);  // a new track: pre-gap and track start both 0
    Click(C::ApplyBtn);
    EXPECT_TRUE(Dlg.isVisible());
    Click(C::CancelBtn);
  });
  EXPECT_EQ(Prompter.Log,
            (std::vector<std::string>{"Warning: Select a wave file for the hidden track.",
                                      "Warning: Set pre-gap and track length."}));
  EXPECT_EQ(t.PreGapStyle(), PreGapNormal);
  EXPECT_EQ(Ctx.Layout.TotalBytes, total);
  EXPECT_EQ(Redraws, 0);
}

// Browse refuses a mono file (the folder moves all the same), accepts a CD-audio one;
// Apply stores it and corrects the total; Cancel keeps what was applied, and the folder.
TEST_F(TrackPropertiesDialogTest, BrowseApplyThenCancel) {
  std::filesystem::create_directories(Dir / "mono");
  std::filesystem::create_directories(Dir / "hidden");
  std::vector<uint8_t> data(4000, 1);
  const std::string mono = Dir / "mono/m.wav";
  test::WriteBytes(mono, test::WaveBytes(data, 1));
  const std::string hidden = test::WriteWave(Dir / "hidden/h.wav", {{588 * 300, false}});
  Track& t = AddWave("a.wav");
  const int64_t before = t.GetTotalBytes();
  Prompter.OpenAnswers = {{mono}, {hidden}};
  const int result = Run(t, [&] {
    Click(C::PreGapFileRdBtn);
    Click(C::PreGapBrowseBtn);
    EXPECT_EQ(Text(C::PreGapPathEdit), "");
    Click(C::PreGapBrowseBtn);
    EXPECT_EQ(Text(C::PreGapPathEdit), hidden);
    Click(C::ApplyBtn);
    EXPECT_TRUE(Dlg.isVisible());
    EXPECT_EQ(t.PreGapFileName(), hidden);
    Click(C::CancelBtn);
  });
  EXPECT_EQ(result, QDialog::Rejected);
  ASSERT_EQ(Prompter.Requests.size(), 2u);
  EXPECT_EQ(Prompter.Requests[0].InitialDir, "/start");
  EXPECT_EQ(Prompter.Requests[1].InitialDir, Dir / "mono");
  EXPECT_EQ(Prompter.Requests[0].Filter, kWaveOpenFilter);
  EXPECT_EQ(Prompter.Log[1], "Error: \"" + mono + "\" is not PCM, 44.1kHz, 16bit, Streo. ");
  EXPECT_EQ(WaveDir, Dir / "hidden");
  EXPECT_EQ(t.PreGapStyle(), PreGapFile);
  EXPECT_EQ(t.PreGapEndPos(), 588 * 300);
  EXPECT_EQ(t.GetTotalBytes(), before + 2352 * 300 - 2352 * 150);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTracks());
}

// "&Position" opens the position dialog on the track's file with the pending positions;
// what it applies comes back into the dialog, and OK stores it in the track.
TEST_F(TrackPropertiesDialogTest, PositionButtonsOpenThePositionDialog) {
  Track& t = AddWave("a.wav", 588 * 100);
  const int64_t before = t.GetTotalBytes();
  Run(t, [&] {
    // "Pos&ition" without a hidden-track path does nothing.
    Click(C::PreGapFileRdBtn);
    Click(C::PreGapPosBtn);
    EXPECT_FALSE(PosDlg.isVisible());

    Click(C::PreGapIndexRdBtn);
    test::OnNextModal(
        [&](QWidget* w) {
          EXPECT_EQ(w, &PosDlg);
          EXPECT_EQ(PosDlg.Editor().ShownFileName(), t.TrackFileName);
          EXPECT_TRUE(PosDlg.Editor().HasTarget(Boundary::PreGapStart));
          EXPECT_FALSE(PosDlg.Editor().HasTarget(Boundary::PreGapEnd));
          auto* start = Find<QLineEdit>(PosDlg, "TrackStartEdit");
          TypeInto(start, "0000005880");
          QTest::mouseClick(Find<QPushButton>(PosDlg, "OkBtn"), Qt::LeftButton);
        },
        &Dlg);
    Click(C::PosBtn);
    EXPECT_FALSE(PosDlg.isVisible());
    EXPECT_EQ(Dlg.Editor().PendingTrackStartPos(), 5880);
    EXPECT_EQ(t.TrackStartPos(), 0);  // nothing stored before OK
    Click(C::OkBtn);
  });
  EXPECT_EQ(t.PreGapStyle(), PreGapIndex);
  EXPECT_EQ(t.TrackStartPos(), 5880);
  EXPECT_EQ(t.TrackEndPos(), 588 * 100);
  // The same-file pre-gap takes the 10 CD frames before the track start from the track's
  // own audio instead of the two seconds of silence.
  EXPECT_EQ(t.GetTotalBytes(), before - 2352 * 150);
  EXPECT_EQ(Ctx.Layout.TotalBytes, SumOfTracks());
}

// The main window's Track properties command opens the dialog on the selected track and
// takes the wave folder back; the status bar shows the new total.
using test::WindowTest;

TEST_F(WindowTest, TrackPropertiesCommandOpensTheTrackDialog) {
  const std::string a = Wave("a.wav");
  std::filesystem::create_directories(Dir / "sub");
  const std::string hidden = test::WriteWave(Dir / "sub/h.wav", {{588 * 75 * 10, false}});
  Window->DropPaths("Tracks", {a});
  PositionEditorDialog positions(Prompter, Window.get());
  TrackPropertiesDialog dlg(Ctx(), &positions, Window.get());
  Window->ShowTrackPropertiesDialog = [&](Track& t, std::string& dir) {
    dlg.Edit(t, dir, List()->font());
  };
  EXPECT_EQ(Panel(2), " 00:03:00");
  List()->setCurrentIndex(List()->Model()->index(0));
  Prompter.OpenAnswers = {{hidden}};
  test::OnNextModal([&](QWidget* w) {
    EXPECT_EQ(w, &dlg);
    EXPECT_EQ(Find<QLineEdit>(dlg, "TrackPathEdit")->text().toStdString(), a);
    EXPECT_EQ(Find<QLineEdit>(dlg, "TrackPathEdit")->font(), List()->font());
    ClickOn(Find<QRadioButton>(dlg, "PreGapFileRdBtn"));
    QTest::mouseClick(Find<QPushButton>(dlg, "PreGapBrowseBtn"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(dlg, "OkBtn"), Qt::LeftButton);
  });
  Window->Action("EditProperty")->trigger();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(Ctx().Settings.WaveFileDir, Dir / "sub");
  // One second of track, ten of hidden audio, and the leading silence frames a disc
  // with a hidden first track gets.
  EXPECT_EQ(Panel(2), QString(" 00:11:%1").arg(Ctx().Settings.NumFrames, 2, 10, QChar('0')));
  EXPECT_TRUE(Ctx().Settings.AddFrames);
  EXPECT_EQ(Ctx().Layout.At(0).PreGapFileName(), hidden);
}

}  // namespace
}  // namespace varnel
