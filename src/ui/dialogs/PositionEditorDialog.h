// "Position Editor": region boundaries inside one wave file set to the exact sample frame,
// with a cursor, four boundaries and their lengths, a waveform of the whole file, and
// preview playback from any point.
//
// The dialog is the window of PositionEditor: it builds the widgets (each named as the
// system names the control), forwards every user action to the editor and redraws every
// widget from it. It is the track property dialog's way to the position editor
// (PositionEditorPort): set up on a file with the caller's variables, shown modally,
// closed. The caller's variables are written only by a successful OK or Apply.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "app/editors/PositionEditor.h"
#include "app/ports/PositionEditorPort.h"

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace varnel {

class UpDownWidget;
class WavePlayer;
class WaveformWidget;

// Ticks under the track bar stand at least this many pixels apart.
inline constexpr int kMinTickSpacing = 8;
// The tick interval, in seconds, of a track bar running 0 … `maximum` over `pixels`: every
// 10 seconds while the ticks stand kMinTickSpacing apart, else the first of 30 s, 1, 2, 5,
// 10, 15 and 30 minutes and an hour that spaces them so.
int TrackBarTickInterval(int maximum, int pixels);

class PositionEditorDialog : public QDialog, public PositionEditorPort {
  Q_OBJECT
 public:
  // Plays through `device` when one is given, else through a WavePlayer of its own.
  explicit PositionEditorDialog(Prompter& prompter, QWidget* parent = nullptr,
                                PreviewDevice* device = nullptr);
  ~PositionEditorDialog() override;

  // Sets up the editor on the file with the caller's variables (each may be null), shows
  // the dialog modally and returns when it has closed.
  void EditPositions(const std::string& path, const WaveDataInfo& info, int32_t* trackStart,
                     int32_t* trackEnd, int32_t* preGapStart, int32_t* preGapEnd) override;

  PositionEditor& Editor() { return Editor_; }
  // The dialog's own player; null when it plays through a device it was given.
  WavePlayer* Player() const { return Player_.get(); }
  WaveformWidget* Strip() const { return Strip_; }
  QWidget* Control(PositionControl ctl) const { return Controls_[static_cast<size_t>(ctl)]; }

  // The device's report of how a play ended.
  void PlayEnded(PlayOutcome code);
  // Every widget from the editor's state (while a play runs, also on a clock, so that the
  // track bar and the waveform's playhead follow the sound).
  void Refresh();

 protected:
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 public slots:
  // Closing, whatever closed the dialog: playback stopped, the device closed, the file
  // and the caller's variables forgotten.
  void done(int result) override;

 private:
  // The widgets, row by row and group box by group box, each control named as the system
  // names it.
  void BuildControls();
  QHBoxLayout* BuildCursorRow();
  // The pre-gap's or the track's group: its two boundaries and the length between them.
  QGroupBox* BuildBoundaryGroup(PositionControl group);
  QGridLayout* BuildPlayer();
  QHBoxLayout* BuildButtonRow();
  // Every user action to the editor.
  void ConnectActions();
  void SetTabOrder();

  // A control made and kept under its system name; `accessible` names it for assistive
  // tools where neither its caption nor the label beside it says what it holds.
  QWidget* Put(PositionControl ctl, QWidget* w, const QString& accessible = QString());
  // A number field as wide as ten digits, with its input mask (none: null).
  QLineEdit* MakeField(PositionControl ctl, const char* mask,
                       const QString& accessible = QString());
  // Up-down arrows named after the value they step.
  UpDownWidget* MakeArrows(PositionControl ctl, const QString& stepped);
  QPushButton* MakeButton(PositionControl ctl, const char* caption);
  QLabel* MakeLabel(PositionControl ctl, const char* caption);

  void UpdateTicks();
  QLineEdit* Field(PositionControl ctl) const;
  // Text as shown, empty places included, for the editor's change actions.
  static std::string Shown(QLineEdit* edit);
  // The editor's action, then a redraw (nothing while the dialog writes widgets itself).
  void Act(const std::function<void()>& action);

  // Made before the editor, which plays through it.
  std::unique_ptr<WavePlayer> Player_;
  PositionEditor Editor_;
  std::array<QWidget*, kPositionControlCount> Controls_{};
  WaveformWidget* Strip_ = nullptr;
  // Follows the playhead while a play runs.
  QTimer PlayheadTimer_;
  bool Updating_ = false;
};

}  // namespace varnel
