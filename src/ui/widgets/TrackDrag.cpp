#include "ui/widgets/TrackDrag.h"

namespace varnel {

TrackDrag::PressResult TrackDrag::Press(bool idle, uint32_t now, uint32_t doubleClickTime,
                                        bool leftButton, int32_t index) {
  if (!idle) return PressResult::Ignored;
  PressResult result = PressResult::Nothing;
  // Unsigned difference: a wrapped clock still gives the true elapsed time.
  if (now - LastPressTime < doubleClickTime && index >= 0 && index == LastPressRow) {
    Dragging = false;
    DragIndex = -1;
    result = PressResult::DoubleClick;
  } else if (leftButton && index >= 0) {
    Dragging = true;
    DragIndex = index;
    result = PressResult::DragStarted;
  }
  LastPressTime = now;
  // A press that completed a double click does not begin another one.
  LastPressRow = result == PressResult::DoubleClick ? -1 : index;
  return result;
}

bool TrackDrag::Move(bool idle, int32_t index, int32_t& from, int32_t& to) {
  if (!idle || !Dragging) return false;
  if (index < 0 || index == DragIndex) return false;
  from = DragIndex;
  to = index;
  DragIndex = index;
  return true;
}

}  // namespace varnel
