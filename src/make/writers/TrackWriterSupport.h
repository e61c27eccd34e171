// Small pieces the per-track writers share: the wrapper that turns errors into the track's
// message, region arithmetic in 64 bits, the extra silence of the first track, and the
// parts of a track's plan that every writer fills the same way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "make/DiscPlan.h"
#include "make/MadeFile.h"
#include "make/MakeJob.h"
#include "make/MakeMessages.h"
#include "make/writers/WaveSegment.h"
#include "model/CdTime.h"
#include "model/Track.h"

namespace varnel::detail {

// Runs `body`; true when it returned. A TrackFailure becomes its own message, every other
// error the could-not-create message naming `produced`; the error's text is kept as the
// detail.
template <typename Body>
bool GuardedTrackWriter(MakeJob& job, int32_t trackNumber, const std::string& produced,
                        Body&& body) {
  try {
    body();
    return true;
  } catch (const TrackFailure& failure) {
    job.ResultMessage = failure.what();
    job.ResultDetail = failure.Detail();
  } catch (const std::exception& error) {
    job.ResultMessage = CouldNotCreateMessage(produced, trackNumber);
    job.ResultDetail = error.what();
  } catch (...) {
    job.ResultMessage = CouldNotCreateMessage(produced, trackNumber);
    job.ResultDetail.clear();
  }
  return false;
}

// Sample frames of [first, end); an inverted or negative region cannot be made.
inline int64_t RegionLength(int64_t first, int64_t end) {
  if (first < 0 || end < first) throw MakeIoError("invalid region: its positions are out of order");
  return end - first;
}

// Byte of sample frame `pos` in a file whose sample data starts at `dataOffset`.
inline int64_t ByteOfFrame(int32_t dataOffset, int64_t pos) {
  return static_cast<int64_t>(dataOffset) + kBytesPerSample * pos;
}

// Bytes of sample data that still fit behind a 44-byte header with 32-bit size fields.
inline void CheckWaveDataFits(int64_t dataBytes) {
  if (dataBytes < 0 || dataBytes > int64_t{std::numeric_limits<uint32_t>::max()} - 36) {
    throw MakeIoError("too large for a wave file: more than 4 GiB of audio");
  }
}

// What the track's record knew of its silence when the job was made; nothing for a track
// that is not in the job's layout.
inline SilenceCounts KnownSilenceOf(const MakeJob& job, const Track& track) {
  const auto known = job.KnownSilence.find(&track);
  return known == job.KnownSilence.end() ? SilenceCounts{} : known->second;
}

// Whether a count the track record holds for the region [first, end) of a source whose
// sample data starts at `dataOffset` is the count a scan of the source would give: it is
// known, and the region lies in order at or after the start of the sample data (the record
// and the run count other regions each in its own way).
inline bool KnownCountHolds(int32_t known, int32_t dataOffset, int64_t first, int64_t end) {
  return known >= 0 && dataOffset >= 0 && first >= 0 && first <= end;
}

// X: the extra silence frames at the head of the first disc track's new file.
inline int64_t ExtraSilenceFrames(const MakeJob& job, bool firstDiscTrack) {
  if (!firstDiscTrack || !job.Settings.AddFrames || job.Settings.NumFrames < 0) return 0;
  return job.Settings.NumFrames;
}

// Number, kind, flags and ISRC.
inline void StartTrackPlan(TrackPlan& plan, const Track& track, int32_t number, bool firstDiscTrack,
                           TrackKind kind) {
  plan.Number = number;
  plan.FirstDiscTrack = firstDiscTrack;
  plan.Kind = kind;
  plan.Protect = track.Protect;
  plan.PreEmph = track.PreEmph;
  // Blanks and control characters only count as none.
  const bool blank = std::all_of(track.ISRC.begin(), track.ISRC.end(),
                                 [](char c) { return static_cast<unsigned char>(c) <= ' '; });
  plan.Isrc = blank ? std::string() : track.ISRC;
}

// A silent pre-gap: for the first disc track GetPreGapLength − 150 frames (none when it is
// shorter), else the stored minutes, seconds and frames as they stand.
inline void SetSilentPreGap(TrackPlan& plan, const Track& track, bool firstDiscTrack) {
  plan.HiddenAudio = false;
  plan.Index1 = 0;
  if (firstDiscTrack) {
    plan.SilentPreGap = std::max<int64_t>(0, int64_t{track.GetPreGapLength()} - 150);
    plan.SilentPreGapMsf = FramesToMsf(plan.SilentPreGap);
  } else {
    plan.SilentPreGap = track.GetPreGapLength();
    plan.SilentPreGapMsf = {track.PreGapMin, track.PreGapSec, track.PreGapFrame};
  }
}

// What a made file holds after its header, in bytes of its sources.
inline std::vector<FileStretch> ContentOf(const MadeFile& made) {
  std::vector<FileStretch> content;
  for (const MadeFile::Piece& piece : made.Pieces) {
    content.push_back({piece.Source ? piece.Source->Path() : std::string(),
                       piece.Source ? piece.Start : 0, piece.Length});
  }
  return content;
}

}  // namespace varnel::detail
