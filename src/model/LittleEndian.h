// Little-endian numbers in byte buffers, as wave, RIFF and MPEG wrapper headers hold them.
// Byte by byte, so they work on any host and at any alignment; the compiler turns them into
// single loads and stores on little-endian machines.
#pragma once

#include <cstdint>

namespace varnel {

inline uint16_t GetLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | static_cast<unsigned>(p[1]) << 8);
}

inline uint32_t GetLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The low 16 bits of `value`.
inline void PutLe16(unsigned char* p, uint32_t value) {
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
}

inline void PutLe32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace varnel
