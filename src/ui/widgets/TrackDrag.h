// The track list's mouse rules, apart from any widget: reordering by dragging a row with
// the left button (each move swaps the dragged entry with the one under the pointer), and
// the double click: two presses within the double-click time (any buttons) that both hit
// the same row. Presses on different rows, or beside the rows, are single presses.
#pragma once

#include <cstdint>

namespace varnel {

class TrackDrag {
 public:
  enum class PressResult {
    Ignored,      // a run is under way
    DoubleClick,  // this press completes a double click: open the track's properties
    DragStarted,  // left press on an entry
    Nothing,      // any other press
  };

  // A press at the millisecond clock `now`; `index` is the entry under the pointer, −1
  // when there is none.
  PressResult Press(bool idle, uint32_t now, uint32_t doubleClickTime, bool leftButton,
                    int32_t index);

  // A move over `index` (−1 for none). True when the entries `from` and `to` must be
  // exchanged; DragIndex is then `to`.
  bool Move(bool idle, int32_t index, int32_t& from, int32_t& to);

  // Any release ends a drag, also during a run.
  void Release() { Dragging = false; }

  bool Dragging = false;
  int32_t DragIndex = -1;
  uint32_t LastPressTime = 0;
  // The row the previous press hit (−1: none).
  int32_t LastPressRow = -1;
};

}  // namespace varnel
