// How the window tells the end of a burn, and what it asks when the disc in the drive is
// a rewritable one with something on it. A burn that wrote the disc, or a simulation that
// went through, is an information; a cancel that harmed nothing too; a write-once disc
// interrupted while being written is a warning (the job's text says the disc is probably
// unusable); a failure is an error with cdrdao's own lines as its detail.
#pragma once

#include "app/burn/BurnJob.h"
#include "app/ports/Prompter.h"

namespace varnel {

inline constexpr const char* kBlankRewritableQuestion =
    "The rewritable disc in the drive is not empty.\n"
    "Blank it (everything on it is lost) and burn?";

MessageBox BurnResultBox(const BurnResult& result);

}  // namespace varnel
