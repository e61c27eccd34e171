// One progress message of cdrdao's --remote mode. On the pipe each message is four sync
// bytes ff 00 ff 00 and then seven ints in the machine's own byte order, in the order of
// the fields below.
#pragma once

#include <cstdint>

namespace varnel {

// cdrdao's own numbers for what the drive is doing.
enum class CdrdaoStatus : int32_t {
  Analysing = 1,  // reading the sources before writing
  Preparing = 2,
  LeadIn = 3,
  WritingData = 4,
  LeadOut = 5,
  Blanking = 6,
};

// The track number cdrdao sends while it writes the lead-out.
inline constexpr int32_t kCdrdaoLeadOutTrack = 0xaa;

struct RemoteProgress {
  int32_t Status = 0;  // a CdrdaoStatus, or a number this program does not know
  int32_t TotalTracks = 0;
  int32_t Track = 0;
  int32_t TrackPermille = 0;  // 0 to 1000
  int32_t TotalPermille = 0;  // 0 to 1000
  int32_t BufferPercent = 0;  // cdrdao's own buffer
  int32_t DriveBufferPercent = 0;

  friend bool operator==(const RemoteProgress&, const RemoteProgress&) = default;
};

}  // namespace varnel
