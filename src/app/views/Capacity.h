// The capacity bar under the track list: how much of the chosen medium (74, 80, 90 or 99
// minutes) the disc fills, judged by the disc check's own arithmetic (DiscTimeOf, FitOf),
// so the bar and the check never disagree. Green while the disc fits; amber when it fits
// only because the medium is larger than 74 minutes; red when it does not fit. The time
// left is rounded down and the time missing rounded up, so the bar never promises room
// that is not there.
#pragma once

#include <cstdint>
#include <string>

#include "model/DiscLayout.h"
#include "persist/AppSettings.h"

namespace varnel {

// The media the bar offers, in its menu's order.
inline constexpr int32_t kMediaMinutes[] = {74, 80, 90, 99};

enum class CapacityLevel { Green, Amber, Red };

struct DiscCapacity {
  CapacityLevel Level = CapacityLevel::Green;
  int32_t Permille = 0;  // the share of the medium filled, 0 to 1000
  std::string Used;      // "67:29 of 80:00"
  std::string Text;      // "12:31 left" or "5:08 too long" (minutes:seconds)
};

// The bar for a disc that plays `discFrames` on a medium of `mediaMinutes`.
DiscCapacity CapacityOf(int64_t discFrames, int32_t mediaMinutes);
// The bar for `layout` on the medium of the settings ("Disc" Media).
DiscCapacity CapacityOfLayout(DiscLayout& layout, const AppSettings& settings);

}  // namespace varnel
