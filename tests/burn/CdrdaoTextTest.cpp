// What cdrdao prints, read back, beyond the plain cases the burn job's table runs through:
// disk-info's fields (cdrdao 1.2.4's layout) and the version in its banner, with what the
// version means for CD-Text.
#include <gtest/gtest.h>

#include "burn/CdrdaoDiskInfo.h"
#include "burn/CdrdaoVersion.h"

namespace varnel {
namespace {

TEST(CdrdaoTextTest, DiskInfoFields) {
  struct Row {
    const char* Text;
    std::optional<bool> Rewritable;
    std::optional<int64_t> Capacity;
    std::optional<bool> Empty;
    std::optional<bool> Appendable;
    bool Present;
  };
  const Row rows[] = {
      {"CD-RW                : no\n"
       "Total Capacity       : 79:57:74 (359849 blocks, 702/807 MB)\n"
       "CD-R medium          : Taiyo Yuden Company Limited\n"
       "                       Short Strategy Type, e.g. Phthalocyanine\n"
       "Recording Speed      : 4X - 48X\n"
       "CD-R empty           : yes\n",
       false, 359849, true, std::nullopt, true},
      {"CD-RW                : yes\r\n"
       "Total Capacity       : 74:00:00 (333000 blocks, 650/747 MB)\r\n"
       "CD-R medium          : 97m24s01f: unknown vendor ID\r\n"
       "Recording Speed      : n/a\r\nCD-R empty           : no\r\n"
       "Toc Type             : CD-DA or CD-ROM\r\nSessions             : 1\r\n"
       "Last Track           : 3\r\nAppendable           : no\r\n",
       true, 333000, false, false, true},
      {"Total Capacity       : 1:00:00 (99999999999999999999 blocks, 1/1 MB)\n", std::nullopt,
       std::nullopt, std::nullopt, std::nullopt, false},
      {"", std::nullopt, std::nullopt, std::nullopt, std::nullopt, false},
  };
  for (const Row& row : rows) {
    const CdrdaoDiskInfo info = ParseCdrdaoDiskInfo(row.Text);
    EXPECT_EQ(info.Rewritable, row.Rewritable) << row.Text;
    EXPECT_EQ(info.CapacityFrames, row.Capacity) << row.Text;
    EXPECT_EQ(info.Empty, row.Empty) << row.Text;
    EXPECT_EQ(info.Appendable, row.Appendable) << row.Text;
    EXPECT_EQ(info.Present(), row.Present) << row.Text;
  }
}

TEST(CdrdaoTextTest, VersionBannerAndTheCdTextDriverOption) {
  struct Row {
    const char* Text;
    bool Known;
    int Major, Minor, Patch;
    bool NeedsOption;
  };
  const Row rows[] = {
      {"Cdrdao version 1.2.10 - (C)\n", true, 1, 2, 10, false},
      {"Cdrdao version 1.1.9 - (C)\n", true, 1, 1, 9, true},
      {"Cdrdao version 2.0 - (C)\n", true, 2, 0, 0, false},
      {"WARNING: x\nCdrdao version 1.2.6 - (C)\n", true, 1, 2, 6, false},
      {"see Cdrdao version 1.2.6\n", false, 0, 0, 0, true},
      {"Cdrdao version x.y\n", false, 0, 0, 0, true},
      {"", false, 0, 0, 0, true},
  };
  for (const Row& row : rows) {
    const CdrdaoVersion v = ParseCdrdaoVersion(row.Text);
    EXPECT_EQ(v.Known, row.Known) << row.Text;
    if (row.Known) {
      EXPECT_EQ(std::make_tuple(v.Major, v.Minor, v.Patch),
                std::make_tuple(row.Major, row.Minor, row.Patch))
          << row.Text;
    }
    EXPECT_EQ(NeedsCdTextDriverOption(v), row.NeedsOption) << row.Text;
  }
}

}  // namespace
}  // namespace varnel
