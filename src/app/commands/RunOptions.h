// The options of a making run as the settings give them: what the window, varnel-cli and
// the tests hand to a MakeJob. Nothing else of the settings reaches the run.
#pragma once

#include "make/MakeJob.h"
#include "persist/AppSettings.h"

namespace varnel {

RunOptions RunOptionsOf(const AppSettings& settings);

// The frames of silence the first disc track gets before its audio when its pre-gap is not
// plain silence: the layout's own LeadingSilence when it has one, else "NumFrames" when "AddFrames"
// is on (none for a negative count). Make, Test, the disc time, the list and the status bar
// all count these.
int32_t LeadingSilenceFrames(const DiscLayout& layout, const AppSettings& settings);

// The options of a run of `layout`: its leading silence by LeadingSilenceFrames.
RunOptions RunOptionsOf(const AppSettings& settings, const DiscLayout& layout);

}  // namespace varnel
