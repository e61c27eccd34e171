// The wave header reader and writer: every reader result, hostile chunk sizes, the
// written bytes, and compatibility with sox in both directions.
#include "formats/audio/WaveHeader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::PutLe16;
using test::PutLe32;
using test::PutTag;
using test::ReadBytes;
using test::TempDir;
using test::WaveBytes;
using test::WriteBytes;

// The fields of a format chunk, for files that differ from the canonical one.
struct FmtChunk {
  uint16_t Tag = 1;
  uint16_t Channels = 2;
  uint32_t Rate = 44100;
  uint32_t ByteRate = 176400;
  uint16_t Align = 4;
  uint16_t Bits = 16;
  uint32_t ChunkSize = 16;  // declared size of the format chunk
  size_t Extra = 0;         // body bytes written after the 16 format fields
};

// "RIFF" size "WAVE" and a format chunk; the caller appends further chunks.
std::vector<uint8_t> RiffWithFmt(const FmtChunk& f = {}) {
  std::vector<uint8_t> v;
  PutTag(v, "RIFF");
  PutLe32(v, 0);
  PutTag(v, "WAVE");
  PutTag(v, "fmt ");
  PutLe32(v, f.ChunkSize);
  PutLe16(v, f.Tag);
  PutLe16(v, f.Channels);
  PutLe32(v, f.Rate);
  PutLe32(v, f.ByteRate);
  PutLe16(v, f.Align);
  PutLe16(v, f.Bits);
  v.insert(v.end(), f.Extra, 0);
  return v;
}

void AddChunk(std::vector<uint8_t>& v, const char* id, uint32_t declared, size_t bodyBytes) {
  PutTag(v, id);
  PutLe32(v, declared);
  for (size_t i = 0; i < bodyBytes; ++i) v.push_back(static_cast<uint8_t>(i * 7 + 1));
}

class ReadWaveHeaderTest : public ::testing::Test {
 protected:
  // Writes `bytes` to a file and reads it; `Info` starts from a recognisable pattern so
  // that fields the reader leaves alone are seen to be left alone.
  int32_t Read(const std::vector<uint8_t>& bytes) {
    WriteBytes(Path_, bytes);
    Info = {-7, -7, -7, -7, -7};
    return ReadWaveHeader(Path_, Info);
  }

  TempDir Dir_;
  std::string Path_ = Dir_ / "in.wav";
  WaveDataInfo Info;
};

TEST_F(ReadWaveHeaderTest, CanonicalFile) {
  std::vector<uint8_t> data(100, 0x11);
  ASSERT_EQ(Read(WaveBytes(data)), 1);
  EXPECT_EQ(Info, (WaveDataInfo{44, 100, 2, 16, 44100}));
}

TEST_F(ReadWaveHeaderTest, ChunksBeforeDataAreSkipped) {
  {
    SCOPED_TRACE("18-byte format chunk");
    auto v = RiffWithFmt({.ChunkSize = 18, .Extra = 2});
    AddChunk(v, "data", 8, 8);
    ASSERT_EQ(Read(v), 1);
    EXPECT_EQ(Info, (WaveDataInfo{46, 8, 2, 16, 44100}));
  }
  {
    SCOPED_TRACE("LIST chunk before data");
    auto v = RiffWithFmt();
    AddChunk(v, "LIST", 26, 26);
    AddChunk(v, "data", 12, 12);
    ASSERT_EQ(Read(v), 1);
    EXPECT_EQ(Info.DataOffset, 36 + 8 + 26 + 8);
    EXPECT_EQ(Info.DataSize, 12);
  }
  {
    SCOPED_TRACE("several chunks, one of them empty");
    auto v = RiffWithFmt();
    AddChunk(v, "fact", 4, 4);
    AddChunk(v, "JUNK", 0, 0);
    AddChunk(v, "LIST", 10, 10);
    AddChunk(v, "data", 4, 4);
    ASSERT_EQ(Read(v), 1);
    EXPECT_EQ(Info.DataOffset, 36 + 12 + 8 + 18 + 8);
    EXPECT_EQ(Info.DataSize, 4);
  }
  {
    SCOPED_TRACE("tags compare with letter case");
    auto v = RiffWithFmt();
    AddChunk(v, "DATA", 4, 4);
    AddChunk(v, "data", 4, 4);
    ASSERT_EQ(Read(v), 1);
    EXPECT_EQ(Info.DataOffset, 36 + 12 + 8);
  }
}

TEST_F(ReadWaveHeaderTest, OddChunkSizesTakeNoPadByte) {
  auto v = RiffWithFmt();
  AddChunk(v, "LIST", 3, 3);
  AddChunk(v, "data", 4, 4);
  ASSERT_EQ(Read(v), 1);
  EXPECT_EQ(Info.DataOffset, 36 + 8 + 3 + 8);
  EXPECT_EQ(Info.DataSize, 4);

  // The same chunks with the pad byte that RIFF writers add: the walk, taking the size as
  // declared, lands one byte short of "data" and finds no data chunk.
  auto padded = RiffWithFmt();
  AddChunk(padded, "LIST", 3, 3);
  padded.push_back(0);
  AddChunk(padded, "data", 4, 4);
  EXPECT_EQ(Read(padded), 0);
}

TEST_F(ReadWaveHeaderTest, StructuralFaultsGiveZero) {
  std::vector<uint8_t> good = WaveBytes(std::vector<uint8_t>(8, 1));
  {
    SCOPED_TRACE("not RIFF");
    auto v = good;
    v[0] = 'r';
    EXPECT_EQ(Read(v), 0);
  }
  {
    SCOPED_TRACE("not WAVE");
    auto v = good;
    v[8] = 'A';
    EXPECT_EQ(Read(v), 0);
  }
  {
    SCOPED_TRACE("format chunk not first");
    std::vector<uint8_t> v;
    PutTag(v, "RIFF");
    PutLe32(v, 0);
    PutTag(v, "WAVE");
    AddChunk(v, "LIST", 4, 4);
    auto rest = RiffWithFmt();
    v.insert(v.end(), rest.begin() + 12, rest.end());
    AddChunk(v, "data", 4, 4);
    EXPECT_EQ(Read(v), 0);
  }
  {
    SCOPED_TRACE("no data chunk");
    auto v = RiffWithFmt();
    AddChunk(v, "LIST", 8, 8);
    EXPECT_EQ(Read(v), 0);
  }
  {
    SCOPED_TRACE("format chunk only, file ends after its fields");
    EXPECT_EQ(Read(RiffWithFmt()), 0);
  }
  {
    SCOPED_TRACE("empty file");
    EXPECT_EQ(Read({}), 0);
  }
}

TEST_F(ReadWaveHeaderTest, FilesCutShortGiveZero) {
  std::vector<uint8_t> good = WaveBytes(std::vector<uint8_t>(8, 1));
  // Every cut before the whole "data" header is present: inside "RIFF", the RIFF size,
  // "WAVE", the format header, the format fields and the data chunk header.
  for (size_t len : {1u, 4u, 7u, 10u, 12u, 15u, 19u, 20u, 30u, 35u, 36u, 38u, 40u, 43u}) {
    SCOPED_TRACE(len);
    EXPECT_EQ(Read(std::vector<uint8_t>(good.begin(), good.begin() + len)), 0);
  }
  // A LIST chunk header cut in the middle.
  auto v = RiffWithFmt();
  PutTag(v, "LIST");
  v.push_back(4);
  EXPECT_EQ(Read(v), 0);
}

TEST_F(ReadWaveHeaderTest, FormatChecks) {
  struct Case {
    const char* Name;
    FmtChunk Fmt;
    int32_t Want;
  };
  const Case cases[] = {
      {"float tag 3",
       {.Tag = 3, .Channels = 2, .Rate = 44100, .ByteRate = 352800, .Align = 8, .Bits = 32},
       0},
      {"tag 3 with 16-bit fields", {.Tag = 3}, 0},
      {"extensible tag", {.Tag = 0xFFFE}, 0},
      {"24-bit", {.Channels = 2, .Rate = 44100, .ByteRate = 264600, .Align = 6, .Bits = 24}, 0},
      {"6 channels",
       {.Channels = 6, .Rate = 44100, .ByteRate = 529200, .Align = 12, .Bits = 16},
       0},
      {"0 channels", {.Channels = 0, .Rate = 44100, .ByteRate = 0, .Align = 0, .Bits = 16}, 0},
      {"block align 3 for 16-bit stereo", {.ByteRate = 132300, .Align = 3}, 0},
      {"byte rate off by one", {.ByteRate = 176401}, 0},
      {"byte rate of mono for stereo", {.ByteRate = 88200}, 0},
      {"8-bit mono 22050",
       {.Channels = 1, .Rate = 22050, .ByteRate = 22050, .Align = 1, .Bits = 8},
       1},
      {"8-bit stereo 48000",
       {.Channels = 2, .Rate = 48000, .ByteRate = 96000, .Align = 2, .Bits = 8},
       1},
      {"16-bit mono 44100",
       {.Channels = 1, .Rate = 44100, .ByteRate = 88200, .Align = 2, .Bits = 16},
       1},
      // 4 × 0x40000011 is 68 only when the product is cut to 32 bits.
      {"byte rate matching modulo 2^32", {.Rate = 0x40000011u, .ByteRate = 68}, 0},
      // 8-bit mono lets every 32-bit rate past the byte-rate check; one above 2^31-1
      // would turn negative in the summary.
      {"rate above int32",
       {.Channels = 1, .Rate = 0x80000000u, .ByteRate = 0x80000000u, .Align = 1, .Bits = 8},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto v = RiffWithFmt(c.Fmt);
    AddChunk(v, "data", 8, 8);
    ASSERT_EQ(Read(v), c.Want);
    if (c.Want == 1) {
      EXPECT_EQ(Info, (WaveDataInfo{44, 8, c.Fmt.Channels, c.Fmt.Bits,
                                    static_cast<int32_t>(c.Fmt.Rate)}));
    } else {
      EXPECT_EQ(Info.DataOffset, -7);
      EXPECT_EQ(Info.DataSize, -7);
    }
  }
}

// The checks run in a fixed order and store channels and bits as they pass, so what is
// left in the summary after a refusal shows which check refused.
TEST_F(ReadWaveHeaderTest, FormatChecksRunInOrder) {
  auto read = [&](const FmtChunk& f) {
    auto v = RiffWithFmt(f);
    AddChunk(v, "data", 8, 8);
    return Read(v);
  };
  ASSERT_EQ(read({.Tag = 3, .Channels = 6, .Bits = 24}), 0);
  EXPECT_EQ(Info.Channels, -7) << "the tag is checked first";
  ASSERT_EQ(read({.Channels = 6, .Bits = 24}), 0);
  EXPECT_EQ(Info.Channels, -7);
  EXPECT_EQ(Info.BitsPerSample, -7) << "channels are checked before bits";
  ASSERT_EQ(read({.Channels = 1, .Align = 7, .Bits = 24}), 0);
  EXPECT_EQ(Info.Channels, 1);
  EXPECT_EQ(Info.BitsPerSample, -7) << "bits are checked before the block align";
  ASSERT_EQ(read({.ByteRate = 5, .Align = 3}), 0);
  EXPECT_EQ(Info.BitsPerSample, 16);
  EXPECT_EQ(Info.SampleRate, -7) << "the rate is stored only after every check";
}

TEST_F(ReadWaveHeaderTest, DataSizeIsWhatIsPresent) {
  auto withData = [](uint32_t declared, size_t present) {
    auto v = RiffWithFmt();
    AddChunk(v, "data", declared, present);
    return v;
  };
  ASSERT_EQ(Read(withData(1000, 40)), 1);
  EXPECT_EQ(Info.DataSize, 40) << "declared larger than the file";
  ASSERT_EQ(Read(withData(0xFFFFFFFFu, 40)), 1);
  EXPECT_EQ(Info.DataSize, 40) << "streaming recorder's size";
  ASSERT_EQ(Read(withData(0x80000000u, 12)), 1);
  EXPECT_EQ(Info.DataSize, 12);
  ASSERT_EQ(Read(withData(0, 40)), 1);
  EXPECT_EQ(Info.DataSize, 0) << "a declared 0 is not larger than what is present";
  ASSERT_EQ(Read(withData(40, 40)), 1);
  EXPECT_EQ(Info.DataSize, 40);
  ASSERT_EQ(Read(withData(7, 40)), 1);
  EXPECT_EQ(Info.DataSize, 7) << "a smaller declared size is kept (chunks may follow)";
  ASSERT_EQ(Read(withData(16, 0)), 1);
  EXPECT_EQ(Info.DataOffset, 44);
  EXPECT_EQ(Info.DataSize, 0) << "data header at the very end of the file";
}

TEST_F(ReadWaveHeaderTest, HugeChunkSizesEndTheWalk) {
  for (uint32_t size : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    auto v = RiffWithFmt();
    AddChunk(v, "LIST", size, 8);
    AddChunk(v, "data", 4, 4);
    EXPECT_EQ(Read(v), 0);
    auto f = RiffWithFmt({.ChunkSize = size});
    AddChunk(f, "data", 4, 4);
    EXPECT_EQ(Read(f), 0) << "format chunk size";
  }
  // Sizes that, added in 32 bits, would wrap the position back: to "fmt " at 12 (a
  // loop), to the format fields at 20, or to the LIST header itself (a loop).
  for (uint32_t back : {32u, 24u, 8u}) {
    SCOPED_TRACE(back);
    auto v = RiffWithFmt();
    AddChunk(v, "LIST", static_cast<uint32_t>(0u - back), 0);
    AddChunk(v, "data", 4, 4);
    EXPECT_EQ(Read(v), 0);
  }
  // A wrap onto a "data" id hidden inside an earlier chunk's body must not find it.
  auto v = RiffWithFmt();
  PutTag(v, "LIST");  // at 36, body at 44
  PutLe32(v, 8);
  AddChunk(v, "data", 4, 0);
  PutTag(v, "JUNK");  // at 52; 60 + size wraps to 44 in 32 bits
  PutLe32(v, static_cast<uint32_t>(0u - 16u));
  v.insert(v.end(), 16, 0);
  EXPECT_EQ(Read(v), 0);
}

// Files above 2 GiB, made sparse so that they cost no disk space.
class LargeWaveTest : public ::testing::Test {
 protected:
  // A file of `size` bytes holding `head` at offset 0 and `tail` at `tailAt`.
  bool MakeSparse(int64_t size, const std::vector<uint8_t>& head, int64_t tailAt,
                  const std::vector<uint8_t>& tail) {
    int fd = ::open(Path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = ::ftruncate(fd, size) == 0 &&
              ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    if (ok && !tail.empty()) {
      ok = ::pwrite(fd, tail.data(), tail.size(), tailAt) == static_cast<ssize_t>(tail.size());
    }
    return ::close(fd) == 0 && ok;
  }

  TempDir Dir_;
  std::string Path_ = Dir_ / "big.wav";
};

TEST_F(LargeWaveTest, DataRegionAbove2GiBIsClampedToWholeFrames) {
  constexpr int64_t kSize = 3LL << 30;
  for (uint32_t declared : {0xFFFFFFFFu, 0xC0000000u, 0x80000000u}) {
    SCOPED_TRACE(declared);
    auto head = RiffWithFmt();
    AddChunk(head, "data", declared, 0);
    if (!MakeSparse(kSize, head, 0, {})) GTEST_SKIP() << "no sparse 3 GiB file here";
    WaveDataInfo info;
    ASSERT_EQ(ReadWaveHeader(Path_, info), 1);
    EXPECT_EQ(info.DataOffset, 44);
    // The largest whole number of sample frames whose end is still an int32 offset.
    EXPECT_EQ(info.DataSize, 2147483600);
    EXPECT_EQ(info.DataSize % 4, 0);
    EXPECT_LE(int64_t{info.DataOffset} + info.DataSize, std::numeric_limits<int32_t>::max());
  }
  // Below the limit nothing is clamped, odd sizes included.
  auto head = RiffWithFmt();
  AddChunk(head, "data", 0x7FFFFF01u, 0);
  ASSERT_TRUE(MakeSparse(kSize, head, 0, {}));
  WaveDataInfo info;
  ASSERT_EQ(ReadWaveHeader(Path_, info), 1);
  EXPECT_EQ(info.DataSize, 0x7FFFFF01);
}

TEST_F(LargeWaveTest, DataOffsetBeyondInt32IsNotSuchAFile) {
  // A LIST chunk of 2^31 bytes pushes the data chunk past what an int32 offset can hold.
  auto head = RiffWithFmt();
  AddChunk(head, "LIST", 0x80000000u, 0);
  std::vector<uint8_t> data;
  AddChunk(data, "data", 8, 8);
  const int64_t dataAt = 44 + 0x80000000LL;
  if (!MakeSparse(dataAt + 16, head, dataAt, data)) GTEST_SKIP() << "no sparse file here";
  WaveDataInfo info{1, 2, 3, 4, 5};
  EXPECT_EQ(ReadWaveHeader(Path_, info), 0);
  EXPECT_EQ(info.DataOffset, 1);
  EXPECT_EQ(info.DataSize, 2);

  // The same walk ending just below the limit is found.
  auto near = RiffWithFmt();
  const uint32_t listSize = 0x7FFFFFFFu - 52;
  AddChunk(near, "LIST", listSize, 0);
  const int64_t nearAt = 44 + int64_t{listSize};
  ASSERT_TRUE(MakeSparse(nearAt + 16, near, nearAt, data));
  ASSERT_EQ(ReadWaveHeader(Path_, info), 1);
  EXPECT_EQ(info.DataOffset, nearAt + 8);
  EXPECT_EQ(info.DataSize, 0) << "no whole frame ends within an int32 offset";
}

TEST(ReadWaveHeaderOpen, MissingOrUnopenableGivesMinusOne) {
  TempDir dir;
  WaveDataInfo info;
  EXPECT_EQ(ReadWaveHeader(dir / "nothing.wav", info), -1);
  EXPECT_EQ(ReadWaveHeader(dir / "no/such/folder/x.wav", info), -1);
  EXPECT_EQ(ReadWaveHeader("", info), -1);
  EXPECT_EQ(ReadWaveHeader(dir.Path(), info), -1) << "a folder is not a file";
  EXPECT_EQ(ReadWaveHeader(std::string("a\0b", 3), info), -1);

  // A FIFO with no writer must not hang the reader.
  const std::string fifo = dir / "pipe.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadWaveHeader(fifo, info), -1);
}

TEST(ReadWaveHeaderOpen, UnreadableFileGivesMinusOne) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its mode";
  TempDir dir;
  const std::string path = dir / "locked.wav";
  WriteBytes(path, WaveBytes(std::vector<uint8_t>(8, 1)));
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  WaveDataInfo info;
  EXPECT_EQ(ReadWaveHeader(path, info), -1);
}

// --- Writer ---------------------------------------------------------------------------

std::vector<uint8_t> ExpectedHeader(uint16_t channels, uint32_t rate, uint32_t byteRate,
                                    uint16_t align, uint16_t bits) {
  std::vector<uint8_t> v;
  PutTag(v, "RIFF");
  PutLe32(v, 36);
  PutTag(v, "WAVE");
  PutTag(v, "fmt ");
  PutLe32(v, 16);
  PutLe16(v, 1);
  PutLe16(v, channels);
  PutLe32(v, rate);
  PutLe32(v, byteRate);
  PutLe16(v, align);
  PutLe16(v, bits);
  PutTag(v, "data");
  PutLe32(v, 0);
  return v;
}

// The header bytes for a format; a file of them reads back as an empty wave file.
std::vector<uint8_t> BuiltHeader(const WaveDataInfo& info) {
  unsigned char built[44];
  BuildWaveHeader(info, built);
  return std::vector<uint8_t>(built, built + 44);
}

TEST(BuildWaveHeaderTest, HeaderBytes) {
  EXPECT_EQ(BuiltHeader({999, 999, 2, 16, 44100}), ExpectedHeader(2, 44100, 176400, 4, 16));
  EXPECT_EQ(BuiltHeader({0, 0, 1, 8, 22050}), ExpectedHeader(1, 22050, 22050, 1, 8));
  EXPECT_EQ(BuiltHeader({0, 0, 1, 16, 48000}), ExpectedHeader(1, 48000, 96000, 2, 16));

  TempDir dir;
  const std::string path = dir / "round.wav";
  WriteBytes(path, BuiltHeader({0, 0, 2, 16, 44100}));
  WaveDataInfo info;
  ASSERT_EQ(ReadWaveHeader(path, info), 1);
  EXPECT_EQ(info, (WaveDataInfo{44, 0, 2, 16, 44100}));
}

TEST(BuildWaveHeaderTest, OddValuesNeitherCrashNorOverflow) {
  unsigned char b[44];
  // A rate of 0 has no byte rate to divide; block align is then channels × bits / 8.
  BuildWaveHeader({0, 0, 2, 16, 0}, b);
  EXPECT_EQ(b[28] | b[29] | b[30] | b[31], 0);
  EXPECT_EQ(b[32], 4);
  // Products beyond 32 bits wrap as the 32-bit fields do, without signed overflow.
  BuildWaveHeader({0, 0, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                   std::numeric_limits<int32_t>::min()},
                  b);
  BuildWaveHeader({0, 0, -1, 16, -1}, b);
  BuildWaveHeader({0, 0, 1, 8, -8}, b);
  EXPECT_EQ(b[32], 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 36), 4), "data");
}

// --- Compatibility with sox -------------------------------------------------------------

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  ::pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool HaveSox() {
  return RunCommand("command -v sox") != "";
}

TEST(SoxCompatibility, SoxReadsOurHeader) {
  ASSERT_TRUE(HaveSox()) << "sox is part of the build environment (scripts/setup.sh)";
  TempDir dir;
  const std::string path = dir / "ours.wav";
  // 1000 sample frames behind our header, the two sizes patched as making does.
  auto bytes = BuiltHeader({0, 0, 2, 16, 44100});
  test::AppendFrames(bytes, 1000, false);
  const uint32_t riff = static_cast<uint32_t>(bytes.size() - 8);
  const uint32_t data = static_cast<uint32_t>(bytes.size() - 44);
  for (int i = 0; i < 4; ++i) {
    bytes[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
    bytes[40 + i] = static_cast<uint8_t>(data >> (8 * i));
  }
  WriteBytes(path, bytes);
  EXPECT_EQ(RunCommand("sox --i -r '" + path + "' 2>&1"), "44100");
  EXPECT_EQ(RunCommand("sox --i -c '" + path + "' 2>&1"), "2");
  EXPECT_EQ(RunCommand("sox --i -b '" + path + "' 2>&1"), "16");
  EXPECT_EQ(RunCommand("sox --i -s '" + path + "' 2>&1"), "1000");

  // 8-bit mono at 22050 Hz too.
  const std::string mono = dir / "mono.wav";
  auto m = BuiltHeader({0, 0, 1, 8, 22050});
  m.insert(m.end(), 300, 0x80);
  m[4] = static_cast<uint8_t>(m.size() - 8);
  m[5] = static_cast<uint8_t>((m.size() - 8) >> 8);
  m[40] = static_cast<uint8_t>(300 & 0xFF);
  m[41] = static_cast<uint8_t>(300 >> 8);
  WriteBytes(mono, m);
  EXPECT_EQ(RunCommand("sox --i -r '" + mono + "' 2>&1"), "22050");
  EXPECT_EQ(RunCommand("sox --i -c '" + mono + "' 2>&1"), "1");
  EXPECT_EQ(RunCommand("sox --i -s '" + mono + "' 2>&1"), "300");
}

TEST(SoxCompatibility, WeReadSoxOutput) {
  ASSERT_TRUE(HaveSox()) << "sox is part of the build environment (scripts/setup.sh)";
  TempDir dir;
  const std::string path = dir / "sox.wav";
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 -b 16 '" + path + "' synth 0.1 sine 440").c_str()),
            0);
  WaveDataInfo info;
  ASSERT_EQ(ReadWaveHeader(path, info), 1);
  EXPECT_EQ(info.Channels, 2);
  EXPECT_EQ(info.BitsPerSample, 16);
  EXPECT_EQ(info.SampleRate, 44100);
  EXPECT_EQ(info.DataSize, 4410 * 4) << "0.1 s of 16-bit stereo";
  EXPECT_EQ(int64_t{info.DataOffset} + info.DataSize,
            static_cast<int64_t>(std::filesystem::file_size(path)));

  const std::string mono = dir / "mono8.wav";
  ASSERT_EQ(std::system(("sox -n -r 22050 -c 1 -b 8 '" + mono + "' synth 0.2 sine 440").c_str()),
            0);
  ASSERT_EQ(ReadWaveHeader(mono, info), 1);
  EXPECT_EQ(info, (WaveDataInfo{info.DataOffset, 4410, 1, 8, 22050}));
}

}  // namespace
}  // namespace varnel
