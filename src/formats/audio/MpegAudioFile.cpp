#include "formats/audio/MpegAudioFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>

#include "model/LittleEndian.h"

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

// The six decimal digits of a Lyrics3 v2 size field; −1 when any of them is not a digit.
int64_t LyricsSize(const uint8_t* d) {
  int64_t value = 0;
  for (int i = 0; i < 6; ++i) {
    const uint8_t c = d[i];
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool MpegAudioFile::Open(const std::string& path) {
  Reset();
  try {
    // Regular files only, opened without blocking: a FIFO is refused by its type before
    // anything is read from it.
    File_ = PosixFile::OpenForReading(path);
    Size_ = File_.Size();
    ::posix_fadvise(File_.Fd(), 0, 0, POSIX_FADV_SEQUENTIAL);  // the walk goes front to back
    if (Size_ > std::numeric_limits<int32_t>::max()) throw std::length_error("too large");
    Window_.resize(static_cast<size_t>(std::min(Size_, WindowBytes_)));
  } catch (const std::exception&) {  // FileError, bad_alloc, length_error
    Reset();
    return false;
  }
  FileName = path;
  if (!Parse()) {
    Reset();
    return false;
  }
  return true;
}

bool MpegAudioFile::OpenBuffer(std::vector<uint8_t> data, const std::string& name) {
  Reset();
  if (data.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  Data = std::move(data);
  Size_ = static_cast<int64_t>(Data.size());
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
  File_ = PosixFile();
  Size_ = 0;
  ReadFailed_ = false;
  std::vector<uint8_t>().swap(Window_);
  WindowStart_ = 0;
  WindowLength_ = 0;
  HasFirstFrame = false;
  FirstFrameOffset = 0;
  AudioSize = 0;
  std::memset(FirstHeader, 0, sizeof FirstHeader);
  FrameCount = 0;
  Duration = 0.0f;
}

const uint8_t* MpegAudioFile::Bytes(int64_t pos, int64_t n) {
  if (pos < 0 || n < 0 || pos > Size_ || Size_ - pos < n) return nullptr;
  if (!File_.IsOpen()) return Data.data() + pos;
  if (pos < WindowStart_ || pos + n > WindowStart_ + WindowLength_) {
    // The next block from `pos`: all of it must be there, since the file was that long
    // when it was opened.
    const int64_t want = std::min(Size_ - pos, static_cast<int64_t>(Window_.size()));
    WindowStart_ = pos;
    WindowLength_ = 0;
    try {
      WindowLength_ =
          static_cast<int64_t>(File_.ReadAt(pos, Window_.data(), static_cast<size_t>(want)));
    } catch (const FileError&) {
      ReadFailed_ = true;
    }
    if (WindowLength_ < want) ReadFailed_ = true;
    if (WindowLength_ < n) return nullptr;
  }
  return Window_.data() + (pos - WindowStart_);
}

bool MpegAudioFile::BytesAre(int64_t pos, const char* text) {
  const auto n = static_cast<int64_t>(std::strlen(text));
  const uint8_t* p = Bytes(pos, n);
  return p != nullptr && std::memcmp(p, text, static_cast<size_t>(n)) == 0;
}

bool MpegAudioFile::Parse() {
  const int64_t s = Size_;  // at most INT32_MAX (Open, OpenBuffer)
  HasFirstFrame = false;
  FirstFrameOffset = 0;
  int64_t audio = s;

  // Tags at the end: ID3v1 (128 bytes), and a Lyrics3 v2 block right before it whose size
  // field is six decimal digits. A size that is not digits, or that would put the block's
  // start before the start of the file, is not a Lyrics3 tag and is ignored.
  if (BytesAre(s - 128, "TAG")) audio = s - 128;
  if (s >= 143 && BytesAre(s - 137, "LYRICS200")) {
    const uint8_t* digits = Bytes(s - 143, 6);
    const int64_t lyrics = digits ? LyricsSize(digits) : -1;
    if (lyrics >= 0 && lyrics <= s - 143) audio -= lyrics + 15;
  }

  // RIFF wrappers. The declared data size replaces what the tags left; a size larger than
  // the bytes that follow is cut to those bytes.
  int64_t pos = 0;
  if (BytesAre(0, "RIFF")) {
    if (BytesAre(8, "RMP3")) {
      if (!BytesAre(12, "data")) return false;
      const uint8_t* size = Bytes(16, 4);
      if (!size) return false;
      audio = GetLe32(size);
      pos = 20;
    } else if (BytesAre(8, "WAVE")) {
      const uint8_t* tag = Bytes(20, 2);
      if (!tag || GetLe16(tag) != 0x55) return false;  // MPEG Layer III only
      const uint8_t* extra = Bytes(36, 2);
      if (!extra) return false;
      pos = 38 + static_cast<int64_t>(GetLe16(extra));
      if (BytesAre(pos, "fact")) pos += 12;
      if (!BytesAre(pos, "data")) return false;
      const uint8_t* size = Bytes(pos + 4, 4);
      if (!size) return false;
      audio = GetLe32(size);
      pos += 8;
    } else {
      return false;
    }
    if (audio > s - pos) audio = s - pos;
  }

  // ID3v2 at the start of the audio: 10-byte header, synchsafe size of what follows.
  if (BytesAre(pos, "ID3")) {
    const uint8_t* b = Bytes(pos + 6, 4);
    if (!b) return false;
    const int64_t size = static_cast<int64_t>(b[0] & 0x7F) << 21 |
                         static_cast<int64_t>(b[1] & 0x7F) << 14 |
                         static_cast<int64_t>(b[2] & 0x7F) << 7 | static_cast<int64_t>(b[3] & 0x7F);
    pos += 10 + size;
    audio -= size + 10;
  }

  // The first frame must start exactly here; no sync search.
  const uint8_t* h = Bytes(pos, 4);
  if (ReadFailed_ || !h || !IsFrameHeader(h)) return false;
  HasFirstFrame = true;
  FirstFrameOffset = static_cast<int32_t>(pos);
  std::memcpy(FirstHeader, h, 4);
  // Tags that claim more than the file holds leave no audio rather than a negative amount.
  AudioSize = static_cast<int32_t>(audio < 0 ? 0 : audio);
  return true;
}

int32_t MpegAudioFile::CountFrames() {
  if (Size_ == 0 || !HasFirstFrame) return 0;
  // A frame's length and duration follow from header bytes 1 and 2 alone, and most files
  // repeat one or two such headers (the padding bit comes and goes): the last two are kept.
  struct Seen {
    int32_t Key = -1;
    int32_t Length = 0;
    double Duration = 0.0;
  } seen[2];
  int older = 0;
  int32_t count = 0;
  float duration = 0.0f;
  int64_t walked = 0;
  int64_t pos = FirstFrameOffset;
  // A frame is counted when it starts within AudioSize; the last one may reach past it.
  while (walked < AudioSize) {
    const uint8_t* h = Bytes(pos, 4);
    if (!h || !IsFrameHeader(h)) break;  // fewer than four bytes left, or no header
    const int32_t key = h[1] << 8 | h[2];
    const Seen* frame = seen[0].Key == key ? &seen[0] : seen[1].Key == key ? &seen[1] : nullptr;
    if (frame == nullptr) {
      seen[older] = Seen{key, FrameLength(h), FrameDuration(h)};
      frame = &seen[older];
      older ^= 1;
    }
    const int32_t len = frame->Length;
    if (len == 0) return 0;
    pos += len;
    ++count;
    // The sum is rounded to a 32-bit float after every frame, as the duration is kept.
    duration = static_cast<float>(static_cast<long double>(duration) +
                                  static_cast<long double>(frame->Duration));
    walked += len;
  }
  // A file that could not be read to the end is not measured.
  if (ReadFailed_) return 0;
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
