// The Make (or Test) command as varnel-cli runs it, for make and burn alike: on the calling
// thread, the progress dialog's operation texts on stderr as they change, SIGINT, SIGTERM
// and SIGHUP pressing Cancel. The layout must be loaded in `ctx`, the cue file chosen by
// its prompter.
#pragma once

#include "app/AppContext.h"
#include "app/commands/MakeController.h"

namespace varnel::cli {

MakeOutcome MakeWithProgress(AppContext& ctx, bool test);

}  // namespace varnel::cli
