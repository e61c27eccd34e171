// The status bar summary of the disc as it would be made: track count, megabytes, playing
// time and disc type, in four panel texts that each begin with a blank.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/AppContext.h"

namespace varnel {

// The unit of the times the status bar and the track list show.
inline constexpr const char* kTimeUnitNote = "min:sec:frames";

// What the summary is computed from.
struct StatusBarInput {
  bool DataTrackImageExists = false;  // DiscLayout::DataTrackImageExists
  int64_t DataTrackSize = 0;          // its size in bytes
  int32_t TrackCount = 0;             // audio tracks in the list
  uint8_t FirstPreGapStyle = 0;       // PreGapStyle of the first track (when there is one)
  int64_t TotalBytes = 0;             // the layout's running total
  bool AddFrames = true;              // settings "AddFrames" and "NumFrames"
  int32_t NumFrames = 5;
};

// The four panel texts: " Total: %.2d tracks", " %.3dMB", " %.2d:%.2d:%.2d" and
// "", " Data disc", " Mix-Mode disc" or " Audio disc". The data track counts as one track
// and its image plus two CD frames as bytes; the first track's leading silence counts when
// "AddFrames" is on and its pre-gap is not plain silence. Started CD frames and megabytes
// count as whole ones.
std::array<std::string, 4> StatusBarTexts(const StatusBarInput& in);

// Recomputes ctx.StatusPanels from the layout and the settings. When the data track image
// exists but cannot be read, the panels keep their texts, an error box names the file and
// the system's reason, and the result is false.
bool RefreshStatusBar(AppContext& ctx);

}  // namespace varnel
