// The options of a making run as the settings give them: what the window, varnel-cli and
// the tests hand to a MakeJob. Nothing else of the settings reaches the run.
#pragma once

#include "persist/AppSettings.h"
#include "make/MakeJob.h"

namespace varnel {

RunOptions RunOptionsOf(const AppSettings& settings);

}  // namespace varnel
