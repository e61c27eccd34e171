// "Track Properties": the dialog that edits one track of the layout — ISRC, flags, zero
// padding, silence cutting and how the pre-gap is filled — on copies, stored in one go by
// OK or Apply when the checks pass. The window of TrackPropertiesEditor: it builds the
// widgets (each named as the system names the control), forwards every user action to the
// editor and redraws every widget from it.
//
// Also here: the minutes, seconds and frames fields of a pre-gap length with their arrows,
// which the default properties dialog uses too.
#pragma once

#include <QDialog>
#include <QFont>
#include <array>
#include <functional>
#include <initializer_list>
#include <string>

#include "app/editors/TrackPropertiesEditor.h"

class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace varnel {

class UpDown;

// The pre-gap length as three number fields (MinEdit, SecEdit, FrameEdit), each with its
// label and up-down arrows. Clicks and typing go to the callbacks; the fields show what
// Show is given. The up and down arrow keys in a field click its arrows.
class PreGapLengthControls {
 public:
  // Creates the nine widgets as children of `parent`.
  void Build(QWidget* parent);
  // The widgets in a row: label, field and arrows for minutes, seconds, frames.
  QHBoxLayout* MakeRow() const;

  QLabel* Lbl(LengthField f) const { return Lbl_[Index(f)]; }
  QLineEdit* Edit(LengthField f) const { return Edit_[Index(f)]; }
  UpDown* Ud(LengthField f) const { return Ud_[Index(f)]; }

  // Each field's text from the values (a field already showing its value is left alone).
  void Show(const PreGapLengthFields& length);

  std::function<void(LengthField, const std::string&)> Typed;
  std::function<void(LengthField, bool)> Clicked;
  // A field lost the focus or got Enter: the held value is shown again.
  std::function<void()> Finished;

 private:
  static size_t Index(LengthField f) { return static_cast<size_t>(f); }
  std::array<QLabel*, 3> Lbl_{};
  std::array<QLineEdit*, 3> Edit_{};
  std::array<UpDown*, 3> Ud_{};
};

// A set of radio buttons that exclude one another, and nothing else (radios that merely
// share a parent would reach into the radio groups nested below them). Tab stops at the
// checked one of the set; the arrow keys move between them.
QButtonGroup* RadioSet(QObject* owner, std::initializer_list<QAbstractButton*> radios);
// After the checked radio changed: Tab stops there (and only there) again.
void TabStopOnChecked(QButtonGroup* set);

// Places each character of `text` at its own place of a masked field: a blank (or any
// character the mask refuses there) leaves that place empty, where setText would shift the
// characters after it to the left.
void SetMaskedText(QLineEdit* edit, const std::string& text);

class TrackPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  // `positions` (may be null, or given later) is the position editor the two position
  // buttons open.
  explicit TrackPropertiesDialog(AppContext& ctx, PositionEditorPort* positions = nullptr,
                             QWidget* parent = nullptr);

  void SetPositionEditor(PositionEditorPort* positions) { Forward_.Target = positions; }

  // Shows the dialog modally on `track`, the two path fields in `listFont` (the track
  // list's font). `waveFileDir` goes in as the folder Browse starts in and comes back,
  // whatever closed the dialog, as the folder the last successful store left.
  int Execute(Track& track, std::string& waveFileDir, const QFont& listFont);

  TrackPropertiesEditor& Editor() { return Editor_; }
  QWidget* Control(TrackPropertyControl ctl) const { return Ctl_[static_cast<size_t>(ctl)]; }
  // Every widget from the editor's state.
  void Refresh();

 private:
  // Hands the position buttons on to whichever position editor is set then.
  struct ForwardPort : PositionEditorPort {
    PositionEditorPort* Target = nullptr;
    void EditPositions(const std::string& path, const WaveDataInfo& info, int32_t* trackStart,
                       int32_t* trackEnd, int32_t* preGapStart, int32_t* preGapEnd) override {
      if (Target != nullptr) {
        Target->EditPositions(path, info, trackStart, trackEnd, preGapStart, preGapEnd);
      }
    }
  };

  void BuildControls();
  // The editor's action, then a redraw (nothing while the dialog writes widgets itself).
  void Act(const std::function<void()>& action);

  ForwardPort Forward_;
  TrackPropertiesEditor Editor_;
  std::array<QWidget*, kTrackPropertyControlCount> Ctl_{};
  PreGapLengthControls Length_;
  std::array<QButtonGroup*, 3> RadioSets_{};
  bool Updating_ = false;
};

}  // namespace varnel
