#include "app/burn/BurnDrives.h"

namespace varnel {

std::string ChooseBurnDevice(const std::vector<OpticalDrive>& drives, const std::string& wanted) {
  if (!wanted.empty()) return wanted;
  for (const OpticalDrive& d : drives) {
    if (d.WritesCdR) return d.Device;
  }
  for (const OpticalDrive& d : drives) {
    if (!d.WritesKnown) return d.Device;
  }
  return {};
}

std::string DriveListLine(const OpticalDrive& drive) {
  std::string writes;
  if (!drive.WritesKnown) {
    writes = "?";
  } else {
    if (drive.WritesCdR) writes = "CD-R";
    if (drive.WritesCdRw) writes += writes.empty() ? "CD-RW" : " CD-RW";
    if (writes.empty()) writes = "-";
  }
  return drive.Device + "\t" + drive.Vendor + "\t" + drive.Model + "\t" + drive.Revision + "\t" +
         writes;
}

}  // namespace varnel
