// What a burn of the disc a making run has just made is given: the made TOC (beside the
// cue sheet), whether that TOC carries CD-Text (which decides cdrdao's driver option), and
// the length of the planned disc for the capacity check.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "app/burn/BurnJob.h"

namespace varnel {

// The request for the disc made with the cue sheet `cuePath`, without options; the TOC
// is read to learn whether it holds CD-Text.
BurnRequest MadeDiscRequest(AppContext& ctx, const std::string& cuePath);

}  // namespace varnel
