#include "model/CdTime.h"

#include <cstdio>
#include <limits>

namespace varnel {

namespace {

// a × b + c, held at the int64 limits instead of overflowing (only hostile inputs get near).
int64_t SaturatingMulAdd(int64_t a, int64_t b, int64_t c) {
  int64_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) {
    return ((a < 0) != (b < 0)) ? std::numeric_limits<int64_t>::min()
                                : std::numeric_limits<int64_t>::max();
  }
  int64_t sum = 0;
  if (__builtin_add_overflow(product, c, &sum)) {
    return c < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  }
  return sum;
}

int32_t ClampToInt32(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

int64_t MsfToFrames(int64_t minutes, int64_t seconds, int64_t frames) {
  return SaturatingMulAdd(SaturatingMulAdd(minutes, 60, seconds), kCdFramesPerSecond, frames);
}

Msf FramesToMsf(int64_t frames) {
  Msf msf;
  msf.Min = ClampToInt32(frames / kCdFramesPerMinute);
  msf.Sec = static_cast<int32_t>((frames / kCdFramesPerSecond) % 60);
  msf.Frame = static_cast<int32_t>(frames % kCdFramesPerSecond);
  return msf;
}

int64_t BytesToWholeFrames(int64_t bytes) {
  // Division truncates towards zero, so only a positive remainder needs rounding up.
  int64_t quotient = bytes / kBytesPerCdFrame;
  return bytes % kBytesPerCdFrame > 0 ? quotient + 1 : quotient;
}

int64_t SamplesToFrames(int64_t samples) {
  return samples / kSamplesPerCdFrame;
}

std::string FormatMsf(int64_t minutes, int64_t seconds, int64_t frames) {
  char text[80];
  std::snprintf(text, sizeof text, "%.2lld:%.2lld:%.2lld", static_cast<long long>(minutes),
                static_cast<long long>(seconds), static_cast<long long>(frames));
  return text;
}

std::string FormatMsf(const Msf& msf) {
  return FormatMsf(msf.Min, msf.Sec, msf.Frame);
}

}  // namespace varnel
