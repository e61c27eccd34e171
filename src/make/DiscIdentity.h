// The identity of a planned disc, as players, taggers and rippers will know it once it is
// burnt: its table of contents (where each track's index 01 lies, where the lead-out
// begins), the MusicBrainz disc ID with its TOC string, the freedb (CDDB) ID, and the
// AccurateRip IDs with the name of the AccurateRip record.
//
// The table of contents is laid out from the one plan of the disc (DiscPlan.h) exactly as the
// TOC file lays out the disc for cdrdao: 150 frames before track 1, a leading data track
// with its 2-second post-gap and at least 150 frames of pre-gap before the first audio
// track, every file padded to whole CD frames. Addresses are CD frames counted from the
// start of the program area plus 150 (the convention of every disc ID).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "make/DiscPlan.h"

namespace varnel {

struct DiscTocTrack {
  int32_t Number = 0;
  int64_t Offset = 0;  // index 01, frames + 150
  bool Audio = true;
  friend bool operator==(const DiscTocTrack&, const DiscTocTrack&) = default;
};

// The table of contents of one session. A data track after the audio tracks (an Enhanced CD)
// lies in a second session: its offset is the real one, 11 400 frames after the audio's end.
struct DiscToc {
  std::vector<DiscTocTrack> Tracks;
  int64_t LeadOut = 0;  // frames + 150: the disc's lead-out
  friend bool operator==(const DiscToc&, const DiscToc&) = default;
};

// Where each track of the planned disc lies: its pre-gap, index 01 and file, in disc order.
struct PlannedTrackSpan {
  int32_t Number = 0;
  bool Audio = true;
  int64_t FileStart = 0;            // frames + 150 where the track's file (or image) begins
  int64_t Index1 = 0;               // frames + 150 of index 01
  int64_t FileFrames = 0;           // whole CD frames of the file (padded), a data track's post-gap
                                    // included
  int64_t FileBytes = 0;            // bytes of audio the file holds (0 for a data track)
  const TrackPlan* Plan = nullptr;  // audio tracks
};
struct PlannedDisc {
  std::vector<PlannedTrackSpan> Tracks;
  int64_t LeadOut = 0;  // frames + 150
};

// Lays the plan out. Throws std::runtime_error (naming the file) when the size of a file
// the plan takes whole (the data track image, a wave source named as it lies) cannot be
// read.
PlannedDisc LayOutPlan(const DiscPlan& plan);

// The table of contents of a laid-out plan.
DiscToc TocOf(const PlannedDisc& disc);

struct DiscIds {
  std::string MusicBrainz;     // 28 characters
  std::string MusicBrainzToc;  // "first last leadout offset…"
  uint32_t FreeDb = 0;
  uint32_t AccurateRip1 = 0;
  uint32_t AccurateRip2 = 0;
  int32_t AudioTracks = 0;
  // "dBAR-NNN-id1-id2-cddb.bin"
  std::string AccurateRipFile() const;
};

// The IDs of a table of contents, each by its own rules:
// - MusicBrainz (libdiscid): every track of the first session; an Enhanced CD's data track is
//   left out and the lead-out is its offset − 11 400.
// - freedb: every track, data tracks included, with the disc's real lead-out.
// - AccurateRip: the audio tracks only, numbered from 1 in disc order, with the real
//   lead-out counted as the track after them; the record counts the audio tracks.
// Throws std::runtime_error when libdiscid refuses the table (no track, more than 99).
DiscIds IdsOf(const DiscToc& toc);

// 8 lower-case hexadecimal digits.
std::string Hex8(uint32_t value);

}  // namespace varnel
