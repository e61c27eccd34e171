#include "Mpegaudioheader.h"

#include "PosixFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>

namespace varnel {

namespace {

// Bitrates in kbit/s by bitrate index (ISO/IEC 11172-3, ISO/IEC 13818-3). Index 0 (free
// format) and 15 (forbidden) give 0.
constexpr int32_t kMpeg1Layer1[16] = {0,   32,  64,  96,  128, 160, 192, 224,
                                      256, 288, 320, 352, 384, 416, 448, 0};
constexpr int32_t kMpeg1Layer2[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                      128, 160, 192, 224, 256, 320, 384, 0};
constexpr int32_t kMpeg1Layer3[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                      112, 128, 160, 192, 224, 256, 320, 0};
constexpr int32_t kMpeg2Layer1[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                      128, 144, 160, 176, 192, 224, 256, 0};
constexpr int32_t kMpeg2Layer23[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                       64, 80, 96, 112, 128, 144, 160, 0};

constexpr int32_t kMpeg1Rates[4] = {44100, 48000, 32000, 0};
constexpr int32_t kMpeg2Rates[4] = {22050, 24000, 16000, 0};

constexpr int kLayerI = 3;
constexpr int kLayerII = 2;
constexpr int kLayerIII = 1;

bool IsMpeg1(const uint8_t h[4]) {
  return (h[1] & 0x08) != 0;
}
int LayerCode(const uint8_t h[4]) {
  return (h[1] >> 1) & 3;
}
int Padding(const uint8_t h[4]) {
  return (h[2] >> 1) & 1;
}

// Bounds-checked views of the loaded bytes: every test first asks whether the bytes exist.
bool HasBytes(const std::vector<uint8_t>& d, int64_t pos, int64_t n) {
  return pos >= 0 && n >= 0 && pos <= static_cast<int64_t>(d.size()) &&
         static_cast<int64_t>(d.size()) - pos >= n;
}

bool BytesAre(const std::vector<uint8_t>& d, int64_t pos, const char* text) {
  const int64_t n = static_cast<int64_t>(std::strlen(text));
  return HasBytes(d, pos, n) && std::memcmp(d.data() + pos, text, static_cast<size_t>(n)) == 0;
}

uint32_t Le16(const std::vector<uint8_t>& d, int64_t pos) {
  return static_cast<uint32_t>(d[pos]) | static_cast<uint32_t>(d[pos + 1]) << 8;
}

uint32_t Le32(const std::vector<uint8_t>& d, int64_t pos) {
  return Le16(d, pos) | Le16(d, pos + 2) << 16;
}

// The six decimal digits of a Lyrics3 v2 size field; −1 when any of them is not a digit.
int64_t LyricsSize(const std::vector<uint8_t>& d, int64_t pos) {
  int64_t value = 0;
  for (int i = 0; i < 6; ++i) {
    const uint8_t c = d[pos + i];
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Reads a whole regular file; false on anything else (missing, a folder, a pipe or device,
// larger than a buffer may be, out of memory, read error). Opening does not block: a FIFO
// is refused by its type before anything is read from it.
bool LoadFile(const std::string& path, std::vector<uint8_t>& out) {
  struct stat st {};
  TFd file(OpenRegularForReading(path, st));
  if (!file.IsOpen()) return false;
  const int fd = file.Get();
  bool ok = st.st_size >= 0 && st.st_size <= std::numeric_limits<int32_t>::max();
  if (ok) {
    try {
      out.resize(static_cast<size_t>(st.st_size));
    } catch (const std::exception&) {  // bad_alloc, length_error
      ok = false;
    }
  }
  size_t done = 0;
  while (ok && done < out.size()) {
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;  // error, or the file shrank while being read
    } else {
      done += static_cast<size_t>(n);
    }
  }
  if (!ok) std::vector<uint8_t>().swap(out);
  return ok;
}

}  // namespace

bool MpegAudioFile::Open(const std::string& path) {
  Reset();
  std::vector<uint8_t> bytes;
  if (!LoadFile(path, bytes)) return false;
  return OpenBuffer(std::move(bytes), path);
}

bool MpegAudioFile::OpenBuffer(std::vector<uint8_t> data, const std::string& name) {
  Reset();
  if (data.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  Data = std::move(data);
  FileName = name;
  if (!Parse()) {
    Reset();
    return false;
  }
  return true;
}

void MpegAudioFile::Reset() {
  FileName.clear();
  std::vector<uint8_t>().swap(Data);
  HasFirstFrame = false;
  FirstFrameOffset = 0;
  AudioSize = 0;
  std::memset(FirstHeader, 0, sizeof FirstHeader);
  FrameCount = 0;
  Duration = 0.0f;
}

bool MpegAudioFile::Parse() {
  const std::vector<uint8_t>& d = Data;
  const int64_t s = static_cast<int64_t>(d.size());  // at most INT32_MAX (OpenBuffer)
  HasFirstFrame = false;
  FirstFrameOffset = 0;
  int64_t audio = s;

  // Tags at the end: ID3v1 (128 bytes), and a Lyrics3 v2 block right before it whose size
  // field is six decimal digits. A size that is not digits, or that would put the block's
  // start before the start of the file, is not a Lyrics3 tag and is ignored.
  if (BytesAre(d, s - 128, "TAG")) audio = s - 128;
  if (s >= 143 && BytesAre(d, s - 137, "LYRICS200")) {
    const int64_t lyrics = LyricsSize(d, s - 143);
    if (lyrics >= 0 && lyrics <= s - 143) audio -= lyrics + 15;
  }

  // RIFF wrappers. The declared data size replaces what the tags left; a size larger than
  // the bytes that follow is cut to those bytes.
  int64_t pos = 0;
  if (BytesAre(d, 0, "RIFF")) {
    if (BytesAre(d, 8, "RMP3")) {
      if (!BytesAre(d, 12, "data") || !HasBytes(d, 16, 4)) return false;
      audio = Le32(d, 16);
      pos = 20;
    } else if (BytesAre(d, 8, "WAVE")) {
      if (!HasBytes(d, 20, 2) || Le16(d, 20) != 0x55) return false;  // MPEG Layer III only
      if (!HasBytes(d, 36, 2)) return false;
      pos = 38 + static_cast<int64_t>(Le16(d, 36));
      if (BytesAre(d, pos, "fact")) pos += 12;
      if (!BytesAre(d, pos, "data") || !HasBytes(d, pos + 4, 4)) return false;
      audio = Le32(d, pos + 4);
      pos += 8;
    } else {
      return false;
    }
    if (audio > s - pos) audio = s - pos;
  }

  // ID3v2 at the start of the audio: 10-byte header, synchsafe size of what follows.
  if (BytesAre(d, pos, "ID3")) {
    if (!HasBytes(d, pos + 6, 4)) return false;
    const int64_t size = static_cast<int64_t>(d[pos + 6] & 0x7F) << 21 |
                         static_cast<int64_t>(d[pos + 7] & 0x7F) << 14 |
                         static_cast<int64_t>(d[pos + 8] & 0x7F) << 7 |
                         static_cast<int64_t>(d[pos + 9] & 0x7F);
    pos += 10 + size;
    audio -= size + 10;
  }

  // The first frame must start exactly here; no sync search.
  if (!HasBytes(d, pos, 4) || !IsFrameHeader(d.data() + pos)) return false;
  HasFirstFrame = true;
  FirstFrameOffset = static_cast<int32_t>(pos);
  std::memcpy(FirstHeader, d.data() + pos, 4);
  // Tags that claim more than the file holds leave no audio rather than a negative amount.
  AudioSize = static_cast<int32_t>(audio < 0 ? 0 : audio);
  return true;
}

int32_t MpegAudioFile::CountFrames() {
  if (Data.empty() || !HasFirstFrame) return 0;
  const int64_t s = static_cast<int64_t>(Data.size());
  int32_t count = 0;
  float duration = 0.0f;
  int64_t walked = 0;
  int64_t pos = FirstFrameOffset;
  // A frame is counted when it starts within AudioSize; the last one may reach past it.
  while (walked < AudioSize) {
    if (s - pos < 4) break;
    const uint8_t* h = Data.data() + pos;
    if (!IsFrameHeader(h)) break;
    const int32_t len = FrameLength(h);
    if (len == 0) return 0;
    pos += len;
    ++count;
    // The sum is rounded to a 32-bit float after every frame, as the duration is kept.
    duration = static_cast<float>(static_cast<long double>(duration) +
                                  static_cast<long double>(FrameDuration(h)));
    walked += len;
  }
  FrameCount = count;
  Duration = duration;
  return count;
}

bool MpegAudioFile::IsFrameHeader(const uint8_t h[4]) {
  return h[0] == 0xFF && (h[1] & 0xF0) == 0xF0;
}

int32_t MpegAudioFile::FrameBitrate(const uint8_t h[4]) {
  if (!IsFrameHeader(h)) return 0;
  const int index = (h[2] >> 4) & 0x0F;
  switch (LayerCode(h)) {
    case kLayerI:
      return IsMpeg1(h) ? kMpeg1Layer1[index] : kMpeg2Layer1[index];
    case kLayerII:
      return IsMpeg1(h) ? kMpeg1Layer2[index] : kMpeg2Layer23[index];
    case kLayerIII:
      return IsMpeg1(h) ? kMpeg1Layer3[index] : kMpeg2Layer23[index];
    default:
      return 0;
  }
}

int32_t MpegAudioFile::FrameSampleRate(const uint8_t h[4]) {
  if (!IsFrameHeader(h)) return 0;
  const int index = (h[2] >> 2) & 3;
  return IsMpeg1(h) ? kMpeg1Rates[index] : kMpeg2Rates[index];
}

int32_t MpegAudioFile::FrameLength(const uint8_t h[4]) {
  const int32_t br = FrameBitrate(h);
  const int32_t sr = FrameSampleRate(h);
  if (br == 0 || sr == 0) return 0;  // also covers "not a header" and the reserved layer
  const int32_t p = Padding(h);
  switch (LayerCode(h)) {
    case kLayerI:
      return (12000 * br / sr + p) * 4;
    case kLayerII:
      return 144000 * br / sr + p;
    case kLayerIII:
      return (IsMpeg1(h) ? 144000 : 72000) * br / sr + p;
    default:
      return 0;
  }
}

double MpegAudioFile::FrameDuration(const uint8_t h[4]) {
  const int32_t len = FrameLength(h);
  const int32_t br = FrameBitrate(h);
  if (len == 0 || br == 0) return 0.0;
  return static_cast<double>(len) / br * 8;
}

}  // namespace varnel
