// MPEG audio frame headers built from their fields, the tags and RIFF wrappers that may
// surround MPEG audio, all built byte by byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel::test {

// Layer codes as the header stores them.
constexpr int kLayerI = 3;
constexpr int kLayerII = 2;
constexpr int kLayerIII = 1;
constexpr int kLayerReserved = 0;

struct MpegFields {
  bool Mpeg1 = true;
  int LayerCode = kLayerIII;
  int BitrateIndex = 9;  // 128 kbit/s for MPEG-1 Layer III
  int RateIndex = 0;     // 44 100 Hz for MPEG-1
  bool Padding = false;
  int ChannelMode = 0;  // 3 = single channel
};

inline std::array<uint8_t, 4> MpegHeader(const MpegFields& f) {
  return {0xFF, static_cast<uint8_t>(0xF0 | (f.Mpeg1 ? 0x08 : 0) | (f.LayerCode & 3) << 1 | 1),
          static_cast<uint8_t>((f.BitrateIndex & 15) << 4 | (f.RateIndex & 3) << 2 |
                               (f.Padding ? 2 : 0)),
          static_cast<uint8_t>((f.ChannelMode & 3) << 6)};
}

// `count` frames of `length` bytes: the header, then zero payload.
inline void AppendFrames(std::vector<uint8_t>& out, const std::array<uint8_t, 4>& header,
                         size_t length, int count = 1) {
  for (int i = 0; i < count; ++i) {
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), length > 4 ? length - 4 : 0, 0);
  }
}

// An ID3v2.3 tag header with the synchsafe size bytes as given, followed by `bodyBytes`
// zero bytes.
inline std::vector<uint8_t> Id3v2Tag(std::array<uint8_t, 4> sizeBytes, size_t bodyBytes) {
  std::vector<uint8_t> v = {'I', 'D', '3', 3, 0, 0};
  v.insert(v.end(), sizeBytes.begin(), sizeBytes.end());
  v.insert(v.end(), bodyBytes, 0);
  return v;
}

// A 128-byte ID3v1 tag.
inline std::vector<uint8_t> Id3v1Tag() {
  std::vector<uint8_t> v = {'T', 'A', 'G'};
  v.resize(128, ' ');
  return v;
}

// A Lyrics3 v2 block: "LYRICSBEGIN", a field, the six size characters as given, "LYRICS200".
// With `sizeText` empty the correct size of the block is written.
inline std::vector<uint8_t> Lyrics3v2Block(const std::string& sizeText = {}) {
  const std::string body =
      "LYRICSBEGININD00002"
      "10LYR00005hello";
  std::string size = sizeText;
  if (size.empty()) {
    size = std::to_string(body.size());
    size.insert(0, 6 - size.size(), '0');
  }
  const std::string all = body + size + "LYRICS200";
  return std::vector<uint8_t>(all.begin(), all.end());
}

inline void PutLe16At(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PutLe32At(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void PutText(std::vector<uint8_t>& v, const char* text) {
  for (; *text != '\0'; ++text) v.push_back(static_cast<uint8_t>(*text));
}

// "RIFF" size "RMP3" "data" size, then `audio`; the data size is `declared` when given.
inline std::vector<uint8_t> Rmp3Wrapper(const std::vector<uint8_t>& audio, int64_t declared = -1) {
  std::vector<uint8_t> v;
  PutText(v, "RIFF");
  PutLe32At(v, static_cast<uint32_t>(12 + audio.size()));
  PutText(v, "RMP3data");
  PutLe32At(v,
            static_cast<uint32_t>(declared >= 0 ? declared : static_cast<int64_t>(audio.size())));
  v.insert(v.end(), audio.begin(), audio.end());
  return v;
}

// A RIFF "WAVE" file with an MPEGLAYER3WAVEFORMAT-style format chunk (format tag `tag`,
// 12 extra bytes), an optional "fact" chunk, then "data" with `audio`.
inline std::vector<uint8_t> WaveWrapper(const std::vector<uint8_t>& audio, bool withFact,
                                        uint16_t tag = 0x55, int64_t declared = -1) {
  std::vector<uint8_t> v;
  PutText(v, "RIFF");
  PutLe32At(v, 0);  // not looked at
  PutText(v, "WAVEfmt ");
  PutLe32At(v, 30);
  PutLe16At(v, tag);
  PutLe16At(v, 2);      // channels
  PutLe32At(v, 44100);  // sample rate
  PutLe32At(v, 16000);  // byte rate
  PutLe16At(v, 1);      // block align
  PutLe16At(v, 0);      // bits per sample
  PutLe16At(v, 12);     // extra size
  v.insert(v.end(), 12, 0);
  if (withFact) {
    PutText(v, "fact");
    PutLe32At(v, 4);
    PutLe32At(v, 1152);
  }
  PutText(v, "data");
  PutLe32At(v,
            static_cast<uint32_t>(declared >= 0 ? declared : static_cast<int64_t>(audio.size())));
  v.insert(v.end(), audio.begin(), audio.end());
  return v;
}

}  // namespace varnel::test
