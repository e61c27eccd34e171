// The default properties dialog's window: its controls bound to DefaultTrackPropertiesEditor, and
// the main window's Default properties command.
#include "ui/dialogs/DefaultTrackPropertiesDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "support/UiTestSupport.h"
#include "ui/widgets/UpDownWidget.h"

namespace varnel {
namespace {

// A click on the indicator of a radio button or check box, in the middle of a push button.
void ClickOn(QAbstractButton* b) {
  const bool indicator = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
  QTest::mouseClick(b, Qt::LeftButton, {},
                    indicator ? QPoint(6, b->height() / 2) : b->rect().center());
}

class DefaultTrackPropertiesDialogTest : public ::testing::Test {
 protected:
  // Runs the dialog modally on Settings; `act` plays the user and closes it.
  int Run(const std::function<void()>& act) {
    test::OnNextModal([&](QWidget* w) {
      EXPECT_EQ(w, &Dlg);
      act();
      if (Dlg.isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        Dlg.reject();
      }
    });
    return Dlg.Edit(Settings);
  }

  template <typename T = QWidget>
  T* Ctl(const char* name) {
    T* w = Dlg.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  bool On(const char* name) { return Ctl<QAbstractButton>(name)->isChecked(); }
  void Click(const char* name) { ClickOn(Ctl<QAbstractButton>(name)); }
  void Arrow(const char* ud, bool up) {
    UpDownWidget* u = Ctl<UpDownWidget>(ud);
    QTest::mouseClick(up ? u->UpButton() : u->DownButton(), Qt::LeftButton);
  }
  std::string Length() {
    return (Ctl<QLineEdit>("MinEdit")->text() + ":" + Ctl<QLineEdit>("SecEdit")->text() + ":" +
            Ctl<QLineEdit>("FrameEdit")->text())
        .toStdString();
  }

  AppSettings Settings;
  DefaultTrackPropertiesDialog Dlg;
};

TEST_F(DefaultTrackPropertiesDialogTest, ControlsCarryTheirNamesAndCaptions) {
  EXPECT_EQ(Dlg.windowTitle(), "Default Properties Setting");
  const std::pair<const char*, const char*> buttons[] = {
      {"PreEmphCk", "Pre-Emphasis"},
      {"ProtectCk", "Digital Copy Prohibition"},
      {"PadHeadRdBtn", "Head"},
      {"PadTailRdBtn", "Tail"},
      {"CutLeadCk", "Leading"},
      {"CutTrailCk", "Trailing"},
      {"PreGapPadHeadRdBtn", "Head"},
      {"PreGapPadTailRdBtn", "Tail"},
      {"PreGapCutLeadCk", "Leading"},
      {"PreGapCutTrailCk", "Trailing"},
      {"OkBtn", "&OK"},
      {"CancelBtn", "&Cancel"},
  };
  for (const auto& [name, caption] : buttons) {
    EXPECT_EQ(Ctl<QAbstractButton>(name)->text(), caption) << name;
  }
  Dlg.show();
  test::ExpectReadableNames(&Dlg);
  Dlg.hide();
  EXPECT_EQ(Ctl<QLabel>("MinLbl")->text(), "Min:");
  EXPECT_EQ(Ctl<QLabel>("SecLbl")->text(), "Sec:");
  EXPECT_EQ(Ctl<QLabel>("FrameLbl")->text(), "Frame:");
  const std::pair<const char*, const char*> edits[] = {
      {"MinEdit", "Min:"}, {"SecEdit", "Sec:"}, {"FrameEdit", "Frame:"}};
  for (const auto& [name, label] : edits) EXPECT_EQ(test::AccessibleName(Ctl(name)), label);
  // The pre-gap's own padding and silence boxes sit inside " Pre-Gap properties ".
  auto* preGap = Ctl<QGroupBox>("PreGapPropGbx");
  EXPECT_EQ(preGap->title(), " Pre-Gap properties ");
  EXPECT_TRUE(preGap->isAncestorOf(Ctl("PreGapPadTailRdBtn")));
  EXPECT_TRUE(preGap->isAncestorOf(Ctl("MinEdit")));
  EXPECT_EQ(Ctl<QGroupBox>("TrackPropGbx")->title(), " Track properties ");
  EXPECT_TRUE(Ctl<QGroupBox>("TrackPropGbx")->isAncestorOf(Ctl("PadTailRdBtn")));
}

// Without a settings file: flags off, track padding at the tail, 0:2:0, pre-gap padding
// at the head; Cancel stores nothing.
TEST_F(DefaultTrackPropertiesDialogTest, FirstShowingShowsTheBuiltInDefaults) {
  const int result = Run([&] {
    EXPECT_FALSE(On("PreEmphCk"));
    EXPECT_FALSE(On("ProtectCk"));
    EXPECT_TRUE(On("PadTailRdBtn"));
    EXPECT_FALSE(On("CutLeadCk"));
    EXPECT_FALSE(On("CutTrailCk"));
    EXPECT_EQ(Length(), "0:2:0");
    EXPECT_TRUE(On("PreGapPadHeadRdBtn"));
    EXPECT_FALSE(On("PreGapCutLeadCk"));
    EXPECT_FALSE(On("PreGapCutTrailCk"));
    Click("PreEmphCk");
    Arrow("SecUd", true);
    Click("CancelBtn");
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_FALSE(Settings.PreEmph);
  EXPECT_EQ(Settings.PreGapFrames, 150);
}

// 4499 frames show as 0:59:74; one click up carries to 1:0:0, stored as 4500.
TEST_F(DefaultTrackPropertiesDialogTest, OkStoresEveryControl) {
  Settings.PreGapFrames = 4499;
  Settings.TrackPaddingHead = true;
  Settings.PreGapCutTrailing = true;
  const int result = Run([&] {
    EXPECT_EQ(Length(), "0:59:74");
    EXPECT_TRUE(On("PadHeadRdBtn"));
    EXPECT_TRUE(On("PreGapCutTrailCk"));
    Arrow("FrameUd", true);
    EXPECT_EQ(Length(), "1:0:0");
    Click("PreEmphCk");
    Click("ProtectCk");
    Click("PadTailRdBtn");
    Click("CutLeadCk");
    Click("CutTrailCk");
    Click("PreGapPadTailRdBtn");
    Click("PreGapCutLeadCk");
    Click("PreGapCutTrailCk");
    Click("OkBtn");
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(Settings.PreGapFrames, 4500);
  EXPECT_TRUE(Settings.PreEmph);
  EXPECT_TRUE(Settings.Protect);
  EXPECT_FALSE(Settings.TrackPaddingHead);
  EXPECT_TRUE(Settings.TrackCutLeading);
  EXPECT_TRUE(Settings.TrackCutTrailing);
  EXPECT_FALSE(Settings.PreGapPaddingHead);
  EXPECT_TRUE(Settings.PreGapCutLeading);
  EXPECT_FALSE(Settings.PreGapCutTrailing);
}

// A stored length beyond 99:59:74 shows as 99:59:74, and OK stores what the fields show.
TEST_F(DefaultTrackPropertiesDialogTest, LengthBeyondTheFieldsIsStoredAsShown) {
  Settings.PreGapFrames = 500000;
  Run([&] {
    EXPECT_EQ(Length(), "99:59:74");
    Arrow("FrameUd", true);  // refused
    EXPECT_EQ(Length(), "99:59:74");
    Click("OkBtn");
  });
  EXPECT_EQ(Settings.PreGapFrames, 449999);

  // Down to 00:00:00 by typing, then the arrows stop there; OK stores 0.
  Run([&] {
    for (const char* name : {"MinEdit", "SecEdit", "FrameEdit"}) {
      auto* e = Ctl<QLineEdit>(name);
      e->setFocus();
      e->selectAll();
      QTest::keyClicks(e, "0");
    }
    Arrow("FrameUd", false);
    Arrow("SecUd", false);
    Arrow("MinUd", false);
    EXPECT_EQ(Length(), "0:0:0");
    Click("OkBtn");
  });
  EXPECT_EQ(Settings.PreGapFrames, 0);
}

// The Default properties command shows the dialog centred on the main window over its
// settings; the next track added takes the new defaults.
using test::WindowTest;

TEST_F(WindowTest, DefaultPropertiesCommandOpensTheDialog) {
  DefaultTrackPropertiesDialog dlg(Window.get());
  Window->ShowDefaultPropertiesDialog = [&] { dlg.Edit(Ctx().Settings); };
  test::OnNextModal([&](QWidget* w) {
    EXPECT_EQ(w, &dlg);
    const QPoint offset = dlg.frameGeometry().center() - Window->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 4);
    ClickOn(dlg.findChild<QCheckBox*>("ProtectCk"));
    UpDownWidget* min = dlg.findChild<UpDownWidget*>("MinUd");
    QTest::mouseClick(min->UpButton(), Qt::LeftButton);
    QTest::mouseClick(dlg.findChild<QPushButton*>("OkBtn"), Qt::LeftButton);
  });
  Window->Action("SettingsDefault")->trigger();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(Ctx().Settings.Protect);
  EXPECT_EQ(Ctx().Settings.PreGapFrames, 150 + 4500);
  Window->DropPaths("Tracks", {Wave("a.wav")});
  EXPECT_TRUE(Ctx().Layout.At(0).Protect);
  EXPECT_EQ(Ctx().Layout.At(0).GetPreGapLength(), 4650);
}

}  // namespace
}  // namespace varnel
