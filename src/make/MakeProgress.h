// What a making run tells of its progress, in this order: RunStarted once, TrackStarted as
// each further track begins, WritingSheet before the sheets are saved, and RunEnded last,
// always and once, after the run has set its outcome (a failed or cancelled run skips what
// it did not reach). The calls come on the thread that runs the job; an implementation that
// drives widgets hands each call on to their thread and never waits for it there.
#pragma once

#include <cstdint>

#include "make/RunState.h"

namespace varnel {

class MakeProgress {
 public:
  virtual ~MakeProgress() = default;

  // `steps`: how many tracks start after the first one (the data track counts); the sheet
  // is one step more.
  virtual void RunStarted(int32_t steps) = 0;
  // Track `trackNumber` (on the disc, the data track being track 1) is being made.
  virtual void TrackStarted(int32_t trackNumber) = 0;
  // Every track is done; the cue sheet (and the TOC file) are about to be saved.
  virtual void WritingSheet() = 0;
  // `outcome`: Succeeded, Failed or Cancelled, as the run state holds it.
  virtual void RunEnded(RunState outcome) = 0;
};

}  // namespace varnel
