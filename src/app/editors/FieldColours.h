// The colours an editor asks of an edit field, in the system's terms, for the window to
// paint: the property editors keep them beside each control's other state.
#pragma once

#include <cstdint>

namespace varnel {

// Background of an edit field: the window colour when enabled, the button-face colour when
// disabled (as far as the dialog repaints it).
enum class FieldColour : uint8_t { Window, ButtonFace };
// Text colour of the length fields: normal, or red when the length is not positive.
enum class TextColour : uint8_t { WindowText, Red };

}  // namespace varnel
