// "Default Properties Setting": the nine default track properties that every newly added
// track starts with. Each showing loads the controls from the settings; OK stores them
// back at once (the settings file receives them when the program closes); Cancel or the
// close box stores nothing. Tracks already in the layout never change. The window of
// DefaultTrackPropertiesEditor: it forwards every user action to the editor and redraws from it.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "app/editors/DefaultTrackPropertiesEditor.h"
#include "ui/widgets/PreGapLengthControls.h"

class QAbstractButton;
class QButtonGroup;

namespace varnel {

class DefaultTrackPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DefaultTrackPropertiesDialog(QWidget* parent = nullptr);

  // Shows the dialog modally (centred on its parent) over `settings`. QDialog::Accepted
  // when OK stored the values.
  int Edit(AppSettings& settings);

  DefaultTrackPropertiesEditor& Editor() { return Editor_; }
  // Every widget from the editor's state.
  void Refresh();

 private:
  void Accept();
  // The editor's action, then a redraw (nothing while the dialog writes widgets itself).
  void Act(const std::function<void()>& action);

  DefaultTrackPropertiesEditor Editor_;
  AppSettings* Settings_ = nullptr;
  PreGapLengthControls Length_;
  std::array<QButtonGroup*, 2> RadioSets_{};
  QAbstractButton* PreEmphCheck_;
  QAbstractButton* ProtectCheck_;
  QAbstractButton* PadHeadRadio_;
  QAbstractButton* PadTailRadio_;
  QAbstractButton* CutLeadingCheck_;
  QAbstractButton* CutTrailingCheck_;
  QAbstractButton* PreGapPadHeadRadio_;
  QAbstractButton* PreGapPadTailRadio_;
  QAbstractButton* PreGapCutLeadingCheck_;
  QAbstractButton* PreGapCutTrailingCheck_;
  bool Updating_ = false;
};

}  // namespace varnel
