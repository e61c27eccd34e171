// The pre-gap length as three number fields (MinEdit, SecEdit, FrameEdit), each with its
// label and up-down arrows, as the track property dialog and the default properties dialog
// both show it. Clicks and typing go to the callbacks, which hand them to the dialog's
// editor (PreGapLengthFields holds the value and its carry rules); the fields show what
// Show is given. The up and down arrow keys in a field click its arrows.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "app/editors/PreGapLengthFields.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace varnel {

class UpDownWidget;

class PreGapLengthControls {
 public:
  // Creates the nine widgets as children of `parent`.
  void Build(QWidget* parent);
  // The widgets in a row: label, field and arrows for minutes, seconds, frames.
  QHBoxLayout* MakeRow() const;

  QLabel* Label(LengthField f) const { return Labels_[Index(f)]; }
  QLineEdit* Field(LengthField f) const { return Fields_[Index(f)]; }
  UpDownWidget* Arrows(LengthField f) const { return Arrows_[Index(f)]; }

  // Each field's text from the values (a field already showing its value is left alone).
  void Show(const PreGapLengthFields& length);

  std::function<void(LengthField, const std::string&)> Typed;
  std::function<void(LengthField, bool)> Clicked;
  // A field lost the focus or got Enter: the held value is shown again.
  std::function<void()> Finished;

 private:
  static size_t Index(LengthField f) { return static_cast<size_t>(f); }
  std::array<QLabel*, 3> Labels_{};
  std::array<QLineEdit*, 3> Fields_{};
  std::array<UpDownWidget*, 3> Arrows_{};
};

}  // namespace varnel
