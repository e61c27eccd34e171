// The disc check: what a burner would refuse or burn otherwise than the layout says, found
// in a loaded layout before anyone presses Make. It reads the layout, the settings and the
// files the layout names (whether they exist, the CD-Text file), and takes silence from
// the track records' counts, which the records keep once scanned; it writes nothing.
// Times on the disc are counted as a making run lays the disc out (DiscTime.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/check/DiscFinding.h"
#include "model/DiscLayout.h"
#include "persist/AppSettings.h"

namespace varnel {

inline constexpr int32_t kDefaultMediaMinutes = 80;

// The least a track plays from its index 01 to its end: 4 seconds.
inline constexpr int64_t kMinTrackFrames = 4 * 75;

// Every finding, in disc order: the whole disc's first, then each track's.
std::vector<DiscFinding> CheckDisc(DiscLayout& layout, const AppSettings& settings,
                                   int32_t mediaMinutes = kDefaultMediaMinutes);

// The check before Make or Test: true when the run may start. Without an error nothing is
// shown; with one, the findings go to the prompter, whose "Make anyway" starts the run.
bool DiscCheckAllowsMaking(AppContext& ctx);

}  // namespace varnel
