// The silence scanner: the tests in memory that the track record, the making run and the
// waveform share, against a frame-by-frame count at every length, alignment and byte; then
// the two scans of a file on files made byte by byte: runs that end on and around the block
// edges, single non-zero bytes, regions that reach past the file, hostile positions, and a
// comparison with the block-by-block scan on many random files.
#include "model/SilenceScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <limits>
#include <random>

#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::TempDir;

constexpr int32_t kWaveOffset = 44;  // sample data of WriteWave files starts here
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

int32_t Frames(size_t n) {
  return static_cast<int32_t>(n);
}

// ---------------------------------------------------------------------------------------
// In memory. Each row is a pattern of frames (S silent, one non-zero byte in frame i of a
// sound frame at byte i % 4), laid out at every alignment of the buffer; the three answers
// must be those of a frame-by-frame count.

struct FrameCounts {
  int64_t Front = 0;
  int64_t Back = 0;
  int64_t FirstSilent = 0;
};

FrameCounts CountFrameByFrame(const std::string& pattern) {
  const auto n = static_cast<int64_t>(pattern.size());
  FrameCounts c;
  while (c.Front < n && pattern[c.Front] == 'S') ++c.Front;
  while (c.Back < n && pattern[n - 1 - c.Back] == 'S') ++c.Back;
  while (c.FirstSilent < n && pattern[c.FirstSilent] != 'S') ++c.FirstSilent;
  return c;
}

TEST(SilenceInMemory, SameAnswersAsAFrameByFrameCount) {
  std::vector<std::string> rows = {"", "S", "x", "Sx", "xS", "SxS", "xSx"};
  // Lengths around the 2-frame words and 16-frame lines, silent through, with one sound
  // frame at each place, and with one silent frame among sound at each place.
  for (int n : {7, 8, 9, 15, 16, 17, 31, 32, 33, 47, 64, 65}) {
    rows.push_back(std::string(n, 'S'));
    rows.push_back(std::string(n, 'x'));
    for (int i = 0; i < n; ++i) {
      std::string sound(n, 'S'), silent(n, 'x');
      sound[i] = 'x';
      silent[i] = 'S';
      rows.push_back(sound);
      rows.push_back(silent);
    }
  }
  for (const std::string& row : rows) {
    const FrameCounts want = CountFrameByFrame(row);
    for (size_t align = 0; align < 8; ++align) {
      std::vector<unsigned char> buffer(align + 4 * row.size() + 8, 0xEE);
      unsigned char* frames = buffer.data() + align;
      for (size_t f = 0; f < row.size(); ++f) {
        std::fill(frames + 4 * f, frames + 4 * f + 4, 0);
        if (row[f] != 'S') frames[4 * f + f % 4] = f % 3 == 0 ? 0x80 : 0x01;
      }
      const auto n = static_cast<int64_t>(row.size());
      SCOPED_TRACE(row + " at alignment " + std::to_string(align));
      EXPECT_EQ(SilentFramesAtFront(frames, n), want.Front);
      EXPECT_EQ(SilentFramesAtBack(frames, n), want.Back);
      EXPECT_EQ(FirstSilentFrame(frames, n), want.FirstSilent);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Runs that end on, just before and just after the 735-frame block edges (and the edges of
// the larger reads), scanned forwards and backwards.

class SilentRunTest : public ::testing::TestWithParam<int32_t> {
 protected:
  TempDir Dir;
};

TEST_P(SilentRunTest, LeadingRunStopsAtTheFirstSound) {
  const int32_t k = GetParam();
  std::string path =
      test::WriteWave(Dir / "lead.wav", {{static_cast<size_t>(k), true}, {3, false}, {1000, true}});
  const int32_t total = k + 1003;
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 0, total), k);
  // The same run seen from a later first frame: blocks start where the region starts.
  if (k >= 5) {
    EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 5, total), k - 5);
  }
  // A region that ends inside the run yields the region.
  if (k >= 2) {
    EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 1, k - 1), k - 2);
  }
}

TEST_P(SilentRunTest, TrailingRunStopsAtTheLastSound) {
  const int32_t k = GetParam();
  std::string path = test::WriteWave(Dir / "trail.wav",
                                     {{1000, true}, {3, false}, {static_cast<size_t>(k), true}});
  const int32_t total = 1003 + k;
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 0, total), k);
  // Blocks are stepped back from the region's end, not from the file's end.
  if (k >= 7) {
    EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 0, total - 7), k - 7);
  }
  if (k >= 2) {
    EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 1004, total - 1), k - 2);
  }
}

INSTANTIATE_TEST_SUITE_P(BlockEdges, SilentRunTest,
                         ::testing::Values(0, 1, 15, 16, 17, 734, 735, 736, 1469, 1470, 1471, 5879,
                                           5880, 5881, 17639, 17640, 17641, 600000));

// ---------------------------------------------------------------------------------------

TEST(SilenceScanTest, OneNonZeroByteAnywhereInAFrameIsSound) {
  TempDir dir;
  const size_t frames = 2000;
  for (size_t frame : {size_t{0}, size_t{7}, size_t{15}, size_t{16}, size_t{37}, size_t{734},
                       size_t{735}, size_t{1999}}) {
    for (size_t byte = 0; byte < 4; ++byte) {
      std::vector<uint8_t> data(frames * 4, 0);
      data[frame * 4 + byte] = 0x80;
      std::string path = dir / "one.wav";
      test::WriteBytes(path, test::WaveBytes(data));
      SCOPED_TRACE(testing::Message() << "frame " << frame << " byte " << byte);
      EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 0, Frames(frames)), Frames(frame));
      EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 0, Frames(frames)),
                Frames(frames - frame - 1));
    }
  }
}

TEST(SilenceScanTest, SilentRegionYieldsItsOwnLengthWhateverSurroundsIt) {
  TempDir dir;
  std::string silent = test::WriteWave(dir / "silent.wav", {{5000, true}});
  EXPECT_EQ(CountLeadingSilenceInFile(silent, kWaveOffset, 1000, 2500), 1500);
  EXPECT_EQ(CountTrailingSilenceInFile(silent, kWaveOffset, 1000, 2500), 1500);
  EXPECT_EQ(CountLeadingSilenceInFile(silent, kWaveOffset, 1000, 1735), 735);
  EXPECT_EQ(CountTrailingSilenceInFile(silent, kWaveOffset, 1000, 1735), 735);
  EXPECT_EQ(CountLeadingSilenceInFile(silent, kWaveOffset, 0, 5000), 5000);
  EXPECT_EQ(CountTrailingSilenceInFile(silent, kWaveOffset, 0, 5000), 5000);
  EXPECT_EQ(CountLeadingSilenceInFile(silent, kWaveOffset, 4999, 5000), 1);
  EXPECT_EQ(CountTrailingSilenceInFile(silent, kWaveOffset, 0, 1), 1);

  // Sound on both sides, silence running on past the region on both sides.
  std::string framed =
      test::WriteWave(dir / "framed.wav", {{10, false}, {3000, true}, {10, false}});
  EXPECT_EQ(CountLeadingSilenceInFile(framed, kWaveOffset, 500, 2600), 2100);
  EXPECT_EQ(CountTrailingSilenceInFile(framed, kWaveOffset, 500, 2600), 2100);
  // Exactly the silent run.
  EXPECT_EQ(CountLeadingSilenceInFile(framed, kWaveOffset, 10, 3010), 3000);
  EXPECT_EQ(CountTrailingSilenceInFile(framed, kWaveOffset, 10, 3010), 3000);
  // One frame of sound at either end of the region.
  EXPECT_EQ(CountLeadingSilenceInFile(framed, kWaveOffset, 9, 3010), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(framed, kWaveOffset, 9, 3010), 3000);
  EXPECT_EQ(CountLeadingSilenceInFile(framed, kWaveOffset, 10, 3011), 3000);
  EXPECT_EQ(CountTrailingSilenceInFile(framed, kWaveOffset, 10, 3011), 0);
}

TEST(SilenceScanTest, EmptyAndInvertedRegionsYieldZero) {
  TempDir dir;
  std::string path = test::WriteWave(dir / "a.wav", {{1000, true}});
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 100, 100), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 100, 100), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 0, 0), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 0, 0), 0);
  // end before first: no region, and never a negative count that could pass for −1.
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 600, 200), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 600, 200), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, kMax32, kMin32), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, kMax32, kMin32), 0);
}

TEST(SilenceScanTest, TheEndOfTheFileEndsTheScan) {
  TempDir dir;
  std::string path = test::WriteWave(dir / "short.wav", {{100, true}});
  // Forwards: the frames up to the end of the file are counted.
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 0, 500), 100);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 60, 500), 40);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 100, 200), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, 0, kMax32), 100);
  // Backwards: frames that do not exist are not silence.
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 0, 101), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 0, 100), 100);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, 50, 100), 50);

  // A partial sample frame at the end is not a frame.
  std::string odd = dir / "odd.raw";
  test::WriteBytes(odd, std::vector<uint8_t>(10, 0));
  EXPECT_EQ(CountLeadingSilenceInFile(odd, 0, 0, 10), 2);
  EXPECT_EQ(CountTrailingSilenceInFile(odd, 0, 0, 2), 2);
  EXPECT_EQ(CountTrailingSilenceInFile(odd, 0, 0, 3), 0);
}

TEST(SilenceScanTest, HostilePositionsNeitherCrashNorWrap) {
  TempDir dir;
  std::string path = test::WriteWave(dir / "a.wav", {{100, true}});
  // Byte offsets before the start of the file read nothing.
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, kMin32, kMin32 + 10), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, kMin32, kMax32), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kMin32, 0, 100), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kMin32, 0, 100), 0);
  // Offsets far beyond the end of the file (past 8 GiB) read nothing either.
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, kMax32 - 10, kMax32), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, kMax32 - 10, kMax32), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, kMin32, kMax32), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(path, kMax32, 0, 100), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kMax32, 0, 100), 0);

  // A region that starts before the sample data: position −1 is the header's data size
  // field (400, not zero) going forwards; going backwards the blocks stop at the data.
  EXPECT_EQ(CountLeadingSilenceInFile(path, kWaveOffset, -1, 100), 0);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, -20, 100), 100);
  EXPECT_EQ(CountTrailingSilenceInFile(path, kWaveOffset, kMin32, 100), 100);
}

TEST(SilenceScanTest, NegativeDataOffsetStopsAtTheLastWholeBlockAboveByteZero) {
  TempDir dir;
  std::string path = dir / "zeros.raw";
  test::WriteBytes(path, std::vector<uint8_t>(4000, 0));
  // End byte −8 + 4 × 1000 = 3992. The first block back is [1052, 3992): 735 silent frames.
  // The next would start at 1052 − 2940 < 0 and reads nothing.
  EXPECT_EQ(CountTrailingSilenceInFile(path, -8, 0, 1000), 735);
  // Forwards the first byte is −8: nothing is read.
  EXPECT_EQ(CountLeadingSilenceInFile(path, -8, 0, 1000), 0);
  // From position 2 (byte 0) the whole file counts.
  EXPECT_EQ(CountLeadingSilenceInFile(path, -8, 2, 1002), 1000);
}

TEST(SilenceScanTest, ReadErrorsEndTheRunOrThrowAsAsked) {
  // A file that is not open fails every read, as a failing device would.
  const PosixFile unreadable;
  struct Row {
    bool Forwards;
    ReadErrors Errors;
    bool Throws;
  } rows[] = {
      {true, ReadErrors::EndTheRun, false},
      {false, ReadErrors::EndTheRun, false},
      {true, ReadErrors::Throw, true},
      {false, ReadErrors::Throw, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.Forwards ? "forwards" : "backwards") << " "
                                    << (row.Errors == ReadErrors::Throw ? "throw" : "end"));
    auto scan = [&] {
      return row.Forwards ? ScanSilenceForwards(unreadable, 0, 1000, row.Errors)
                          : ScanSilenceBackwards(unreadable, 0, 4000, row.Errors);
    };
    if (row.Throws) {
      EXPECT_THROW(scan(), FileError);
    } else {
      EXPECT_EQ(scan(), 0);
    }
  }
}

TEST(SilenceScanTest, FilesThatCannotBeScannedGiveMinusOne) {
  TempDir dir;
  EXPECT_EQ(CountLeadingSilenceInFile(dir / "missing.wav", kWaveOffset, 0, 10), -1);
  EXPECT_EQ(CountTrailingSilenceInFile(dir / "missing.wav", kWaveOffset, 0, 10), -1);
  EXPECT_EQ(CountLeadingSilenceInFile("", kWaveOffset, 0, 10), -1);
  EXPECT_EQ(CountTrailingSilenceInFile("", kWaveOffset, 0, 10), -1);
  // Even an empty region needs its file.
  EXPECT_EQ(CountLeadingSilenceInFile(dir / "missing.wav", kWaveOffset, 5, 5), -1);
  // A folder, and a FIFO with no writer (opening it must not block).
  EXPECT_EQ(CountLeadingSilenceInFile(dir.Path(), 0, 0, 10), -1);
  EXPECT_EQ(CountTrailingSilenceInFile(dir.Path(), 0, 0, 10), -1);
  std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(CountLeadingSilenceInFile(fifo, 0, 0, 10), -1);
  EXPECT_EQ(CountTrailingSilenceInFile(fifo, 0, 0, 10), -1);
}

// ---------------------------------------------------------------------------------------
// The scans as the track record words them, one 2940-byte block at a time, over bytes in
// memory. The scans under test read far larger pieces; every result must be the same.

int64_t BlockLeading(const std::vector<uint8_t>& file, int64_t dataOffset, int64_t first,
                     int64_t end) {
  const int64_t size = static_cast<int64_t>(file.size());
  int64_t pos = dataOffset + 4 * first;
  const int64_t endByte = dataOffset + 4 * end;
  int64_t count = 0;
  bool stop = false;
  while (!stop && pos < endByte && pos < size) {
    const int64_t got = pos < 0 ? 0 : std::min<int64_t>(2940, size - pos);
    for (int64_t i = 0; i + 4 <= got; i += 4) {
      const uint8_t* f = &file[static_cast<size_t>(pos + i)];
      if (f[0] | f[1] | f[2] | f[3]) {
        stop = true;
        break;
      }
      ++count;
    }
    if (got < 2940) break;
    pos += 2940;
  }
  return std::max<int64_t>(0, std::min(count, end - first));
}

int64_t BlockTrailing(const std::vector<uint8_t>& file, int64_t dataOffset, int64_t first,
                      int64_t end) {
  const int64_t size = static_cast<int64_t>(file.size());
  int64_t pos = dataOffset + 4 * end;
  const int64_t firstByte = dataOffset + 4 * first;
  int64_t count = 0;
  bool stop = false;
  while (!stop && pos > firstByte) {
    const int64_t start = std::max(pos - 2940, dataOffset);
    if (start >= pos || start < 0 || pos > size) break;
    for (int64_t i = pos - 4; i >= start; i -= 4) {
      const uint8_t* f = &file[static_cast<size_t>(i)];
      if (f[0] | f[1] | f[2] | f[3]) {
        stop = true;
        break;
      }
      ++count;
    }
    pos = start;
  }
  return std::max<int64_t>(0, std::min(count, end - first));
}

TEST(SilenceScanTest, SameResultsAsTheBlockByBlockScanOnRandomFiles) {
  TempDir dir;
  std::mt19937 rng(20240611);
  auto below = [&rng](uint32_t n) { return static_cast<int64_t>(rng() % n); };
  std::string path = dir / "random.raw";
  for (int fileNo = 0; fileNo < 120; ++fileNo) {
    // Runs of silence and sound; in a few files one long silent run that crosses the large
    // reads. A sound frame has one to four non-zero bytes.
    std::vector<uint8_t> bytes(static_cast<size_t>(below(100)), 0x11);  // a header of sorts
    const int runs = 1 + static_cast<int>(below(6));
    const int longRun =
        fileNo % 60 == 0 ? static_cast<int>(below(static_cast<uint32_t>(runs))) : -1;
    for (int r = 0; r < runs; ++r) {
      if (r == longRun || below(3) != 0) {
        const int64_t len = r == longRun ? 150000 + below(100000) : below(4000);
        bytes.resize(bytes.size() + static_cast<size_t>(4 * len), 0);
        continue;
      }
      const int64_t len = 1 + below(50);
      for (int64_t i = 0; i < len; ++i) {
        const uint32_t pattern = 1 + rng() % 15;  // which bytes are non-zero
        for (int b = 0; b < 4; ++b) bytes.push_back((pattern >> b) & 1 ? 0x7f : 0);
      }
    }
    bytes.resize(bytes.size() + static_cast<size_t>(below(4)), 0);  // maybe a partial frame
    test::WriteBytes(path, bytes);
    const int64_t frames = static_cast<int64_t>(bytes.size()) / 4;

    for (int q = 0; q < 25; ++q) {
      const int32_t offsets[] = {0, 44, 45, static_cast<int32_t>(below(100)), -8, -2941};
      const int32_t dataOffset = offsets[below(6)];
      int64_t first = below(static_cast<uint32_t>(frames + 10)) - 5;
      int64_t end = first + below(static_cast<uint32_t>(frames + 10)) - 2;
      if (below(10) == 0) end = frames - below(3);
      SCOPED_TRACE(testing::Message() << "file " << fileNo << " offset " << dataOffset
                                      << " region [" << first << ", " << end << ")");
      const auto f = static_cast<int32_t>(first);
      const auto e = static_cast<int32_t>(end);
      ASSERT_EQ(CountLeadingSilenceInFile(path, dataOffset, f, e),
                BlockLeading(bytes, dataOffset, first, end));
      ASSERT_EQ(CountTrailingSilenceInFile(path, dataOffset, f, e),
                BlockTrailing(bytes, dataOffset, first, end));
    }
  }
}

}  // namespace
}  // namespace varnel
