// The wave segment writer: silence counts, frame padding, and new files built from
// segments, byte for byte.
#include "make/writers/WaveSegment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <random>

#include "support/MakeFixtures.h"

namespace varnel {
namespace {

using test::Cat;
using test::Slice;
using test::Sound;
using test::TempDir;
using test::Zeros;

// A source file of raw bytes (no header: DataOffset 0) or a canonical wave file.
std::string RawFile(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& b) {
  test::WriteBytes(dir / name, b);
  return dir / name;
}

TEST(FramePaddingTest, FillsToWholeCdFrames) {
  EXPECT_EQ(FramePadding(0), 0);
  EXPECT_EQ(FramePadding(2352), 0);
  EXPECT_EQ(FramePadding(2352 * 7), 0);
  EXPECT_EQ(FramePadding(2352 * 3 + 4), 2348);
  EXPECT_EQ(FramePadding(4), 2348);
  EXPECT_EQ(FramePadding(2348), 4);
  EXPECT_EQ(FramePadding(400000), 2192);
  EXPECT_EQ(FramePadding(int64_t{2352} * 1000000 + 1), 2351);
}

class SilenceCountTest : public ::testing::Test {
 protected:
  TempDir Dir;
};

TEST_F(SilenceCountTest, LeadingCountStopsAtFirstSoundAcrossBlocks) {
  // 1000 silent frames span two 735-frame blocks.
  auto data = Cat({Zeros(4000), Sound(10), Zeros(40)});
  SourceFile src(RawFile(Dir, "a.raw", data));
  EXPECT_EQ(CountLeadingSilence(src, 0, 0, 1020), 1000);
  EXPECT_EQ(CountLeadingSilence(src, 0, 400, 1020), 600);
  EXPECT_EQ(CountLeadingSilence(src, 0, 1000, 1020), 0);
  // The silence after the sound, up to the region's end.
  EXPECT_EQ(CountLeadingSilence(src, 0, 1010, 1020), 10);
}

TEST_F(SilenceCountTest, TrailingCountStopsAtLastSoundAcrossBlocks) {
  auto data = Cat({Zeros(40), Sound(10), Zeros(4 * 1500)});
  SourceFile src(RawFile(Dir, "a.raw", data));
  EXPECT_EQ(CountTrailingSilence(src, 0, 0, 1520), 1500);
  EXPECT_EQ(CountTrailingSilence(src, 0, 0, 1000), 980);
  EXPECT_EQ(CountTrailingSilence(src, 0, 0, 20), 0);
  EXPECT_EQ(CountTrailingSilence(src, 0, 0, 10), 10);
}

TEST_F(SilenceCountTest, SilentRegionCountsItsOwnLengthOnly) {
  // Silence continues before and after the region; the count stays within it.
  auto data = Zeros(4 * 3000);
  SourceFile src(RawFile(Dir, "z.raw", data));
  EXPECT_EQ(CountLeadingSilence(src, 0, 100, 900), 800);
  EXPECT_EQ(CountTrailingSilence(src, 0, 100, 900), 800);
  EXPECT_EQ(CountLeadingSilence(src, 0, 5, 5), 0);
  EXPECT_EQ(CountTrailingSilence(src, 0, 5, 5), 0);
  EXPECT_EQ(CountLeadingSilence(src, 0, 9, 5), 0);
}

TEST_F(SilenceCountTest, OneNonZeroByteMakesAFrameSound) {
  for (int byte = 0; byte < 4; ++byte) {
    auto data = Zeros(4 * 800);
    data[4 * 500 + static_cast<size_t>(byte)] = 1;
    SourceFile src(RawFile(Dir, std::to_string(byte) + ".raw", data));
    EXPECT_EQ(CountLeadingSilence(src, 0, 0, 800), 500) << byte;
    EXPECT_EQ(CountTrailingSilence(src, 0, 0, 800), 299) << byte;
  }
}

TEST_F(SilenceCountTest, DataOffsetShiftsTheRegion) {
  // A 44-byte header of non-zero bytes must never be scanned as audio.
  auto data = Cat({std::vector<uint8_t>(44, 0xAA), Zeros(400), Sound(1)});
  SourceFile src(RawFile(Dir, "h.raw", data));
  EXPECT_EQ(CountLeadingSilence(src, 44, 0, 101), 100);
  EXPECT_EQ(CountTrailingSilence(src, 44, 0, 100), 100);
}

TEST_F(SilenceCountTest, RegionPastTheEndOfTheFileEndsTheScan) {
  auto data = Zeros(4 * 100);
  SourceFile src(RawFile(Dir, "s.raw", data));
  // Only what was read counts.
  EXPECT_EQ(CountLeadingSilence(src, 0, 0, 5000), 100);
  EXPECT_EQ(CountTrailingSilence(src, 0, 0, 5000), 0);
  EXPECT_EQ(CountLeadingSilence(src, 0, 200, 5000), 0);
}

// The making run's counts as it has always worded them: blocks of 2940 bytes from the
// region's first byte forwards, or from its end backwards down to its first byte; a block
// that would start before byte 0 reads nothing, and a block read short ends the count.
int64_t BlockLeading(const std::vector<uint8_t>& file, int64_t dataOffset, int64_t first,
                     int64_t end) {
  if (end <= first) return 0;
  const auto size = static_cast<int64_t>(file.size());
  int64_t pos = dataOffset + 4 * first;
  int64_t count = 0;
  while (count < end - first) {
    const int64_t got = pos < 0 ? 0 : std::max<int64_t>(0, std::min<int64_t>(2940, size - pos));
    for (int64_t i = 0; i + 4 <= got; i += 4) {
      const uint8_t* f = &file[static_cast<size_t>(pos + i)];
      if (f[0] | f[1] | f[2] | f[3]) return std::min(count, end - first);
      ++count;
    }
    if (got < 2940) break;
    pos += got;
  }
  return std::min(count, end - first);
}

int64_t BlockTrailing(const std::vector<uint8_t>& file, int64_t dataOffset, int64_t first,
                      int64_t end) {
  if (end <= first) return 0;
  const auto size = static_cast<int64_t>(file.size());
  const int64_t firstByte = dataOffset + 4 * first;
  int64_t pos = dataOffset + 4 * end;
  int64_t count = 0;
  while (pos > firstByte && count < end - first) {
    const int64_t start = std::max(pos - 2940, firstByte);
    if (start < 0 || pos > size) break;
    for (int64_t i = pos - 4; i >= start; i -= 4) {
      const uint8_t* f = &file[static_cast<size_t>(i)];
      if (f[0] | f[1] | f[2] | f[3]) return std::min(count, end - first);
      ++count;
    }
    pos = start;
  }
  return std::min(count, end - first);
}

TEST_F(SilenceCountTest, SameCountsAsTheBlockByBlockScanOnRandomSources) {
  std::mt19937 rng(1313);
  auto below = [&rng](int64_t n) { return static_cast<int64_t>(rng() % static_cast<uint32_t>(n)); };
  for (int fileNo = 0; fileNo < 60; ++fileNo) {
    // A header of zeros or of non-zero bytes, runs of silence and sound (one long silent
    // run in a few files, across the scanner's large reads), maybe a partial frame.
    std::vector<uint8_t> bytes(static_cast<size_t>(below(64)), fileNo % 3 == 0 ? 0 : 0x5a);
    const int runs = 1 + static_cast<int>(below(5));
    for (int r = 0; r < runs; ++r) {
      const bool longRun = fileNo % 20 == 0 && r == 0;
      if (longRun || below(3) != 0) {
        const int64_t frames = longRun ? 40000 + below(30000) : below(3000);
        bytes.resize(bytes.size() + static_cast<size_t>(4 * frames), 0);
      } else {
        const std::vector<uint8_t> sound = Sound(static_cast<size_t>(1 + below(40)));
        bytes.insert(bytes.end(), sound.begin(), sound.end());
      }
    }
    bytes.resize(bytes.size() + static_cast<size_t>(below(4)), 0);
    const std::string path = RawFile(Dir, "r" + std::to_string(fileNo) + ".raw", bytes);
    SourceFile src(path);
    const auto frames = static_cast<int64_t>(bytes.size() / 4);
    for (int q = 0; q < 30; ++q) {
      const int32_t offsets[] = {0, 44, static_cast<int32_t>(below(64)), -8, -2941};
      const int32_t dataOffset = offsets[below(5)];
      const int64_t first = below(frames + 10) - 5;
      const int64_t end = below(4) == 0 ? frames - below(3) : first + below(frames + 10) - 2;
      SCOPED_TRACE(testing::Message() << "file " << fileNo << " offset " << dataOffset
                                      << " region [" << first << ", " << end << ")");
      ASSERT_EQ(CountLeadingSilence(src, dataOffset, first, end),
                BlockLeading(bytes, dataOffset, first, end));
      ASSERT_EQ(CountTrailingSilence(src, dataOffset, first, end),
                BlockTrailing(bytes, dataOffset, first, end));
    }
  }
}

TEST(SourceFileTest, OnlyRegularFilesAreSources) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  // A FIFO without a writer would block an ordinary open; a device never ends.
  for (const std::string& path :
       {dir / "none.wav", dir.Path(), dir / "fifo", std::string("/dev/zero")}) {
    EXPECT_THROW(SourceFile{path}, MakeIoError) << path;
  }
}

class EditedWaveTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { SetKernelCopyEnabled(GetParam()); }
  void TearDown() override { SetKernelCopyEnabled(true); }
  PosixFile NewWave(const std::string& path, size_t dataBytes) {
    PosixFile file = PosixFile::CreateExclusive(path);
    CreateEditedWave(file, test::CanonicalInfo(dataBytes));
    return file;
  }
  TempDir Dir;
};

TEST_P(EditedWaveTest, PiecesFollowAFreshHeaderWithExactSizes) {
  auto source = Sound(5000);
  SourceFile src(RawFile(Dir, "src.wav", test::WaveBytes(source)));
  PosixFile file = NewWave(Dir / "Track01.wav", source.size());
  AppendZeros(file, 2348);
  AppendSegment(file, src, 44 + 4000, 4);  // one sample frame: frame 1000
  AppendSegment(file, src, 44, 0);         // nothing
  AppendZeros(file, 0);
  FinishEditedWave(file);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(test::ReadBytes(Dir / "Track01.wav"),
            test::WaveBytes(Cat({Zeros(2348), Slice(source, 4000, 4)})));
}

TEST_P(EditedWaveTest, LongSegmentCopiesExactlyThroughManyBlocks) {
  // More than two buffers, not a multiple of one; from a place that sits where it lands
  // within a page (after the 44-byte header) and from one that does not, in pieces that
  // move the place in the made file from one to the other.
  constexpr size_t kFrames = 2 * kSegmentBufferBytes / 4 + 12345;
  auto source = Sound(kFrames + 2000);
  SourceFile src(RawFile(Dir, "src.wav", test::WaveBytes(source)));
  struct Piece {
    size_t Frame;
    size_t Frames;
  };
  const std::vector<std::vector<Piece>> rows = {
      {{0, kFrames}}, {{123, kFrames}}, {{1, 1}, {1025, kFrames}, {5, 999}}};
  for (const auto& pieces : rows) {
    std::vector<uint8_t> want;
    for (const Piece& p : pieces) {
      const auto slice = Slice(source, 4 * p.Frame, 4 * p.Frames);
      want.insert(want.end(), slice.begin(), slice.end());
    }
    PosixFile file = NewWave(Dir / "o.wav", want.size());
    for (const Piece& p : pieces) {
      AppendSegment(file, src, 44 + 4 * static_cast<int64_t>(p.Frame),
                    4 * static_cast<int64_t>(p.Frames));
    }
    FinishEditedWave(file);
    EXPECT_EQ(test::ReadBytes(Dir / "o.wav"), test::WaveBytes(want)) << pieces[0].Frame;
    std::filesystem::remove(Dir / "o.wav");
  }
}

TEST_P(EditedWaveTest, MadeFileIsItsPiecesInOrder) {
  auto source = Sound(3000);
  auto src = std::make_shared<const SourceFile>(RawFile(Dir, "src.wav", test::WaveBytes(source)));
  MadeFile made;
  made.Format = test::CanonicalInfo(0);
  made.AddZeros(3);
  made.AddSegment(src, 44 + 400, 800);
  made.AddZeros(0);
  made.AddSegment(src, 44, 4);
  PosixFile file = PosixFile::CreateExclusive(Dir / "w.wav");
  WriteMadeFile(made, file);
  EXPECT_EQ(test::ReadBytes(Dir / "w.wav"),
            test::WaveBytes(Cat({Zeros(3), Slice(source, 400, 800), Slice(source, 0, 4)})));
  // Without a header: a plain copy of the pieces.
  made.WaveHeader = false;
  PosixFile copy = PosixFile::CreateExclusive(Dir / "c.cdg");
  WriteMadeFile(made, copy);
  EXPECT_EQ(test::ReadBytes(Dir / "c.cdg"),
            Cat({Zeros(3), Slice(source, 400, 800), Slice(source, 0, 4)}));
}

TEST_P(EditedWaveTest, SourceThatEndsEarlyFailsTheCopy) {
  auto source = Sound(100);
  SourceFile src(RawFile(Dir, "src.wav", test::WaveBytes(source)));
  PosixFile file = NewWave(Dir / "o.wav", 400);
  EXPECT_THROW(AppendSegment(file, src, 44, 404), MakeIoError);
  EXPECT_THROW(AppendSegment(file, src, -4, 4), MakeIoError);
  EXPECT_THROW(AppendSegment(file, src, 44, -4), MakeIoError);
}

INSTANTIATE_TEST_SUITE_P(KernelAndBufferedCopy, EditedWaveTest, ::testing::Bool());

}  // namespace
}  // namespace varnel
