// The drives a burn can use: which one an empty choice means, and the line `varnel-cli
// drives` prints for each.
#pragma once

#include <string>
#include <vector>

#include "burn/OpticalDrive.h"

namespace varnel {

// `wanted` when it is set; else the first drive udev says writes CD-R, else the first
// drive udev knows nothing about; empty when there is none.
std::string ChooseBurnDevice(const std::vector<OpticalDrive>& drives, const std::string& wanted);

// "/dev/sr0<TAB>VENDOR<TAB>MODEL<TAB>REV<TAB>CD-R CD-RW" (the last field "-" when the drive
// writes neither, "?" when udev does not know).
std::string DriveListLine(const OpticalDrive& drive);

}  // namespace varnel
