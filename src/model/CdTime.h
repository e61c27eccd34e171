// CD time units: bytes of 16-bit stereo audio, sample frames (4 bytes), CD frames
// (2352 bytes = 588 sample frames = 1/75 s) and minutes:seconds:frames.
//
// Positions are 32-bit; byte counts that can pass 2 GiB take and give 64-bit values so
// that no arithmetic here can overflow: products that would leave the 64-bit range are held
// at its limits. Division truncates towards zero.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

inline constexpr int32_t kBytesPerSample = 4;  // one stereo 16-bit sample frame
inline constexpr int32_t kSamplesPerCdFrame = 588;
inline constexpr int32_t kBytesPerCdFrame = 2352;  // CdFrame
inline constexpr int32_t kCdFramesPerSecond = 75;
inline constexpr int32_t kCdFramesPerMinute = 4500;
inline constexpr int32_t kSamplesPerSecond = 44100;
inline constexpr int32_t kBytesPerSecond = 176400;

struct Msf {
  int32_t Min = 0;
  int32_t Sec = 0;
  int32_t Frame = 0;
  friend bool operator==(const Msf&, const Msf&) = default;
};

// (minutes × 60 + seconds) × 75 + frames.
int64_t MsfToFrames(int64_t minutes, int64_t seconds, int64_t frames);
// minutes = f div 4500 (held at the int32 limits); seconds = (f div 75) mod 60;
// frames = f mod 75.
Msf FramesToMsf(int64_t frames);
// Ceiling of bytes / 2352: a started CD frame occupies a whole one on disc (the true
// ceiling also for negative values: −1 gives 0, −2353 gives −1).
int64_t BytesToWholeFrames(int64_t bytes);
// samples div 588.
int64_t SamplesToFrames(int64_t samples);
// "%.2d:%.2d:%.2d"; minutes above 99 print with more digits, a negative part as "-05".
std::string FormatMsf(int64_t minutes, int64_t seconds, int64_t frames);
std::string FormatMsf(const Msf& msf);

}  // namespace varnel
