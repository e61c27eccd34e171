// Wave header reader and writer.
//
// The reader works on positions held in 64 bits and never trusts a declared size: every
// chunk header must lie wholly inside the file, every step moves forwards, so the walk
// ends on any input. Reads go through a small window so that a file made of thousands of
// tiny chunks costs a handful of system calls.
#include "formats/audio/WaveHeader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "model/LittleEndian.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

bool TagIs(const unsigned char* p, const char* tag) {
  return std::memcmp(p, tag, 4) == 0;
}

enum class ReadResult { Ok, Short, Error };

// Positioned reads of a regular file through a cached window.
class WindowReader {
 public:
  // The window is no larger than the file (and at least one format block).
  WindowReader(const PosixFile& file, int64_t fileSize)
      : File_(file),
        Buf_(static_cast<size_t>(std::clamp<int64_t>(fileSize, kMinWindow, kWindow))) {}

  // Reads `n` bytes (n <= kMinWindow) at `pos` into `out`. Short when the file ends first.
  ReadResult Read(int64_t pos, unsigned char* out, size_t n) {
    if (pos < Start_ || pos + static_cast<int64_t>(n) > Start_ + Len_) {
      Start_ = pos;
      try {
        Len_ = static_cast<int64_t>(File_.ReadAt(pos, Buf_.data(), Buf_.size()));
      } catch (const FileError&) {
        Len_ = 0;
        return ReadResult::Error;
      }
      if (static_cast<int64_t>(n) > Len_) return ReadResult::Short;
    }
    std::memcpy(out, Buf_.data() + (pos - Start_), n);
    return ReadResult::Ok;
  }

 private:
  static constexpr int64_t kWindow = 64 * 1024;
  static constexpr int64_t kMinWindow = 16;

  const PosixFile& File_;
  std::vector<unsigned char> Buf_;
  int64_t Start_ = 0;
  int64_t Len_ = 0;
};

// The reader proper on an open file of `fileSize` bytes.
int32_t ReadHeaderFrom(WindowReader& in, int64_t fileSize, WaveDataInfo& info) {
  unsigned char b[16];
  auto read = [&](int64_t pos, size_t n) { return in.Read(pos, b, n); };

  ReadResult r = read(0, 8);
  if (r != ReadResult::Ok) return r == ReadResult::Error ? -1 : 0;
  if (!TagIs(b, "RIFF")) return 0;
  r = read(8, 4);
  if (r != ReadResult::Ok) return r == ReadResult::Error ? -1 : 0;
  if (!TagIs(b, "WAVE")) return 0;
  r = read(12, 8);
  if (r != ReadResult::Ok) return r == ReadResult::Error ? -1 : 0;
  if (!TagIs(b, "fmt ")) return 0;
  uint32_t chunkSize = GetLe32(b + 4);

  r = read(20, 16);
  if (r != ReadResult::Ok) return r == ReadResult::Error ? -1 : 0;
  const uint16_t formatTag = GetLe16(b);
  const uint16_t channels = GetLe16(b + 2);
  const uint32_t sampleRate = GetLe32(b + 4);
  const uint32_t byteRate = GetLe32(b + 8);
  const uint16_t blockAlign = GetLe16(b + 12);
  const uint16_t bits = GetLe16(b + 14);
  if (formatTag != 1) return 0;
  if (channels != 2 && channels != 1) return 0;
  info.Channels = channels;
  if (bits != 16 && bits != 8) return 0;
  info.BitsPerSample = bits;
  if (static_cast<uint32_t>(bits) * channels / 8 != blockAlign) return 0;
  if (static_cast<uint64_t>(blockAlign) * sampleRate != byteRate) return 0;
  // 8-bit mono lets any 32-bit rate through the byte-rate check; one that an int32 cannot
  // hold is no rate at all.
  if (sampleRate > static_cast<uint32_t>(kInt32Max)) return 0;
  info.SampleRate = static_cast<int32_t>(sampleRate);

  // Chunk walk from the start of the format chunk's body. Each step moves forwards by at
  // least a chunk header, and a header must fit wholly in the file, so the walk ends.
  int64_t pos = 20;
  for (;;) {
    pos += chunkSize;
    if (pos >= fileSize || pos + 8 > fileSize) return 0;
    r = read(pos, 8);
    if (r != ReadResult::Ok) return r == ReadResult::Error ? -1 : 0;
    pos += 8;
    chunkSize = GetLe32(b + 4);
    if (TagIs(b, "data")) break;
  }

  if (pos > kInt32Max) return 0;
  // The bytes really there; streaming recorders leave the size 0 or 0xFFFFFFFF.
  int64_t size = chunkSize;
  const int64_t present = fileSize - pos;
  if (size > present) size = present;
  // Every position in the data region must be an int32 byte offset: clamp to whole sample
  // frames that end at or before 2^31-1.
  if (pos + size > kInt32Max) size = (kInt32Max - pos) / 4 * 4;
  info.DataOffset = static_cast<int32_t>(pos);
  info.DataSize = size;
  return 1;
}

}  // namespace

int32_t ReadWaveHeader(const std::string& path, WaveDataInfo& info) {
  try {
    const PosixFile file = PosixFile::OpenForReading(path);
    const int64_t fileSize = file.Size();
    WindowReader in(file, fileSize);
    return ReadHeaderFrom(in, fileSize, info);
  } catch (...) {
    // Missing, not a regular file, or (only allocation throws later) as good as unreadable.
    return -1;
  }
}

void BuildWaveHeader(const WaveDataInfo& info, unsigned char out[44]) {
  // 32-bit arithmetic as the format's own fields hold it: the product wraps modulo 2^32
  // (no signed overflow), then is divided by 8 as a signed value.
  const uint32_t product = static_cast<uint32_t>(info.SampleRate) *
                           static_cast<uint32_t>(info.Channels) *
                           static_cast<uint32_t>(info.BitsPerSample);
  const int32_t byteRate = static_cast<int32_t>(product) / 8;
  // Block align is byte rate / sample rate; for a rate of 0 that has no value, and the
  // same quantity is channels × bits / 8.
  int64_t blockAlign;
  if (info.SampleRate != 0) {
    blockAlign = static_cast<int64_t>(byteRate) / info.SampleRate;
  } else {
    blockAlign = static_cast<int32_t>(static_cast<uint32_t>(info.Channels) *
                                      static_cast<uint32_t>(info.BitsPerSample)) /
                 8;
  }

  std::memcpy(out, "RIFF", 4);
  PutLe32(out + 4, 36);
  std::memcpy(out + 8, "WAVEfmt ", 8);
  PutLe32(out + 16, 16);
  PutLe16(out + 20, 1);
  PutLe16(out + 22, static_cast<uint32_t>(info.Channels));
  PutLe32(out + 24, static_cast<uint32_t>(info.SampleRate));
  PutLe32(out + 28, static_cast<uint32_t>(byteRate));
  PutLe16(out + 32, static_cast<uint32_t>(blockAlign));
  PutLe16(out + 34, static_cast<uint32_t>(info.BitsPerSample));
  std::memcpy(out + 36, "data", 4);
  PutLe32(out + 40, 0);
}

}  // namespace varnel
