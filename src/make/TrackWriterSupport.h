// Small pieces the per-track writers share: the wrapper that turns errors into the track's
// message, region arithmetic in 64 bits, and the extra silence of the first track.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "CdTime.h"
#include "MakeRun.h"

namespace varnel::detail {

// Runs `body`; true when it returned. A TTrackFailure becomes its own message, every other
// error the could-not-create message naming `produced`; the error's text is kept as the
// detail.
template <typename Body>
bool GuardedTrackWriter(TMakeJob& job, int32_t trackNumber, const std::string& produced,
                        Body&& body) {
  try {
    body();
    return true;
  } catch (const TTrackFailure& failure) {
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
  if (first < 0 || end < first)
    throw TMakeIoError("invalid region: its positions are out of order");
  return end - first;
}

// Byte of sample frame `pos` in a file whose sample data starts at `dataOffset`.
inline int64_t ByteOfFrame(int32_t dataOffset, int64_t pos) {
  return static_cast<int64_t>(dataOffset) + kBytesPerSample * pos;
}

// Bytes of sample data that still fit behind a 44-byte header with 32-bit size fields.
inline void CheckWaveDataFits(int64_t dataBytes) {
  if (dataBytes < 0 || dataBytes > int64_t{std::numeric_limits<uint32_t>::max()} - 36) {
    throw TMakeIoError("too large for a wave file: more than 4 GiB of audio");
  }
}

// X: the extra silence frames at the head of the first disc track's new file.
inline int64_t ExtraSilenceFrames(const TMakeJob& job, bool firstDiscTrack) {
  if (!firstDiscTrack || !job.Settings.AddFrames || job.Settings.NumFrames < 0) return 0;
  return job.Settings.NumFrames;
}

}  // namespace varnel::detail
