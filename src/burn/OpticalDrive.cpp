#include "burn/OpticalDrive.h"

#include <libudev.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "model/TextTrim.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

// The SCSI peripheral type of CD and DVD drives.
constexpr int kScsiTypeRom = 5;

std::string ReadAttribute(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.size() > 256) text.resize(256);
  return Trim(text);
}

// Device numbers sort as numbers: sr2 before sr10.
bool DeviceBefore(const OpticalDrive& a, const OpticalDrive& b) {
  if (a.Device.size() != b.Device.size()) return a.Device.size() < b.Device.size();
  return a.Device < b.Device;
}

void AskUdev(const std::string& name, OpticalDrive& drive) {
  using Udev = std::unique_ptr<udev, decltype(&udev_unref)>;
  using Device = std::unique_ptr<udev_device, decltype(&udev_device_unref)>;
  Udev u(udev_new(), &udev_unref);
  if (!u) return;
  Device d(udev_device_new_from_subsystem_sysname(u.get(), "block", name.c_str()),
           &udev_device_unref);
  if (!d) return;
  const char* cdR = udev_device_get_property_value(d.get(), "ID_CDROM_CD_R");
  const char* cdRw = udev_device_get_property_value(d.get(), "ID_CDROM_CD_RW");
  if (!cdR && !cdRw && !udev_device_get_property_value(d.get(), "ID_CDROM")) return;
  drive.WritesKnown = true;
  drive.WritesCdR = cdR && std::strcmp(cdR, "1") == 0;
  drive.WritesCdRw = cdRw && std::strcmp(cdRw, "1") == 0;
}

}  // namespace

std::vector<OpticalDrive> ListOpticalDrives(const std::string& sysRoot) {
  std::vector<OpticalDrive> drives;
  std::error_code ec;
  const fs::path block = fs::path(sysRoot) / "class" / "block";
  for (fs::directory_iterator it(block, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind("sr", 0) != 0) continue;
    const fs::path device = it->path() / "device";
    if (ReadAttribute(device / "type") != std::to_string(kScsiTypeRom)) continue;
    OpticalDrive drive;
    drive.Device = "/dev/" + name;
    drive.Vendor = ReadAttribute(device / "vendor");
    drive.Model = ReadAttribute(device / "model");
    drive.Revision = ReadAttribute(device / "rev");
    if (sysRoot == "/sys") AskUdev(name, drive);
    drives.push_back(std::move(drive));
  }
  std::sort(drives.begin(), drives.end(), DeviceBefore);
  return drives;
}

}  // namespace varnel
