#include "ui/widgets/TrackDrag.h"

namespace varnel {

TrackDrag::PressResult TrackDrag::MouseDown(bool idle, uint32_t now, uint32_t doubleClickTime,
                                         bool leftButton, int32_t index) {
  if (!idle) return PressResult::Ignored;
  PressResult result = PressResult::Nothing;
  // Unsigned difference: a wrapped clock still gives the true elapsed time.
  if (now - LastMouseDownTime < doubleClickTime && index >= 0 && index == LastMouseDownIndex) {
    Dragging = false;
    DragIndex = -1;
    result = PressResult::DoubleClick;
  } else if (leftButton && index >= 0) {
    Dragging = true;
    DragIndex = index;
    result = PressResult::DragStarted;
  }
  LastMouseDownTime = now;
  // A press that completed a double click does not begin another one.
  LastMouseDownIndex = result == PressResult::DoubleClick ? -1 : index;
  return result;
}

bool TrackDrag::MouseMove(bool idle, int32_t index, int32_t& from, int32_t& to) {
  if (!idle || !Dragging) return false;
  if (index < 0 || index == DragIndex) return false;
  from = DragIndex;
  to = index;
  DragIndex = index;
  return true;
}

}  // namespace varnel
