#include "model/SilenceScan.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "model/CdTime.h"

namespace varnel {

namespace {

// The unit in which the track record measures a trailing scan: 735 sample frames, 1/60 s.
constexpr int64_t kScanBlockBytes = 2940;
// How far below a backward scan the file is asked for in advance.
constexpr int64_t kReadAheadBytes = 8 * 1024 * 1024;

uint64_t Word(const unsigned char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

uint32_t FrameBits(const unsigned char* p, int64_t frame) {
  uint32_t bits;
  std::memcpy(&bits, p + frame * kBytesPerSample, sizeof bits);
  return bits;
}

// Whether the kZeroRun bytes at `p` are all zero: one OR over all of them, in four
// independent 16-byte lanes (GCC leaves a single 8-byte chain scalar, at a quarter of the
// speed; both compilers keep these lanes in vector registers).
constexpr int64_t kZeroRun = 1024;
using Lane = uint64_t __attribute__((vector_size(16)));
bool ZeroRun(const unsigned char* p) {
  Lane a{}, b{}, c{}, d{};
  for (int64_t i = 0; i < kZeroRun; i += 64) {
    Lane w, x, y, z;
    std::memcpy(&w, p + i, sizeof w);
    std::memcpy(&x, p + i + 16, sizeof x);
    std::memcpy(&y, p + i + 32, sizeof y);
    std::memcpy(&z, p + i + 48, sizeof z);
    a |= w;
    b |= x;
    c |= y;
    d |= z;
  }
  const Lane any = (a | b) | (c | d);
  return (any[0] | any[1]) == 0;
}

// Whether the 64 bytes at `p` are all zero.
bool ZeroLine(const unsigned char* p) {
  return ((Word(p) | Word(p + 8)) | (Word(p + 16) | Word(p + 24)) | (Word(p + 32) | Word(p + 40)) |
          (Word(p + 48) | Word(p + 56))) == 0;
}

// Non-zero when one of the two 4-byte halves of `w` is zero: subtracting 1 from a half
// borrows through its top bit only when the half was zero (a borrow out of a zero lower half
// can mark the upper one too, but then a zero half is there all the same).
uint64_t ZeroHalf(uint64_t w) {
  constexpr uint64_t kOnes = 0x0000000100000001ULL;
  constexpr uint64_t kTops = 0x8000000080000000ULL;
  return (w - kOnes) & ~w & kTops;
}

// Reads up to `size` bytes at `offset`: fewer at the end of the file; on a read error none
// (a scan ends there as it ends at the end of the file) or the error thrown.
int64_t ReadBlock(const PosixFile& file, int64_t offset, unsigned char* buffer, int64_t size,
                  ReadErrors errors) {
  try {
    return static_cast<int64_t>(file.ReadAt(offset, buffer, static_cast<size_t>(size)));
  } catch (const FileError&) {
    if (errors == ReadErrors::Throw) throw;
    return 0;
  }
}

std::unique_ptr<unsigned char[]> ScanBuffer(int64_t bytesToExamine) {
  // Not value-initialised: only what a read fills is ever looked at.
  return std::unique_ptr<unsigned char[]>(
      new unsigned char[static_cast<size_t>(std::min(bytesToExamine, kSilenceReadBytes))]);
}

int32_t ClampCount(int64_t count) {
  return static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
}

}  // namespace

int64_t SilentFramesAtFront(const unsigned char* bytes, int64_t frames) {
  const int64_t size = frames * kBytesPerSample;
  int64_t i = 0;
  while (i + kZeroRun <= size && ZeroRun(bytes + i)) i += kZeroRun;
  while (i + 64 <= size && ZeroLine(bytes + i)) i += 64;
  while (i + 8 <= size && Word(bytes + i) == 0) i += 8;
  int64_t f = i / kBytesPerSample;
  while (f < frames && FrameBits(bytes, f) == 0) ++f;
  return f;
}

int64_t SilentFramesAtBack(const unsigned char* bytes, int64_t frames) {
  int64_t end = frames * kBytesPerSample;  // the bytes from `end` on are zero
  while (end >= kZeroRun && ZeroRun(bytes + end - kZeroRun)) end -= kZeroRun;
  while (end >= 64 && ZeroLine(bytes + end - 64)) end -= 64;
  while (end >= 8 && Word(bytes + end - 8) == 0) end -= 8;
  int64_t f = end / kBytesPerSample;
  while (f > 0 && FrameBits(bytes, f - 1) == 0) --f;
  return frames - f;
}

int64_t FirstSilentFrame(const unsigned char* bytes, int64_t frames) {
  int64_t f = 0;
  while (f + 8 <= frames) {
    const unsigned char* p = bytes + f * kBytesPerSample;
    if ((ZeroHalf(Word(p)) | ZeroHalf(Word(p + 8)) | ZeroHalf(Word(p + 16)) |
         ZeroHalf(Word(p + 24))) != 0) {
      break;
    }
    f += 8;
  }
  while (f < frames && FrameBits(bytes, f) != 0) ++f;
  return f;
}

int64_t ScanSilenceForwards(const PosixFile& file, int64_t start, int64_t limit,
                            ReadErrors errors) {
  if (limit <= 0 || start < 0) return 0;
  auto buffer = ScanBuffer(std::min(limit, kSilenceReadBytes / kBytesPerSample) * kBytesPerSample);
  int64_t count = 0;
  while (count < limit) {
    const int64_t ask =
        std::min(kSilenceReadBytes / kBytesPerSample, limit - count) * kBytesPerSample;
    const int64_t got = ReadBlock(file, start, buffer.get(), ask, errors);
    const int64_t frames = got / kBytesPerSample;  // a partial frame at the end is no frame
    const int64_t silent = SilentFramesAtFront(buffer.get(), frames);
    count += silent;
    if (silent < frames || got < ask) break;
    start += got;
  }
  return count;
}

int64_t ScanSilenceBackwards(const PosixFile& file, int64_t bottom, int64_t top,
                             ReadErrors errors) {
  if (bottom < 0 || top <= bottom) return 0;
  bottom += (top - bottom) % kBytesPerSample;  // whole frames below `top` only
  auto buffer = ScanBuffer(top - bottom);
  int64_t count = 0;
  int64_t asked = top;  // the lowest byte asked for in advance
  while (top > bottom) {
    const int64_t start = std::max(bottom, top - kSilenceReadBytes);
    const int64_t ask = top - start;
    const auto cached =
        static_cast<int64_t>(file.ReadCachedAt(start, buffer.get(), static_cast<size_t>(ask)));
    if (cached < ask) {
      // The kernel reads ahead only forwards: when the page cache lacks the block, ask for
      // the bytes below the scan in advance, a few blocks at a time.
      if (asked > bottom && start - asked < kReadAheadBytes / 2) {
        const int64_t from = std::max(bottom, asked - kReadAheadBytes);
        ::posix_fadvise(file.Fd(), static_cast<off_t>(from), static_cast<off_t>(asked - from),
                        POSIX_FADV_WILLNEED);
        asked = from;
      }
      if (ReadBlock(file, start + cached, buffer.get() + cached, ask - cached, errors) <
          ask - cached) {
        break;
      }
    }
    const int64_t frames = ask / kBytesPerSample;
    const int64_t silent = SilentFramesAtBack(buffer.get(), frames);
    count += silent;
    if (silent < frames) break;
    top = start;
  }
  return count;
}

int32_t CountLeadingSilenceInFile(const std::string& path, int32_t dataOffset, int32_t first,
                                  int32_t end) {
  PosixFile file;
  try {
    file = PosixFile::OpenForReading(path);
  } catch (const FileError&) {
    return -1;
  }
  // The count never exceeds the region, so the scan stops at its end.
  const int64_t wanted = static_cast<int64_t>(end) - first;
  const int64_t start = static_cast<int64_t>(dataOffset) + int64_t{kBytesPerSample} * first;
  if (wanted <= 0 || start < 0) return 0;
  return ClampCount(ScanSilenceForwards(file, start, wanted));
}

int32_t CountTrailingSilenceInFile(const std::string& path, int32_t dataOffset, int32_t first,
                                   int32_t end) {
  PosixFile file;
  try {
    file = PosixFile::OpenForReading(path);
  } catch (const FileError&) {
    return -1;
  }
  const int64_t wanted = static_cast<int64_t>(end) - first;
  const int64_t endByte = static_cast<int64_t>(dataOffset) + int64_t{kBytesPerSample} * end;
  const int64_t firstByte = static_cast<int64_t>(dataOffset) + int64_t{kBytesPerSample} * first;
  if (wanted <= 0 || endByte <= 0) return 0;
  // Blocks step back from the end and never start before the sample data. With a
  // (malformed) negative DataOffset the block that would start before byte 0 reads
  // nothing, so the lowest reachable byte is the lowest block boundary at or above 0.
  const int64_t lowest = dataOffset >= 0 ? dataOffset : endByte % kScanBlockBytes;
  const int64_t bottom = std::max(lowest, firstByte);
  if (bottom >= endByte) return 0;
  return ClampCount(std::min(ScanSilenceBackwards(file, bottom, endByte), wanted));
}

}  // namespace varnel
