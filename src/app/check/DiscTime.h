// The disc's times as a making run lays the disc out: every region in whole CD frames as
// the track writers pad it, a silent pre-gap as stored (the first track's at least the 150
// frames every disc starts with), hidden audio before index 01 with the extra leading
// frames of the first track, the data track's image followed by its 2-second post-gap and
// a pre-gap of at least 2 seconds before the audio after it. The disc's playing time is the
// time of its lead-out: every pre-gap and track, the first 2 seconds included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/DiscLayout.h"
#include "persist/AppSettings.h"

namespace varnel {

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
  int64_t TotalFrames = 0;        // the disc's playing time
};

// What makes the positions of `track` impossible to make (a negative position, a start
// after its end, a region past the end of its file); empty when there is nothing.
std::string TrackPositionProblem(const Track& track);

// The times of the disc `layout` describes. May fill the silence counts of its tracks.
DiscTime DiscTimeOf(DiscLayout& layout, const AppSettings& settings);

// How a disc of `discFrames` fits a medium of `mediaMinutes` minutes: it fits; it fits but
// plays longer than 74 minutes, so it needs the larger medium; it does not fit. The disc
// check and the window's capacity bar both judge by it.
enum class DiscFit { Fits, Over74Minutes, TooLong };
inline constexpr int64_t k74MinuteFrames = 74 * 4500;
int64_t MediaFrames(int32_t mediaMinutes);
DiscFit FitOf(int64_t discFrames, int32_t mediaMinutes);

}  // namespace varnel
