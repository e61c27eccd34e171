// The optical drives of this machine, as the kernel lists them: every SCSI device of type 5
// under /sys/class/block/sr*, with the vendor, model and revision it reports and, where
// udev knows them (ID_CDROM_CD_R, ID_CDROM_CD_RW), whether it writes CD-R and CD-RW.
// No cdrdao scan is needed, so listing is instant and needs no access to the device.
#pragma once

#include <string>
#include <vector>

namespace varnel {

struct OpticalDrive {
  std::string Device;  // "/dev/sr0"
  std::string Vendor;  // trimmed of the padding the kernel keeps
  std::string Model;
  std::string Revision;
  bool WritesCdR = false;  // udev says so; false when udev does not know
  bool WritesCdRw = false;
  bool WritesKnown = false;  // udev had the properties at all

  friend bool operator==(const OpticalDrive&, const OpticalDrive&) = default;
};

// The drives in the order of their device names. `sysRoot` replaces "/sys" (tests build a
// tree of their own); udev is asked only when it is "/sys".
std::vector<OpticalDrive> ListOpticalDrives(const std::string& sysRoot = "/sys");

}  // namespace varnel
