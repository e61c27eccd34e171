#include "TrackDrag.h"

namespace varnel {

TTrackDrag::TPress TTrackDrag::MouseDown(bool idle, uint32_t now, uint32_t doubleClickTime,
                                         bool leftButton, int32_t index) {
  if (!idle) return TPress::Ignored;
  TPress result = TPress::Nothing;
  // Unsigned difference: a wrapped clock still gives the true elapsed time.
  if (now - LastMouseDownTime < doubleClickTime && index >= 0 && index == LastMouseDownIndex) {
    Dragging = false;
    DragIndex = -1;
    result = TPress::DoubleClick;
  } else if (leftButton && index >= 0) {
    Dragging = true;
    DragIndex = index;
    result = TPress::DragStarted;
  }
  LastMouseDownTime = now;
  // A press that completed a double click does not begin another one.
  LastMouseDownIndex = result == TPress::DoubleClick ? -1 : index;
  return result;
}

bool TTrackDrag::MouseMove(bool idle, int32_t index, int32_t& from, int32_t& to) {
  if (!idle || !Dragging) return false;
  if (index < 0 || index == DragIndex) return false;
  from = DragIndex;
  to = index;
  DragIndex = index;
  return true;
}

}  // namespace varnel
