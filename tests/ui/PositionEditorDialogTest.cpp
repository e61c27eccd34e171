// The position editor's window: every control bound to PositionEditor, the track bar and
// the two buttons to the (scripted) preview device, and the waveform strip.
#include "ui/dialogs/PositionEditorDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>

#include "support/FakePreviewDevice.h"
#include "support/FakePrompter.h"
#include "support/TestFiles.h"
#include "support/UiTestSupport.h"
#include "ui/widgets/UpDownWidget.h"
#include "ui/widgets/WaveformWidget.h"

namespace varnel {
namespace {

using P = PositionControl;

WaveDataInfo DataOf(int32_t size) {
  return WaveDataInfo{44, size, 2, 16, 44100};
}

class PositionEditorDialogTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (Dlg.isVisible()) Dlg.reject();
  }

  // Sets the dialog up as the track property dialog does, and shows it (without a modal
  // loop: the test acts as the user in between).
  void Open(const std::string& path, const WaveDataInfo& info, int32_t* ts, int32_t* te,
            int32_t* ps, int32_t* pe) {
    Dlg.Editor().SetupPositions(path, info, ts, te, ps, pe);
    Dlg.Refresh();
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
  }
  void OpenTrack(int32_t dataSize) {
    Open("/w/a.wav", DataOf(dataSize), &TrackStart, &TrackEnd, nullptr, nullptr);
  }

  template <typename T = QWidget>
  T* Ctl(P ctl) {
    T* w = Dlg.findChild<T*>(PositionControlName(ctl));
    EXPECT_NE(w, nullptr) << PositionControlName(ctl);
    return w;
  }
  QLineEdit* Edit(P ctl) { return Ctl<QLineEdit>(ctl); }
  std::string Text(P ctl) { return Edit(ctl)->displayText().toStdString(); }

  // Replaces a field's whole text by typing, as a user does.
  void Type(P ctl, const QString& text) {
    QLineEdit* e = Edit(ctl);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  void Key(P ctl, Qt::Key key) {
    Edit(ctl)->setFocus();
    QTest::keyClick(Edit(ctl), key);
  }
  void Arrow(P ud, bool up) {
    UpDownWidget* u = Ctl<UpDownWidget>(ud);
    QTest::mouseClick(up ? u->UpButton() : u->DownButton(), Qt::LeftButton);
  }
  void Click(P button) { QTest::mouseClick(Ctl<QPushButton>(button), Qt::LeftButton); }

  test::TempDir Dir;
  test::FakePrompter Prompter;
  test::FakePreviewDevice Device;
  PositionEditorDialog Dlg{Prompter, nullptr, &Device};
  int32_t TrackStart = 0, TrackEnd = 0, PreGapStart = 0, PreGapEnd = 0;
};

TEST_F(PositionEditorDialogTest, ControlsCarryTheirNamesCaptionsAndMasks) {
  EXPECT_EQ(Dlg.windowTitle(), "Position Editor");
  for (int32_t i = 0; i < kPositionControlCount; ++i) {
    QWidget* w = Dlg.findChild<QWidget*>(PositionControlName(static_cast<P>(i)));
    ASSERT_NE(w, nullptr) << PositionControlName(static_cast<P>(i));
  }
  Dlg.Editor().SetupPositions(Dir / "x.wav", WaveDataInfo{44, 4000, 2, 16, 44100}, &TrackStart,
                              &TrackEnd, &PreGapStart, &PreGapEnd);
  Dlg.show();
  test::ExpectReadableNames(&Dlg);
  const std::pair<P, const char*> names[] = {
      {P::PosEdit, "Cursor:"},
      {P::TrackStartEdit, "Start:"},
      {P::PreGapEndEdit, "End:"},
      {P::TrackLengthEdit, "Length:"},
      {P::TrackBar, "Position in seconds"},
  };
  for (const auto& [ctl, name] : names) {
    EXPECT_EQ(test::AccessibleName(Ctl(ctl)), name) << PositionControlName(ctl);
  }
  auto* ud = Ctl<UpDownWidget>(P::PreGapStartUd);
  EXPECT_EQ(test::AccessibleName(ud->UpButton()), "Pre-gap start up");
  // A label that changes reads as what it shows.
  EXPECT_EQ(test::AccessibleName(Ctl(P::LengthLbl)), Ctl<QLabel>(P::LengthLbl)->text());
  Dlg.reject();
  EXPECT_EQ(Ctl<QPushButton>(P::SetStartBtn)->text(), "Track Start");
  EXPECT_EQ(Ctl<QPushButton>(P::SetEndBtn)->text(), "Track End");
  EXPECT_EQ(Ctl<QPushButton>(P::SetPreGapStartBtn)->text(), "PreGap Start");
  EXPECT_EQ(Ctl<QPushButton>(P::SetPreGapEndBtn)->text(), "PreGap End");
  EXPECT_EQ(Ctl<QPushButton>(P::PlayBtn)->text(), "&Play");
  EXPECT_EQ(Ctl<QPushButton>(P::StopBtn)->text(), "&Stop");
  EXPECT_EQ(Ctl<QPushButton>(P::OkBtn)->text(), "&OK");
  EXPECT_EQ(Ctl<QPushButton>(P::ApplyBtn)->text(), "&Apply");
  EXPECT_EQ(Ctl<QPushButton>(P::CancelBtn)->text(), "&Cancel");
  EXPECT_EQ(Ctl<QGroupBox>(P::PreGapGroup)->title(), " Pre-Gap ");
  EXPECT_EQ(Ctl<QGroupBox>(P::TrackGroup)->title(), " Track ");
  EXPECT_EQ(Ctl<QLabel>(P::TrackStartLbl)->text(), "Start:");
  EXPECT_EQ(Ctl<QLabel>(P::PreGapEndLbl)->text(), "End:");
  EXPECT_EQ(Ctl<QLabel>(P::TrackLengthLbl)->text(), "Length:");
  EXPECT_EQ(Ctl<QLabel>(P::TrackBarStartLbl)->text(), "00:00");
  EXPECT_EQ(Edit(P::PosEdit)->inputMask(), "9999999999;_");
  EXPECT_EQ(Edit(P::PosMSFEdit)->inputMask(), "99:99:99;_");
  EXPECT_EQ(Edit(P::TrackEndEdit)->inputMask(), "9999999999;_");
  // The length fields show computed values: read-only, and Tab passes them by.
  for (P len :
       {P::TrackLengthEdit, P::TrackLengthMSFEdit, P::PreGapLengthEdit, P::PreGapLengthMSFEdit}) {
    EXPECT_TRUE(Edit(len)->isReadOnly());
    EXPECT_FALSE(Edit(len)->focusPolicy() & Qt::TabFocus);
  }
  auto* bar = Ctl<QSlider>(P::TrackBar);
  EXPECT_EQ(bar->tickPosition(), QSlider::TicksBelow);
  EXPECT_EQ(bar->tickInterval(), 10);
  EXPECT_EQ(bar->pageStep(), 10);
}

// "&Position" in the silence style edits the track's start and end only; the same-file
// style adds the pre-gap start; "Pos&ition" edits the hidden-track file's pre-gap region.
TEST_F(PositionEditorDialogTest, TheThreeConfigurations) {
  TrackStart = 1000;
  TrackEnd = 300000;  // beyond the file: shown as its end
  OpenTrack(1000000);
  EXPECT_TRUE(Ctl(P::TrackGroup)->isEnabled());
  EXPECT_FALSE(Ctl(P::PreGapGroup)->isEnabled());
  EXPECT_FALSE(Ctl(P::PreGapStartEdit)->isEnabled());
  EXPECT_FALSE(Ctl(P::SetPreGapStartBtn)->isEnabled());
  EXPECT_TRUE(Ctl(P::SetStartBtn)->isEnabled());
  EXPECT_EQ(Text(P::TrackStartEdit), "0000001000");
  EXPECT_EQ(Text(P::TrackEndEdit), "0000250000");
  EXPECT_EQ(Text(P::TrackLengthEdit), "0000249000");
  EXPECT_EQ(Text(P::TrackLengthMSFEdit), "00:05:48+");
  EXPECT_EQ(Text(P::PreGapStartEdit), "__________");
  EXPECT_EQ(Text(P::PosEdit), "0000000000");
  EXPECT_EQ(Text(P::PosMSFEdit), "00:00:00");
  EXPECT_EQ(Ctl<QLabel>(P::LengthLbl)->text(), "00:06");
  EXPECT_EQ(Ctl<QSlider>(P::TrackBar)->maximum(), 6);
  EXPECT_TRUE(Ctl(P::PlayBtn)->isEnabled());
  EXPECT_EQ(Device.Log, std::vector<std::string>{"Open /w/a.wav"});
  Dlg.reject();

  PreGapStart = 400;
  Open("/w/a.wav", DataOf(1000000), &TrackStart, &TrackEnd, &PreGapStart, nullptr);
  EXPECT_TRUE(Ctl(P::PreGapGroup)->isEnabled());
  EXPECT_TRUE(Ctl(P::PreGapStartEdit)->isEnabled());
  EXPECT_FALSE(Ctl(P::PreGapEndEdit)->isEnabled());
  EXPECT_FALSE(Ctl(P::SetPreGapEndBtn)->isEnabled());
  EXPECT_EQ(Text(P::PreGapLengthEdit), "0000000600");
  EXPECT_EQ(Text(P::PreGapLengthMSFEdit), "00:00:01+");
  Dlg.reject();

  Open("/w/h.wav", DataOf(1000000), nullptr, nullptr, &PreGapStart, &PreGapEnd);
  EXPECT_FALSE(Ctl(P::TrackGroup)->isEnabled());
  EXPECT_FALSE(Ctl(P::SetStartBtn)->isEnabled());
  EXPECT_TRUE(Ctl(P::PreGapEndEdit)->isEnabled());
  EXPECT_EQ(Text(P::TrackLengthEdit), "");
  EXPECT_EQ(Text(P::PreGapLengthEdit), "-0000000400");
  EXPECT_EQ(Text(P::PreGapLengthMSFEdit), "-00:00:00+");
}

// Typing, the arrows and the arrow keys of the two cursor fields, held within the file
// (1 000 000 bytes: 250 000 sample frames, the last whole CD frame 425).
TEST_F(PositionEditorDialogTest, CursorFieldsFollowTheUser) {
  OpenTrack(1000000);
  Type(P::PosEdit, "0000999999");
  EXPECT_EQ(Text(P::PosEdit), "0000250000");
  EXPECT_EQ(Text(P::PosMSFEdit), "00:05:50");
  EXPECT_EQ(Dlg.Editor().CursorPos(), 250000);
  Arrow(P::PosMSFUd, true);  // at frame 425 already: the cursor goes to its start
  EXPECT_EQ(Text(P::PosEdit), "0000249900");
  Arrow(P::PosUd, true);
  Key(P::PosEdit, Qt::Key_Up);
  EXPECT_EQ(Text(P::PosEdit), "0000249902");
  Key(P::PosMSFEdit, Qt::Key_Down);
  EXPECT_EQ(Text(P::PosEdit), "0000249312");  // frame 424

  Type(P::PosMSFEdit, "000001");
  EXPECT_EQ(Text(P::PosMSFEdit), "00:00:01");
  EXPECT_EQ(Text(P::PosEdit), "0000000588");
  Type(P::PosMSFEdit, "999999");  // 99:59:74, then held at the end of the file
  EXPECT_EQ(Text(P::PosEdit), "0000250000");
  // An emptied place makes the text no number: the cursor goes to 0.
  Edit(P::PosEdit)->setFocus();
  Edit(P::PosEdit)->setCursorPosition(10);
  QTest::keyClick(Edit(P::PosEdit), Qt::Key_Backspace);
  EXPECT_EQ(Text(P::PosEdit), "0000000000");
  // Typing over one digit keeps the caret where the user is.
  Edit(P::PosEdit)->setCursorPosition(5);
  QTest::keyClicks(Edit(P::PosEdit), "12");
  EXPECT_EQ(Text(P::PosEdit), "0000012000");
  EXPECT_EQ(Edit(P::PosEdit)->cursorPosition(), 7);
  EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(PositionEditorDialogTest, BoundariesLengthsAndTheirColours) {
  Open("/w/a.wav", DataOf(1000000), &TrackStart, &TrackEnd, &PreGapStart, nullptr);
  Type(P::TrackEndEdit, "0000001200");
  EXPECT_EQ(Text(P::TrackLengthEdit), "0000001200");
  Type(P::PosEdit, "0000001800");
  Click(P::SetStartBtn);
  EXPECT_EQ(Text(P::TrackStartEdit), "0000001800");
  // The same-file pre-gap ends at the track start: both lengths follow it.
  EXPECT_EQ(Text(P::TrackLengthEdit), "-0000000600");
  EXPECT_EQ(Text(P::TrackLengthMSFEdit), "-00:00:01+");
  EXPECT_EQ(Text(P::PreGapLengthEdit), "0000001800");
  const QColor normal = Edit(P::PreGapLengthEdit)->palette().color(QPalette::Text);
  EXPECT_EQ(Edit(P::TrackLengthEdit)->palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_EQ(Edit(P::TrackLengthMSFEdit)->palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_NE(normal, QColor(Qt::red));

  Type(P::TrackEndEdit, "0000002388");
  EXPECT_EQ(Text(P::TrackLengthMSFEdit), "00:00:01");
  EXPECT_EQ(Edit(P::TrackLengthEdit)->palette().color(QPalette::Text), normal);
  Arrow(P::TrackEndUd, false);
  Key(P::TrackEndEdit, Qt::Key_Down);
  EXPECT_EQ(Text(P::TrackEndEdit), "0000002386");
  Arrow(P::PreGapStartUd, false);  // at 0 already
  EXPECT_EQ(Text(P::PreGapStartEdit), "0000000000");

  // Enter in a boundary field moves the cursor there and plays from it.
  Device.Log.clear();
  Key(P::TrackEndEdit, Qt::Key_Return);
  EXPECT_EQ(Text(P::PosEdit), "0000002386");
  EXPECT_EQ(Device.Log, std::vector<std::string>{"Play 2386"});
  EXPECT_TRUE(Dlg.Editor().Playing());
  EXPECT_TRUE(Dlg.isVisible());  // Enter did not press OK
}

// A disabled field keeps the colour of the button face; an enabled one the window's.
TEST_F(PositionEditorDialogTest, DisabledFieldsArePaintedInTheButtonFaceColour) {
  OpenTrack(1000000);
  const QPalette app = QApplication::palette(Edit(P::PreGapStartEdit));
  EXPECT_EQ(Edit(P::PreGapStartEdit)->palette().color(QPalette::Disabled, QPalette::Base),
            app.color(QPalette::Active, QPalette::Button));
  EXPECT_EQ(Edit(P::TrackStartEdit)->palette().color(QPalette::Active, QPalette::Base),
            app.color(QPalette::Active, QPalette::Base));
}

TEST_F(PositionEditorDialogTest, OkApplyAndCancelThroughTheModalDialog) {
  TrackStart = 100;
  TrackEnd = 5000;
  // OK with a track of no length: the warning, nothing written, the dialog stays.
  test::OnNextModal([&](QWidget* w) {
    EXPECT_EQ(w, &Dlg);
    Type(P::TrackEndEdit, "0000000100");
    Click(P::OkBtn);
    EXPECT_TRUE(Dlg.isVisible());
    EXPECT_EQ(TrackEnd, 5000);
    // Apply writes; Cancel afterwards keeps what was applied.
    Type(P::TrackEndEdit, "0000000101");
    Click(P::ApplyBtn);
    EXPECT_EQ(TrackEnd, 101);
    Type(P::TrackEndEdit, "0000009999");
    Click(P::CancelBtn);
  });
  Dlg.EditPositions("/w/a.wav", DataOf(1000000), &TrackStart, &TrackEnd, nullptr, nullptr);
  EXPECT_FALSE(Dlg.isVisible());
  EXPECT_EQ(TrackStart, 100);
  EXPECT_EQ(TrackEnd, 101);
  EXPECT_EQ(Prompter.Log, std::vector<std::string>{"Warning: Track must be larger than zero.\""});
  // Closing forgot the file and the targets.
  EXPECT_EQ(Dlg.Editor().ShownFileName(), "");
  EXPECT_FALSE(Dlg.Editor().HasTarget(Boundary::TrackEnd));

  // A target beyond the file is shown, and written back, as the end of the file.
  TrackEnd = 999999999;
  test::OnNextModal([&](QWidget*) {
    EXPECT_EQ(Text(P::TrackEndEdit), "0000250000");
    Type(P::TrackStartEdit, "0000000000");
    Click(P::OkBtn);
  });
  Dlg.EditPositions("/w/a.wav", DataOf(1000000), &TrackStart, &TrackEnd, nullptr, nullptr);
  EXPECT_FALSE(Dlg.isVisible());
  EXPECT_EQ(TrackStart, 0);
  EXPECT_EQ(TrackEnd, 250000);
}

// 10 000 000 bytes last 56.69 s: the track bar runs to 57; playback follows a move only
// while playing; closing while playing stops before it closes.
TEST_F(PositionEditorDialogTest, TrackBarPlayAndStop) {
  OpenTrack(10000000);
  auto* bar = Ctl<QSlider>(P::TrackBar);
  EXPECT_EQ(bar->maximum(), 57);
  EXPECT_EQ(Ctl<QLabel>(P::LengthLbl)->text(), "00:57");
  Device.Log.clear();
  bar->setFocus();
  QTest::keyClick(bar, Qt::Key_End);
  EXPECT_EQ(Text(P::PosEdit), "0002500000");
  EXPECT_EQ(Text(P::PosMSFEdit), "00:56:51");
  QTest::keyClick(bar, Qt::Key_Home);
  Click(P::PlayBtn);
  QTest::keyClick(bar, Qt::Key_PageUp);  // 10 s on: playback restarts there
  EXPECT_EQ(Text(P::PosEdit), "0000441000");
  Dlg.PlayEnded(PlayOutcome::Superseded);
  Click(P::StopBtn);
  QTest::keyClick(bar, Qt::Key_Right);  // stopped: no sound
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"Play 0", "Play 441000", "Stop"}));

  // The end of the file clears Playing: a later move stays silent.
  Device.Log.clear();
  Click(P::PlayBtn);
  Dlg.PlayEnded(PlayOutcome::Successful);
  EXPECT_FALSE(Dlg.Editor().Playing());
  QTest::keyClick(bar, Qt::Key_Right);
  // Enter in the MSF field jumps: the track bar shows the cursor's second.
  Type(P::PosMSFEdit, "000512");
  Key(P::PosMSFEdit, Qt::Key_Enter);
  EXPECT_EQ(bar->value(), 5);
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"Play 485100", "Play 227556"}));

  Device.Log.clear();
  Dlg.reject();
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"Stop", "Close"}));
}

// While a play runs the track bar and the waveform's playhead follow the sound (the
// cursor stays); holding the handle, the user wins; after the play the bar stands where
// it stood before.
TEST_F(PositionEditorDialogTest, TrackBarAndPlayheadFollowThePlay) {
  OpenTrack(10000000);
  auto* bar = Ctl<QSlider>(P::TrackBar);
  Type(P::PosEdit, "0000132300");  // 3 s
  Click(P::PlayBtn);
  Device.Heard = 44100 * 12 + 7;
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == 12; }, 2000));
  EXPECT_EQ(Dlg.Strip()->Playhead(), 44100 * 12 + 7);
  EXPECT_EQ(Text(P::PosEdit), "0000132300");
  EXPECT_EQ(Device.Log.back(), "Play 132300");  // following is no new play command
  bar->setSliderDown(true);
  Device.Heard = 44100 * 20;
  QTest::qWait(150);
  EXPECT_EQ(bar->value(), 12);
  bar->setSliderDown(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == 20; }, 2000));
  Dlg.PlayEnded(PlayOutcome::Successful);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(Dlg.Strip()->Playhead(), -1);
}

// A click in the groove puts the handle (and the cursor) where it was clicked, not a
// page further.
TEST_F(PositionEditorDialogTest, AClickInTheGrooveJumpsThere) {
  OpenTrack(44100 * 4 * 100);  // 100 seconds
  auto* bar = Ctl<QSlider>(P::TrackBar);
  bar->setFocus();
  QTest::keyClick(bar, Qt::Key_Home);
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = Qt::Horizontal;
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  const QRect groove =
      bar->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, bar);
  QTest::mouseClick(bar, Qt::LeftButton, {},
                    QPoint(groove.left() + groove.width() * 3 / 4, bar->height() / 2));
  EXPECT_GT(bar->value(), 60);
  EXPECT_EQ(Text(P::PosEdit), PositionText(int64_t{bar->value()} * 44100));

  // A click in the waveform moves the cursor there and the track bar with it.
  QTest::mouseClick(Dlg.Strip(), Qt::LeftButton, {}, QPoint(Dlg.Strip()->width() / 4, 5));
  EXPECT_GT(bar->value(), 15);
  EXPECT_LT(bar->value(), 35);
  EXPECT_EQ(bar->value(), std::stoll(Text(P::PosEdit)) / 44100);
}

// Ticks stand apart enough to be read: one every 10 s for short files, thinned for long
// ones.
TEST(TrackBarTicks, IntervalKeepsTheTicksApart) {
  const struct {
    int Maximum;
    int Pixels;
    int Interval;
  } cases[] = {{57, 400, 10},    {600, 480, 10},    {601, 480, 30},    {4800, 480, 120},
               {4800, 1000, 60}, {12173, 300, 600}, {12173, 10, 3600}, {0, 400, 10}};
  for (const auto& c : cases) {
    const int interval = TrackBarTickInterval(c.Maximum, c.Pixels);
    EXPECT_EQ(interval, c.Interval) << c.Maximum << " over " << c.Pixels;
    if (c.Maximum > 0 && interval < 3600) {
      EXPECT_GE(c.Pixels * interval / c.Maximum, kMinTickSpacing);
    }
  }
  // In the dialog: an 80-minute file gets no 480 ticks.
  test::FakePrompter prompter;
  test::FakePreviewDevice device;
  PositionEditorDialog dlg(prompter, nullptr, &device);
  int32_t start = 0, end = 0;
  dlg.Editor().SetupPositions("/x.wav", DataOf(176400 * 4800), &start, &end, nullptr, nullptr);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  auto* bar = dlg.findChild<QSlider*>("TrackBar");
  EXPECT_EQ(bar->maximum(), 4800);
  EXPECT_GE(bar->width() * bar->tickInterval() / 4800, kMinTickSpacing);
  dlg.reject();
}

TEST_F(PositionEditorDialogTest, AFileWithoutDataOpensQuietly) {
  OpenTrack(0);
  EXPECT_EQ(Ctl<QSlider>(P::TrackBar)->maximum(), 0);
  EXPECT_EQ(Ctl<QLabel>(P::LengthLbl)->text(), "00:00");
  Type(P::PosEdit, "0000000099");
  Arrow(P::PosMSFUd, true);
  EXPECT_EQ(Text(P::PosEdit), "0000000000");
  QTest::mouseClick(Dlg.Strip(), Qt::LeftButton, {}, QPoint(Dlg.Strip()->width() / 2, 5));
  EXPECT_EQ(Text(P::PosEdit), "0000000000");
  Click(P::PlayBtn);
  EXPECT_EQ(Device.Log.back(), "Play 0");
  Dlg.reject();

  // A summary with a negative size (never from a real header) is a file without data too.
  Open(Dir / "none.wav", DataOf(-4000), &TrackStart, &TrackEnd, nullptr, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Dlg.Strip()->Computing(); }, 10000));
  EXPECT_EQ(Ctl<QSlider>(P::TrackBar)->maximum(), 0);
  Type(P::TrackEndEdit, "0000000010");
  EXPECT_EQ(Text(P::TrackEndEdit), "0000000000");
  Dlg.Strip()->grab();  // painting an empty strip
}

// Play stays available and tries the device again when pressed: a sound server started
// after the dialog opened is found.
TEST_F(PositionEditorDialogTest, ADeviceThatCannotOpenIsTriedAgainByPlayWithoutAMessage) {
  Device.OpenResult = false;
  Device.Failure = "Play is unavailable: no sound output was found.";
  OpenTrack(1000000);
  EXPECT_TRUE(Ctl(P::PlayBtn)->isEnabled());
  // The pointer and assistive tools learn why.
  EXPECT_EQ(Ctl(P::PlayBtn)->toolTip(), "Play is unavailable: no sound output was found.");
  EXPECT_EQ(Ctl(P::PlayBtn)->accessibleDescription(), Ctl(P::PlayBtn)->toolTip());
  EXPECT_TRUE(Ctl(P::StopBtn)->isEnabled());
  Type(P::PosEdit, "0000000005");
  Key(P::PosEdit, Qt::Key_Return);
  EXPECT_FALSE(Dlg.Editor().Playing());
  Click(P::PlayBtn);
  EXPECT_FALSE(Dlg.Editor().Playing());
  EXPECT_TRUE(Prompter.Log.empty());
  Device.OpenResult = true;
  Click(P::PlayBtn);
  EXPECT_TRUE(Dlg.Editor().Playing());
  EXPECT_EQ(Ctl(P::PlayBtn)->toolTip(), "");
  Dlg.reject();
  OpenTrack(1000000);  // every showing opens again
  EXPECT_TRUE(Ctl(P::PlayBtn)->isEnabled());
  EXPECT_EQ(Ctl(P::PlayBtn)->toolTip(), "");
}

// Sound, two seconds of digital silence, sound: the strip fills in from its worker, shows
// the silence, takes clicks as cursor moves and is drawn from the cache the next time.
TEST_F(PositionEditorDialogTest, WaveformStripFillsInAndMovesTheCursor) {
  const std::string path =
      test::WriteWave(Dir / "w.wav", {{44100, false}, {88200, true}, {44100, false}});
  const WaveDataInfo info = DataOf(176400 * 4);
  WaveformWidget* strip = Dlg.Strip();
  Open(path, info, &TrackStart, &TrackEnd, nullptr, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return strip->Peaks() != nullptr; }, 10000));
  EXPECT_FALSE(strip->Computing());
  const WavePeaks& peaks = *strip->Peaks();
  EXPECT_EQ(peaks.SampleCount, 176400);
  ASSERT_EQ(peaks.Silences.size(), 1u);
  EXPECT_LE(peaks.Silences[0].First, 44100 + 588);
  EXPECT_GE(peaks.Silences[0].End, 132300 - 588);
  EXPECT_EQ(peaks.Columns.front().Max, 1000);

  // A click in the middle of the silence puts the cursor there, to the sample frame.
  const int x = strip->XOf(88200);
  QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(x, strip->height() / 2));
  const int32_t p = strip->PositionAt(x);
  EXPECT_EQ(Dlg.Editor().CursorPos(), p);
  EXPECT_EQ(Text(P::PosEdit), PositionText(p));
  EXPECT_NEAR(p, 88200, 176400 / std::max(1, strip->width() - 1) + 1);
  EXPECT_EQ(strip->Cursor(), p);
  Type(P::PosEdit, "0000000007");
  EXPECT_EQ(strip->Cursor(), 7);
  Dlg.reject();

  // The next showing of the same file draws from the cache at once.
  Open(path, info, &TrackStart, &TrackEnd, nullptr, nullptr);
  EXPECT_NE(strip->Peaks(), nullptr);
  EXPECT_FALSE(strip->Computing());
  Dlg.reject();

  // A file that cannot be read leaves the strip empty, and the dialog works on.
  Open(Dir / "missing.wav", info, &TrackStart, &TrackEnd, nullptr, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !strip->Computing(); }, 10000));
  EXPECT_TRUE(strip->Unreadable());
  EXPECT_EQ(strip->Peaks(), nullptr);
  Type(P::PosEdit, "0000000588");
  EXPECT_EQ(Text(P::PosMSFEdit), "00:00:01");
}

// Closing while the peaks of a long file are still being computed cancels the worker.
TEST_F(PositionEditorDialogTest, ClosingCancelsAComputationInProgress) {
  std::vector<uint8_t> data;
  test::AppendFrames(data, 44100 * 30, false);
  test::WriteBytes(Dir / "long.wav", test::WaveBytes(data));
  const WaveDataInfo info = DataOf(static_cast<int32_t>(data.size()));
  Open(Dir / "long.wav", info, &TrackStart, &TrackEnd, nullptr, nullptr);
  Dlg.reject();
  EXPECT_FALSE(Dlg.Strip()->Computing());
  EXPECT_EQ(Dlg.Strip()->Peaks(), nullptr);
  QTest::qWait(50);
  // A result that was on its way is dropped: the strip stays empty.
  EXPECT_EQ(Dlg.Strip()->Peaks(), nullptr);
}

}  // namespace
}  // namespace varnel
