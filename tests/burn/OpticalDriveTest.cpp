// The drive list read from a sysfs tree the test builds: which entries are drives, the
// padding the kernel keeps trimmed, and the order of device numbers.
#include "burn/OpticalDrive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestFiles.h"

namespace varnel {
namespace {

TEST(OpticalDriveTest, ListsTheScsiRomDevicesInDeviceOrder) {
  test::TempDir sys;
  struct Entry {
    const char* Name;
    const char* Type;  // nullptr: no device folder
    const char* Vendor;
    const char* Model;
    const char* Rev;
  };
  const Entry entries[] = {
      {"sr10", "5\n", "TSSTcorp\n", "CDDVDW SH-224DB \n", "SB01\n"},
      {"sr0", "5\n", "HL-DT-ST\n", "DVDRAM GH24NSD1 \n", "LG00\n"},
      {"sr1", "0\n", "ATA     \n", "Disk\n", "1\n"},  // a disk named like a drive
      {"sr2", "5\n", "PLEXTOR \n", "DVDR   PX-891SAF\n", "1.06\n"},
      {"sr3", nullptr, "", "", ""},
      {"sda", "5\n", "X\n", "Y\n", "Z\n"},
  };
  for (const Entry& e : entries) {
    const std::string dir = sys / (std::string("class/block/") + e.Name);
    std::filesystem::create_directories(dir);
    if (!e.Type) continue;
    std::filesystem::create_directories(dir + "/device");
    test::WriteText(dir + "/device/type", e.Type);
    test::WriteText(dir + "/device/vendor", e.Vendor);
    test::WriteText(dir + "/device/model", e.Model);
    test::WriteText(dir + "/device/rev", e.Rev);
  }
  const std::vector<OpticalDrive> expected = {
      {"/dev/sr0", "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", false, false, false},
      {"/dev/sr2", "PLEXTOR", "DVDR   PX-891SAF", "1.06", false, false, false},
      {"/dev/sr10", "TSSTcorp", "CDDVDW SH-224DB", "SB01", false, false, false},
  };
  EXPECT_EQ(ListOpticalDrives(sys.Path()), expected);
  EXPECT_TRUE(ListOpticalDrives(sys / "missing").empty());
}

}  // namespace
}  // namespace varnel
