// The MPEG walk as the program first did it, kept as the reference for the walk that reads
// files in blocks: the whole file in one buffer, every test a bounds check on that buffer.
// Only the header fields (bitrate, rate, length, duration) come from MpegAudioFile; how the
// tags, wrappers and frames are found is this file's own.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/audio/MpegAudioFile.h"

namespace varnel::test {

struct ReferenceWalk {
  bool Opened = false;
  int32_t FirstFrameOffset = 0;
  int32_t AudioSize = 0;
  uint8_t FirstHeader[4] = {0, 0, 0, 0};
  int32_t Count = 0;  // CountFrames' result: 0 on failure
  float Duration = 0.0f;
};

inline ReferenceWalk ReferenceMpegWalk(const std::vector<uint8_t>& d) {
  ReferenceWalk r;
  const int64_t s = static_cast<int64_t>(d.size());
  auto has = [&](int64_t pos, int64_t n) { return pos >= 0 && n >= 0 && pos <= s && s - pos >= n; };
  auto is = [&](int64_t pos, const char* text) {
    const auto n = static_cast<int64_t>(std::strlen(text));
    return has(pos, n) && std::memcmp(d.data() + pos, text, static_cast<size_t>(n)) == 0;
  };
  auto le16 = [&](int64_t pos) { return uint32_t{d[pos]} | uint32_t{d[pos + 1]} << 8; };
  auto le32 = [&](int64_t pos) { return le16(pos) | le16(pos + 2) << 16; };
  if (s == 0 || s > INT32_MAX) return r;

  int64_t audio = s;
  if (is(s - 128, "TAG")) audio = s - 128;
  if (s >= 143 && is(s - 137, "LYRICS200")) {
    int64_t lyrics = 0;
    for (int i = 0; i < 6 && lyrics >= 0; ++i) {
      const uint8_t c = d[s - 143 + i];
      lyrics = c < '0' || c > '9' ? -1 : lyrics * 10 + (c - '0');
    }
    if (lyrics >= 0 && lyrics <= s - 143) audio -= lyrics + 15;
  }
  int64_t pos = 0;
  if (is(0, "RIFF")) {
    if (is(8, "RMP3")) {
      if (!is(12, "data") || !has(16, 4)) return r;
      audio = le32(16);
      pos = 20;
    } else if (is(8, "WAVE")) {
      if (!has(20, 2) || le16(20) != 0x55 || !has(36, 2)) return r;
      pos = 38 + static_cast<int64_t>(le16(36));
      if (is(pos, "fact")) pos += 12;
      if (!is(pos, "data") || !has(pos + 4, 4)) return r;
      audio = le32(pos + 4);
      pos += 8;
    } else {
      return r;
    }
    if (audio > s - pos) audio = s - pos;
  }
  if (is(pos, "ID3")) {
    if (!has(pos + 6, 4)) return r;
    const int64_t size = int64_t{d[pos + 6] & 0x7F} << 21 | int64_t{d[pos + 7] & 0x7F} << 14 |
                         int64_t{d[pos + 8] & 0x7F} << 7 | int64_t{d[pos + 9] & 0x7F};
    pos += 10 + size;
    audio -= size + 10;
  }
  if (!has(pos, 4) || !MpegAudioFile::IsFrameHeader(d.data() + pos)) return r;
  r.Opened = true;
  r.FirstFrameOffset = static_cast<int32_t>(pos);
  std::memcpy(r.FirstHeader, d.data() + pos, 4);
  r.AudioSize = static_cast<int32_t>(audio < 0 ? 0 : audio);

  int32_t count = 0;
  float duration = 0.0f;
  int64_t walked = 0;
  int64_t at = r.FirstFrameOffset;
  while (walked < r.AudioSize) {
    if (s - at < 4 || !MpegAudioFile::IsFrameHeader(d.data() + at)) break;
    const int32_t len = MpegAudioFile::FrameLength(d.data() + at);
    if (len == 0) return r;  // Count 0: the walk fails
    duration =
        static_cast<float>(static_cast<long double>(duration) +
                           static_cast<long double>(MpegAudioFile::FrameDuration(d.data() + at)));
    at += len;
    walked += len;
    ++count;
  }
  r.Count = count;
  r.Duration = duration;
  return r;
}

}  // namespace varnel::test
