// The ISRC's syntax, with and without regard to letter case, and with a country code of
// letters: one table for every reader, writer, entry field and check.
#include "model/Isrc.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel {
namespace {

TEST(Isrc, FiveLettersOrDigitsThenSevenDigits) {
  const struct {
    std::string Text;
    bool Isrc;
    bool IgnoringCase;
    bool Assigned;
  } rows[] = {
      {"GBAYE0601498", true, true, true},
      {"USRC17607839", true, true, true},
      {"12345 678901", false, false, false},
      {"123456789012", true, true, false},
      {"G1AYE0601498", true, true, false},
      {"1BAYE0601498", true, true, false},
      {"usrc17607839", false, true, false},
      {"USrc17607839", false, true, false},
      {"", false, false, false},
      {"US12", false, false, false},
      {"GBAYE060149", false, false, false},
      {"GBAYE06014981", false, false, false},
      {"GB-YE0601498", false, false, false},
      {"GBAYE06014A8", false, false, false},
      {"GBAYE 601498", false, false, false},
      {"GBA\xC3\x89"
       "0601498",
       false, false, false},
      {"GBAYE06014\xD9\xA1", false, false, false},
      {std::string("GBAYE060149\0", 12), false, false, false},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(IsIsrc(r.Text), r.Isrc) << '"' << r.Text << '"';
    EXPECT_EQ(IsIsrcIgnoringCase(r.Text), r.IgnoringCase) << '"' << r.Text << '"';
    EXPECT_EQ(IsAssignedIsrc(r.Text), r.Assigned) << '"' << r.Text << '"';
  }
  EXPECT_EQ(IsrcInCapitals("usRc1760783z"), "USRC1760783Z");
  EXPECT_EQ(IsrcInCapitals("gb-\xC3\xA9 x"), "GB-\xC3\xA9 X");
}

}  // namespace
}  // namespace varnel
