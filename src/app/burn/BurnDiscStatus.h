// The status of the disc in a drive for the burn dialog, before any burn starts: the burn
// job's first steps (CheckBeforeBurning). It takes as long as the drive needs (seconds
// while a disc spins up), so the window runs it on a thread of its own; a cancel ends
// cdrdao at once. When cdrdao cannot tell, the status is not Known and its line is the
// message that says why.
#pragma once

#include <atomic>
#include <string>

#include "app/burn/BurnJob.h"

namespace varnel {

DiscStatus ReadDiscStatus(const std::string& device, const std::atomic<bool>& cancel);

}  // namespace varnel
