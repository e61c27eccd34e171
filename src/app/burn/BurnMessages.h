// The texts of burning: the phase the progress shows, the line of the disc status, and
// the result of a burn job, each saying what happened and what the user can do.
#pragma once

#include <string>

#include "app/burn/BurnJob.h"
#include "burn/CdrdaoDiskInfo.h"

namespace varnel {

// "Writing the lead-in", "Writing track 3 of 12", "Writing the lead-out"…; a simulation's
// texts say so ("Simulating track 3 of 12").
std::string BurnStageText(const BurnProgress& progress);

// The disc status cdrdao's disk-info gave, with the window's line ("Empty CD-R, 79:59:74").
DiscStatus DiscStatusOf(const CdrdaoDiskInfo& info);

// The user's text of a failure; `device` is the drive, `discFrames` and `capacityFrames`
// the lengths a disc that does not fit is measured by.
std::string BurnProblemText(BurnProblem problem, const std::string& device, int64_t discFrames = 0,
                            int64_t capacityFrames = 0);

// The user's text of a job that was cancelled: harmless in a simulation or before the
// lead-in; while a write-once disc was being written, that disc is probably unusable.
std::string BurnCancelledText(bool simulating, bool writingStarted, bool rewritable);

inline constexpr const char* kBurnedText = "The disc was burned.";
inline constexpr const char* kSimulatedText =
    "The simulation succeeded: the disc can be burned as it is.";
inline constexpr const char* kNoWriterText = "No CD writer found.";
inline constexpr const char* kBlankingCancelledText =
    "Blanking was cancelled. Nothing was burned; blank the rewritable disc again before "
    "writing it.";

}  // namespace varnel
