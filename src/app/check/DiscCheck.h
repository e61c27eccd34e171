// The disc check: what a burner would refuse or burn otherwise than the layout says, found
// in a loaded layout before anyone presses Make. It reads the layout, the settings and the
// files the layout names (whether they exist, the CD-Text file), and takes silence from
// the track records' counts, which the records keep once scanned; it writes nothing.
//
// Times on the disc are counted as a making run lays the disc out: every region in whole
// CD frames as the track writers pad it, a silent pre-gap as stored (the first track's at
// least the 150 frames every disc starts with), hidden audio before index 01 with the
// extra leading frames of the first track, the data track's image followed by its 2-second
// post-gap and a pre-gap of at least 2 seconds before the audio after it. The disc's
// playing time is the time of its lead-out: every pre-gap and track, the first 2 seconds
// included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "persist/AppSettings.h"
#include "app/check/DiscFinding.h"
#include "model/DiscLayout.h"

namespace varnel {

inline constexpr int32_t kDefaultMediaMinutes = 80;

// The least a track plays from its index 01 to its end: 4 seconds.
inline constexpr int64_t kMinTrackFrames = 4 * 75;

// One track of the disc as it would be burnt.
struct TrackTime {
  int32_t Number = 0;  // on the disc, the data track counted
  bool Data = false;   // the data track
  // False when the track's positions cannot be made (the figures are then 0).
  bool Valid = true;
  int64_t PreGapFrames = 0;  // before index 01
  int64_t TrackFrames = 0;   // from index 01 to the track's end
};

struct DiscTime {
  std::vector<TrackTime> Tracks;  // in disc order, the data track first when there is one
  int64_t TotalFrames = 0;         // the disc's playing time
};

// What makes the positions of `track` impossible to make (a negative position, a start
// after its end, a region past the end of its file); empty when there is nothing.
std::string TrackPositionProblem(const Track& track);

// The times of the disc `layout` describes. May fill the silence counts of its tracks.
DiscTime DiscTimeOf(DiscLayout& layout, const AppSettings& settings);

// Every finding, in disc order: the whole disc's first, then each track's.
std::vector<DiscFinding> CheckDisc(DiscLayout& layout, const AppSettings& settings,
                                    int32_t mediaMinutes = kDefaultMediaMinutes);

// The check before Make or Test: true when the run may start. Without an error nothing is
// shown; with one, the findings go to the prompter, whose "Make anyway" starts the run.
bool DiscCheckAllowsMaking(AppContext& ctx);

}  // namespace varnel
