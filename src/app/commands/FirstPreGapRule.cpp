#include "app/commands/FirstPreGapRule.h"

#include "model/CdTime.h"

namespace varnel {

std::optional<FirstPreGapRefusal> CheckFirstPreGap(const Track& track) {
  FirstPreGapRefusal r;
  switch (track.PreGapStyle()) {
    case PreGapNormal:
      r.Frames = track.GetPreGapLength();
      r.Message = "Pre-gap for the first audio track must be at least 2 seconds.";
      break;
    case PreGapFile:
      r.Frames = track.PreGapWaveInfo().DataSize / kBytesPerCdFrame;
      r.Message = "Pre-Gap for the first audio track must be at least 2 seconds.";
      break;
    case PreGapIndex:
      r.Frames = (int64_t{track.TrackStartPos()} - track.TrackPreGapPos()) / kSamplesPerCdFrame;
      r.Message = "Pre-gap for the first audio track must be at least 2 seconds.";
      break;
    default:
      return std::nullopt;
  }
  if (r.Frames >= kMinFirstPreGapFrames) return std::nullopt;
  return r;
}

}  // namespace varnel
