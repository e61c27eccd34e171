// The checksums of the audio a planned disc will hold, computed before anything is made: for
// each audio track, the AccurateRip v1 and v2 checksums and the CRC32 of its audio from its
// index 01 to the next track's index 01 (the last audio track: to the end of the audio), the
// span a ripper reads as the track. AccurateRip leaves out the first 2939 samples of the
// first audio track and the last 2940 of the last one; the CRC32 covers every byte.
//
// The audio is read as the made files would hold it (silent pre-gaps, zero padding, the cut
// regions of the sources; an MP3 track decoded and fitted to its planned length) in one pass,
// in blocks of bounded size: memory does not grow with the disc.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "make/DiscIdentity.h"

namespace varnel {

struct TrackChecksums {
  int32_t Number = 0;
  uint32_t AccurateRip1 = 0;
  uint32_t AccurateRip2 = 0;
  uint32_t Crc32 = 0;
  friend bool operator==(const TrackChecksums&, const TrackChecksums&) = default;
};

// Thrown by PlanChecksums when `cancel` was set.
class ChecksumsCanceled : public std::runtime_error {
 public:
  ChecksumsCanceled() : std::runtime_error("checksums canceled") {}
};

// Called with the bytes read so far and the bytes to read, about every few megabytes.
using ChecksumProgress = std::function<void(int64_t done, int64_t total)>;

// The CRC32 of zlib (crc32(crc, data, size)), by carry-less multiplication where the processor
// has it.
uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t size);

// One entry per audio track, in disc order. Throws std::runtime_error (FileError,
// DecodeError…) naming the file that cannot be read, ChecksumsCanceled when `cancel` is set.
std::vector<TrackChecksums> PlanChecksums(const PlannedDisc& disc,
                                          const ChecksumProgress& progress = nullptr,
                                          const std::atomic<bool>* cancel = nullptr);

}  // namespace varnel
