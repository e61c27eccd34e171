// The options of a making run as the settings give them: what the window, varnel-cli and
// the tests hand to a TMakeJob. Nothing else of the settings reaches the run.
#pragma once

#include "AppSettings.h"
#include "MakeRun.h"

namespace varnel {

TRunOptions RunOptionsOf(const AppSettings& settings);

}  // namespace varnel
