// The rule Make and Test apply to the first audio track's pre-gap before anything else: at
// least 2 seconds (150 CD frames), as each pre-gap style measures it. The disc check says
// the same before anyone presses Make.
#pragma once

#include <cstdint>
#include <optional>

#include "model/Track.h"

namespace varnel {

inline constexpr int32_t kMinFirstPreGapFrames = 150;  // 2 seconds

struct FirstPreGapRefusal {
  const char* Message = nullptr;  // the warning Make shows
  int64_t Frames = 0;             // the pre-gap as the rule measured it, in CD frames
};

// Nothing when `track`, as the first audio track, has a pre-gap Make takes. A silent
// pre-gap counts its stored length; hidden audio from another file counts the whole data of
// that file, not the chosen range; hidden audio in the track's own file counts the stretch
// before the track's start.
std::optional<FirstPreGapRefusal> CheckFirstPreGap(const Track& track);

}  // namespace varnel
