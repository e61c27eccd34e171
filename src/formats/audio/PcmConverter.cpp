#include "formats/audio/PcmConverter.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace varnel {

namespace {

constexpr size_t kBlockFrames = 4096;
constexpr double kCdRate = 44100.0;

}  // namespace

// ---- Dither --------------------------------------------------------------------------

uint32_t Dither::Next() {
  // xorshift64*: fast, and good enough for noise that only has to be uncorrelated.
  State_ ^= State_ >> 12;
  State_ ^= State_ << 25;
  State_ ^= State_ >> 27;
  return static_cast<uint32_t>((State_ * 0x2545F4914F6CDD1Dull) >> 32);
}

int16_t Dither::Quantize(float x) {
  float y = x;
  if (std::nearbyint(x) != x) {
    // The difference of two uniform values in [0, 1): triangular on (−1, 1).
    constexpr float kScale = 1.0f / 4294967296.0f;
    y = x + (static_cast<float>(Next()) - static_cast<float>(Next())) * kScale;
  }
  // NaN from a broken float source becomes silence rather than undefined behaviour.
  if (!(y == y)) return 0;
  const float r = std::nearbyint(y);
  if (r >= 32767.0f) return 32767;
  if (r <= -32768.0f) return -32768;
  return static_cast<int16_t>(r);
}

// ---- PcmConverter --------------------------------------------------------------------

PcmConverter::PcmConverter(int32_t channels, int32_t rate, AudioSink& sink)
    : Channels_(channels), Sink_(sink) {
  if (rate != static_cast<int32_t>(kCdRate)) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    // One thread: the decode runs beside the window's thread and others.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t err = nullptr;
    Soxr_ =
        soxr_create(rate, kCdRate, static_cast<unsigned>(channels), &err, &io, &quality, &runtime);
    if (err != nullptr || Soxr_ == nullptr) {
      if (Soxr_ != nullptr) soxr_delete(Soxr_);
      Soxr_ = nullptr;
      throw DecodeError(std::string("cannot resample from ") + std::to_string(rate) + " Hz (" +
                        soxr_strerror(err) + ")");
    }
    // Room for one block's output at the highest upsampling ratio the decoder allows, plus
    // what the filter holds back.
    const double ratio = kCdRate / rate;
    Resampled_.resize(static_cast<size_t>(std::ceil(kBlockFrames * ratio) + 1024) *
                      static_cast<size_t>(channels));
  }
  Quantized_.resize(kBlockFrames * static_cast<size_t>(channels));
  Stereo_.resize(kBlockFrames * 2);
}

PcmConverter::~PcmConverter() {
  if (Soxr_ != nullptr) soxr_delete(Soxr_);
}

void PcmConverter::Emit(const int16_t* in, size_t frames) {
  if (FramesOut_ + static_cast<int64_t>(frames) > kMaxDecodedFrames) {
    throw DecodeError("longer than a CD track can be (more than 3 h 22 min of audio)");
  }
  if (Channels_ == 2) {
    Sink_.Write(in, frames);
  } else {
    for (size_t done = 0; done < frames;) {
      const size_t n = std::min(frames - done, kBlockFrames);
      for (size_t i = 0; i < n; ++i) {
        Stereo_[2 * i] = in[done + i];
        Stereo_[2 * i + 1] = in[done + i];
      }
      Sink_.Write(Stereo_.data(), n);
      done += n;
    }
  }
  FramesOut_ += static_cast<int64_t>(frames);
}

void PcmConverter::PutShorts(const int16_t* in, size_t frames) {
  Emit(in, frames);
}

void PcmConverter::Quantize(const float* in, size_t frames) {
  const size_t channels = static_cast<size_t>(Channels_);
  for (size_t done = 0; done < frames;) {
    const size_t n = std::min(frames - done, kBlockFrames);
    const float* src = in + done * channels;
    for (size_t i = 0; i < n; ++i) {
      for (size_t c = 0; c < channels; ++c) {
        Quantized_[i * channels + c] = Dither_[c].Quantize(src[i * channels + c] * 32768.0f);
      }
    }
    Emit(Quantized_.data(), n);
    done += n;
  }
}

void PcmConverter::PutFloats(const float* in, size_t frames) {
  if (Soxr_ == nullptr) {
    Quantize(in, frames);
    return;
  }
  const size_t channels = static_cast<size_t>(Channels_);
  const size_t room = Resampled_.size() / channels;
  while (frames > 0) {
    size_t used = 0;
    size_t made = 0;
    const soxr_error_t err = soxr_process(Soxr_, in, frames, &used, Resampled_.data(), room, &made);
    if (err != nullptr) throw DecodeError(std::string("resampling failed (") + err + ")");
    Quantize(Resampled_.data(), made);
    in += used * channels;
    frames -= used;
    // With room for a whole block this cannot happen; never spin, never drop input silently.
    if (used == 0 && made == 0) throw DecodeError("resampling failed (no progress)");
  }
}

void PcmConverter::Finish() {
  if (Soxr_ == nullptr) return;
  const size_t room = Resampled_.size() / static_cast<size_t>(Channels_);
  while (true) {
    size_t made = 0;
    const soxr_error_t err =
        soxr_process(Soxr_, nullptr, 0, nullptr, Resampled_.data(), room, &made);
    if (err != nullptr) throw DecodeError(std::string("resampling failed (") + err + ")");
    if (made == 0) break;
    Quantize(Resampled_.data(), made);
  }
}

}  // namespace varnel
