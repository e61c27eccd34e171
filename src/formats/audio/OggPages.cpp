#include "formats/audio/OggPages.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/audio/AudioDecoder.h"

namespace varnel {

namespace {

// The CRC of Ogg pages: polynomial 0x04C11DB7, no reflection, initial value 0.
const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[i] = r;
    }
    return t;
  }();
  return table;
}

uint32_t Crc(uint32_t crc, const uint8_t* data, size_t size) {
  const auto& table = CrcTable();
  for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
  return crc;
}

}  // namespace

void CheckOggPages(const PosixFile& file, const char* kind) {
  auto damaged = [kind](const std::string& what, int64_t at) {
    throw DecodeError(std::string("damaged ") + kind + " data (" + what + " at byte " +
                      std::to_string(at) + ")");
  };
  const int64_t size = file.Size();
  int64_t at = 0;
  bool ended = false;
  std::vector<uint8_t> page;
  while (at < size) {
    uint8_t head[27 + 255];
    if (file.ReadAt(at, head, 27) < 27) {
      if (at == 0) return;
      damaged("a cut page header", at);
    }
    if (head[0] != 'O' || head[1] != 'g' || head[2] != 'g' || head[3] != 'S' || head[4] != 0) {
      if (at == 0) return;  // no Ogg file at all: the decoder says what it is not
      damaged("no Ogg page", at);
    }
    const size_t segments = head[26];
    if (file.ReadAt(at + 27, head + 27, segments) < segments) damaged("a cut page header", at);
    size_t body = 0;
    for (size_t k = 0; k < segments; ++k) body += head[27 + k];
    page.resize(27 + segments + body);
    if (file.ReadAt(at, page.data(), page.size()) < page.size()) damaged("a cut page", at);
    const uint32_t stored = uint32_t{page[22]} | uint32_t{page[23]} << 8 |
                            uint32_t{page[24]} << 16 | uint32_t{page[25]} << 24;
    page[22] = page[23] = page[24] = page[25] = 0;
    if (Crc(0, page.data(), page.size()) != stored) damaged("a page that fails its checksum", at);
    ended = (head[5] & 0x04) != 0;
    at += static_cast<int64_t>(page.size());
  }
  if (!ended) damaged("no end of stream", size);
}

}  // namespace varnel
