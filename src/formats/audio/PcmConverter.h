// The conversion stage between a source reader and a sink: resampling to 44 100 Hz with
// libsoxr (very high quality), TPDF dither to 16 bits, and mono made into two identical
// channels. Blocks go in, 16-bit stereo frames come out in order; Finish drains the
// resampler. Buffers are of fixed size, whatever the length of the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/audio/AudioDecoder.h"

struct soxr;

namespace varnel {

// TPDF dither to 16 bits: `x` is a sample scaled to the 16-bit range (full scale 32768).
// A whole value (nothing to quantize) is kept; any other gets triangular noise of ±1 step
// before rounding. The result is clipped to the 16-bit range.
class Dither {
 public:
  int16_t Quantize(float x);

 private:
  uint32_t Next();
  // A fixed seed: two decodes of one file give the same bytes (concurrent cache writers
  // produce identical entries).
  uint64_t State_ = 0x9E3779B97F4A7C15ull;
};

class PcmConverter {
 public:
  // `channels` is 1 or 2; `rate` the source's rate (resampled when not 44 100).
  PcmConverter(int32_t channels, int32_t rate, AudioSink& sink);
  ~PcmConverter();
  PcmConverter(const PcmConverter&) = delete;
  PcmConverter& operator=(const PcmConverter&) = delete;

  // Exact samples of a 44 100 Hz source.
  void PutShorts(const int16_t* in, size_t frames);
  // Samples in ±1, resampled when needed and dithered.
  void PutFloats(const float* in, size_t frames);
  // Drains the resampler.
  void Finish();

  bool Resamples() const { return Soxr_ != nullptr; }
  int64_t FramesOut() const { return FramesOut_; }

 private:
  void Quantize(const float* in, size_t frames);
  void Emit(const int16_t* in, size_t frames);

  int32_t Channels_;
  AudioSink& Sink_;
  soxr* Soxr_ = nullptr;
  Dither Dither_[2];
  std::vector<float> Resampled_;
  std::vector<int16_t> Quantized_;
  std::vector<int16_t> Stereo_;
  int64_t FramesOut_ = 0;
};

}  // namespace varnel
