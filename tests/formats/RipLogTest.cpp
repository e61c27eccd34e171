// The rip log reader: the table of contents and copy CRCs of the Windows ripper's log (UTF-16
// either way round, UTF-8) and of whipper's YAML log, an Enhanced CD's data session, and
// logs it must not take a table from.
#include "formats/sheets/RipLog.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

constexpr const char* kEacLog =
    "Exact Audio Copy V1.6 from 23. October 2020\r\n\r\n"
    "TOC of the extracted CD\r\n\r\n"
    "     Track |   Start  |  Length  | Start sector | End sector \r\n"
    "    ---------------------------------------------------------\r\n"
    "        1  |  5:22.20 |  4:33.35 |     24170    |    44704   \r\n"
    "        2  |  9:55.55 |  4:16.35 |     44705    |    63939   \r\n\r\n"
    "Track  1\r\n\r\n     Filename C:\\Rip\\01.wav\r\n\r\n     Copy CRC 1A2B3C4D\r\n"
    "     Accurately ripped (confidence 5)  [ABCDEF01]  (AR v2)\r\n     Copy OK\r\n\r\n"
    "Track  2\r\n\r\n     Test CRC 99999999\r\n     Copy CRC 0000ffff\r\n";

constexpr const char* kWhipperLog =
    "Log created by: whipper 0.10.0 (internal logger)\n\n"
    "TOC:\n"
    "  1:\n    Start: 05:22:20\n    Length: 04:33:35\n    Start sector: 24170\n"
    "    End sector: 44704\n\n"
    "  2:\n    Start: 09:55:55\n    Length: 04:16:35\n    Start sector: 44705\n"
    "    End sector: 63939\n\n"
    "Tracks:\n"
    "  1:\n    Filename: ./01. Song.flac\n    Peak level: 0.988\n    Copy CRC: 1A2B3C4D\n"
    "    AccurateRip v1:\n      Result: Found, exact match\n"
    "  2:\n    Copy CRC: 0000FFFF\n"
    "\nSHA-256 hash: 0123\n";

std::string Utf16(const std::string& text, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : text) {
    out += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return out;
}

TEST(RipLog, TablesAndCrcs) {
  struct Case {
    const char* Name;
    std::string Text;
    const char* Toc;
    std::vector<std::pair<int32_t, uint32_t>> Crcs;
  };
  const std::vector<std::pair<int32_t, uint32_t>> both = {{1, 0x1a2b3c4d}, {2, 0x0000ffff}};
  const Case cases[] = {
      {"UTF-8", kEacLog, "1 2 64090 24320 44855", both},
      {"UTF-16, low byte first", Utf16(kEacLog, true), "1 2 64090 24320 44855", both},
      {"UTF-16, high byte first", Utf16(kEacLog, false), "1 2 64090 24320 44855", both},
      {"whipper", kWhipperLog, "1 2 64090 24320 44855", both},
      {"an Enhanced CD's data track after the session gap",
       "1 | 0:00.00 | 1:00.00 | 0 | 4499\n2 | 1:00.00 | 1:00.00 | 4500 | 8999\n"
       "3 | 3:32.00 | 9:00.00 | 20400 | 60899\n",
       "1 2 9150 150 4650",
       {}},
      {"tracks out of order", "1 | x | x | 0 | 4499\n3 | x | x | 4500 | 8999\n", "", {}},
      {"tracks overlapping", "1 | x | x | 0 | 4499\n2 | x | x | 4000 | 8999\n", "", {}},
      {"no log at all", "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const RipLog log = ReadRipLog(c.Text);
    EXPECT_EQ(log.Toc, c.Toc);
    std::vector<std::pair<int32_t, uint32_t>> crcs;
    for (const RipLogCrc& crc : log.Crcs) crcs.emplace_back(crc.Track, crc.Crc32);
    EXPECT_EQ(crcs, c.Crcs);
  }
}

}  // namespace
}  // namespace varnel
