// MPEG audio frames built from header bytes, with zero payload.
#pragma once

#include <cstdint>
#include <vector>

namespace varnel::test {

// Appends `count` frames whose header is h0..h3 and whose total length is `length` bytes.
inline void AppendMpegFrames(std::vector<uint8_t>& out, int count, uint8_t h1, uint8_t h2,
                             uint8_t h3, size_t length) {
  for (int i = 0; i < count; ++i) {
    out.push_back(0xFF);
    out.push_back(h1);
    out.push_back(h2);
    out.push_back(h3);
    out.insert(out.end(), length - 4, 0);
  }
}

// MPEG-1 Layer III, 128 kbit/s, 44 100 Hz, no padding: 417-byte frames of 26.0625 ms.
inline std::vector<uint8_t> Mpeg1Layer3Stereo44k(int frames) {
  std::vector<uint8_t> v;
  AppendMpegFrames(v, frames, 0xFB, 0x90, 0x00, 417);
  return v;
}

// The same frames in single-channel mode.
inline std::vector<uint8_t> Mpeg1Layer3Mono44k(int frames) {
  std::vector<uint8_t> v;
  AppendMpegFrames(v, frames, 0xFB, 0x90, 0xC0, 417);
  return v;
}

// MPEG-2 Layer III, 64 kbit/s, 22 050 Hz, stereo: 72000 × 64 / 22050 = 208-byte frames.
inline std::vector<uint8_t> Mpeg2Layer3Stereo22k(int frames) {
  std::vector<uint8_t> v;
  AppendMpegFrames(v, frames, 0xF3, 0x80, 0x00, 208);
  return v;
}

}  // namespace varnel::test
