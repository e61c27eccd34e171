// "Track Properties": the dialog that edits one track of the layout — ISRC, flags, zero
// padding, silence cutting and how the pre-gap is filled — on copies, stored in one go by
// OK or Apply when the checks pass. The window of TrackPropertiesEditor: it builds the
// widgets (each named as the system names the control), forwards every user action to the
// editor and redraws every widget from it.
#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "app/editors/TrackPropertiesEditor.h"
#include "ui/widgets/PreGapLengthControls.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace varnel {

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
  int Edit(Track& track, std::string& waveFileDir, const QFont& listFont);

  TrackPropertiesEditor& Editor() { return Editor_; }
  QWidget* Control(TrackPropertyControl ctl) const { return Controls_[static_cast<size_t>(ctl)]; }
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

  // The widgets, by group box, each control named as the system names it.
  void BuildControls();
  QGridLayout* BuildTrackRows();
  QGroupBox* BuildPaddingGroup();
  QGroupBox* BuildSilenceGroup();
  QGroupBox* BuildPreGapGroup();
  QHBoxLayout* BuildButtonRow();
  void SetTabOrder();
  // Every user action to the editor.
  void ConnectActions();

  // A control made and kept under its system name; `accessible` names it for assistive
  // tools where neither its caption nor the label beside it says what it acts on.
  QWidget* Put(TrackPropertyControl ctl, QWidget* w, const QString& accessible = QString());
  QPushButton* MakeButton(TrackPropertyControl ctl, const char* caption, QWidget* parent,
                          const QString& accessible = QString());
  QCheckBox* MakeCheck(TrackPropertyControl ctl, const char* caption, QWidget* parent);
  QRadioButton* MakeRadio(TrackPropertyControl ctl, const char* caption, QWidget* parent);
  QLabel* MakeLabel(TrackPropertyControl ctl, const char* caption, QWidget* parent);
  QGroupBox* MakeGroup(TrackPropertyControl ctl, const char* title, QWidget* parent,
                       const QString& accessible);
  QAbstractButton* Button(TrackPropertyControl ctl) const;
  QLineEdit* Field(TrackPropertyControl ctl) const;

  // The editor's action, then a redraw (nothing while the dialog writes widgets itself).
  void Act(const std::function<void()>& action);

  ForwardPort Forward_;
  TrackPropertiesEditor Editor_;
  std::array<QWidget*, kTrackPropertyControlCount> Controls_{};
  PreGapLengthControls Length_;
  std::array<QButtonGroup*, 3> RadioSets_{};
  bool Updating_ = false;
};

}  // namespace varnel
