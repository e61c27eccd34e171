// The per-track writers of a making run, one for each kind of track. Each fills in its
// track's plan (the file the cue sheet names, what it holds, indexes, pre-gap, flags) and,
// in a Make run, adds to job.MadeFiles the edited wave file or the copy of the MP3 or CD+G
// file that the plan names, and, when the run writes a TOC, the decoded wave file of an MP3
// track or the swapped copy of a CD+G track; the run writes those files once every track
// has been planned. A Test run opens and scans the same sources and fails the same way,
// but plans no file.
//
// Result true: the plan is complete. False: the track failed, job.ResultMessage (and
// job.ResultDetail) hold the message. No writer writes any file itself.
#pragma once

#include <cstdint>
#include <string>

#include "make/DiscPlan.h"
#include "make/MakeJob.h"
#include "model/Track.h"

namespace varnel {

// A wave track whose pre-gap is silence (a PREGAP line): the track's own file, or a new
// one with silence cut and padding at the head.
bool WriteSilentPreGapTrack(MakeJob& job, const Track& track, int32_t trackNumber,
                            bool firstDiscTrack, TrackPlan& plan, const std::string& produced);

// A wave track with hidden audio from another wave file in its pre-gap: both joined in a
// new file, INDEX 00 at its start, INDEX 01 where the track's own audio starts.
bool WriteHiddenFileTrack(MakeJob& job, const Track& track, int32_t trackNumber,
                          bool firstDiscTrack, TrackPlan& plan, const std::string& produced);

// A wave track whose pre-gap is the front of its own file, [TrackPreGapPos,
// TrackStartPos): the file as it lies when it can be, else a new padded file.
bool WritePreGapIndexTrack(MakeJob& job, const Track& track, int32_t trackNumber,
                           bool firstDiscTrack, TrackPlan& plan, const std::string& produced);

// MP3 and CD+G tracks: the file itself, or with "MakeAlways" in a Make run a copy of it.
bool WriteMp3Track(MakeJob& job, const Track& track, int32_t trackNumber, bool firstDiscTrack,
                   TrackPlan& plan, const std::string& produced);
bool WriteCdgTrack(MakeJob& job, const Track& track, int32_t trackNumber, bool firstDiscTrack,
                   TrackPlan& plan, const std::string& produced);

}  // namespace varnel
