// The options of a making run as the settings give them: what the window, varnel-cli and
// the tests hand to a MakeJob. Nothing else of the settings reaches the run.
#pragma once

#include "make/MakeJob.h"
#include "persist/AppSettings.h"

namespace varnel {

RunOptions RunOptionsOf(const AppSettings& settings);

}  // namespace varnel
