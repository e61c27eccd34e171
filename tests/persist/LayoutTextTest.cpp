// The track sections a layout text offers its loader: those that a lookup of "Track" + index
// finds, whatever else the text holds.
#include "persist/LayoutText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnel {
namespace {

TEST(TrackSectionIndexes, FindsTheSectionsTheIniReaderFinds) {
  IniFile ini;
  ini.LoadText(
      "[Track00]\r\nA=0\r\n"
      "  [ track01 ]  \r\nA=1\r\n; [Track02]\r\n"
      "[Track5]\nA=5\n[Track005]\nA=005\n"
      "[TRACK03]x]\nA=3x\n"
      "[Track03]\nA=3\n[Other]\nA=o\n"
      "[track01]\nA=again\n"
      "[Track100]\nA=100\n[Track2147483648]\nA=big\n[Track04]\nA=4");
  const std::vector<int32_t> indexes = TrackSectionIndexes(ini, 101);
  EXPECT_EQ(indexes, (std::vector<int32_t>{0, 1, 3, 4, 100}));
  // Each is the first section of its name, read up to the next header.
  const std::vector<std::string> values = {"0", "1", "3", "4", "100"};
  for (size_t i = 0; i < indexes.size(); ++i) {
    EXPECT_EQ(ini.ReadString(TrackSectionName(indexes[i]), "A", "-"), values[i]);
  }
  EXPECT_EQ(TrackSectionIndexes(ini, 100).back(), 4);
  EXPECT_TRUE(TrackSectionIndexes(ini, 0).empty());
  EXPECT_TRUE(TrackSectionIndexes(ini, -5).empty());
}

}  // namespace
}  // namespace varnel
