// "Track Properties": the dialog that edits one track of the layout — ISRC, flags, zero
// padding, silence cutting and how the pre-gap is filled — on copies, stored in one go by
// OK or Apply when the checks pass. The window of TrackPropertiesEditor: it builds the
// widgets (each named as the system names the control), forwards every user action to the
// editor and redraws every widget from it.
#pragma once

#include <QDialog>
#include <QFont>
#include <array>
#include <functional>
#include <string>

#include "app/editors/TrackPropertiesEditor.h"
#include "ui/widgets/PreGapLengthControls.h"

class QButtonGroup;
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
