// The texts a track-list row shows in its nine columns (TrackColumns.h): track number, file
// name, type, hidden track, length with pre-gap length, emphasis, digital copy, ISRC and
// full path.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/AppContext.h"
#include "app/views/TrackColumns.h"

namespace varnel {

// The "Length (Pregap)" text of a track: its length and, in parentheses after a blank, its
// pre-gap length, both as minutes:seconds:frames of whole CD frames (a partial frame is not
// shown). `leadingFrames` is added to the pre-gap (the first track's leading silence).
std::string TrackLengthText(Track& track, int64_t leadingFrames);

// The nine column texts of the row at `index` (0-based) of ctx.Layout. Audio tracks are
// numbered from 2 when a data track image exists. The first row's pre-gap includes the
// "NumFrames" leading silence when "AddFrames" is on and its pre-gap is not plain silence.
std::array<std::string, kTrackColumnCount> TrackColumnTexts(AppContext& ctx, int32_t index);

}  // namespace varnel
