// What the track property dialog needs from the position editor: set it up on a file with
// the variables it may write (null: that boundary is not edited), show it modally, and
// return when it has closed. The track properties editor reaches the position editor only
// through this port, so that it can be driven without a window.
#pragma once

#include <cstdint>
#include <string>

#include "model/Track.h"

namespace varnel {

class PositionEditorPort {
 public:
  virtual ~PositionEditorPort() = default;
  virtual void EditPositions(const std::string& path, const WaveDataInfo& info, int32_t* trackStart,
                             int32_t* trackEnd, int32_t* preGapStart, int32_t* preGapEnd) = 0;
};

}  // namespace varnel
