#include "Trackinfo.h"

#include "PosixFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

#include "CdTime.h"

namespace varnel {

namespace {

// The unit in which silence is defined to be measured: 735 sample frames, 1/60 s.
constexpr int64_t kScanBlockBytes = 2940;
// Reads start small, so that a region that begins (or ends) with sound costs little, and
// grow up to about 1 MiB for long silent runs. Both are whole scan blocks.
constexpr int64_t kFirstReadBytes = kScanBlockBytes * 8;
constexpr int64_t kLargestReadBytes = kScanBlockBytes * 357;

// A source file opened for scanning: regular files only (a FIFO or device could block or
// never end), closed when the object goes.
class ScanSource {
 public:
  explicit ScanSource(const std::string& path) {
    struct stat st {};
    Fd_ = OpenRegularForReading(path, st);
  }
  ~ScanSource() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  ScanSource(const ScanSource&) = delete;
  ScanSource& operator=(const ScanSource&) = delete;

  bool IsOpen() const { return Fd_ >= 0; }

  // Reads up to `count` bytes at `offset`; fewer only at the end of the file or on a read
  // error. A negative offset reads nothing.
  int64_t ReadAt(int64_t offset, uint8_t* buffer, int64_t count) const {
    if (offset < 0) return 0;
    int64_t done = 0;
    while (done < count) {
      ssize_t n = ::pread(Fd_, buffer + done, static_cast<size_t>(count - done),
                          static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += n;
    }
    return done;
  }

 private:
  int Fd_ = -1;
};

uint32_t FrameAt(const uint8_t* bytes, int64_t frame) {
  uint32_t value = 0;
  std::memcpy(&value, bytes + frame * kBytesPerSample, sizeof value);
  return value;
}

// Whether the 64 bytes at `bytes` (16 sample frames) are all zero.
bool GroupIsSilent(const uint8_t* bytes) {
  uint64_t w[8];
  std::memcpy(w, bytes, sizeof w);
  return ((w[0] | w[1]) | (w[2] | w[3]) | (w[4] | w[5]) | (w[6] | w[7])) == 0;
}

constexpr int64_t kGroupFrames = 16;

// Silent sample frames at the start of `frames` frames.
int64_t SilentFramesFromFront(const uint8_t* bytes, int64_t frames) {
  int64_t i = 0;
  while (i + kGroupFrames <= frames && GroupIsSilent(bytes + i * kBytesPerSample)) {
    i += kGroupFrames;
  }
  while (i < frames && FrameAt(bytes, i) == 0) ++i;
  return i;
}

// Silent sample frames at the end of `frames` frames.
int64_t SilentFramesFromBack(const uint8_t* bytes, int64_t frames) {
  int64_t i = frames;  // frames [i, frames) are known silent
  while (i - kGroupFrames >= 0 && GroupIsSilent(bytes + (i - kGroupFrames) * kBytesPerSample)) {
    i -= kGroupFrames;
  }
  while (i > 0 && FrameAt(bytes, i - 1) == 0) --i;
  return frames - i;
}

int32_t ClampCount(int64_t count) {
  return static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
}

std::unique_ptr<uint8_t[]> ScanBuffer(int64_t bytesToExamine) {
  // Not value-initialised: only the pages that reads fill are ever touched.
  return std::unique_ptr<uint8_t[]>(
      new uint8_t[static_cast<size_t>(std::min(bytesToExamine, kLargestReadBytes))]);
}

// A silence count as the length rules subtract it: a scan that could not open its file
// (−1) cuts nothing.
int64_t CutFrames(int32_t count) {
  return count > 0 ? count : 0;
}

}  // namespace

int32_t CountLeadingSilenceInFile(const std::string& path, int32_t dataOffset, int32_t first,
                                  int32_t end) {
  ScanSource source(path);
  if (!source.IsOpen()) return -1;
  // The count never exceeds the region, so the scan stops at its end.
  const int64_t wanted = static_cast<int64_t>(end) - first;
  int64_t position = static_cast<int64_t>(dataOffset) + int64_t{kBytesPerSample} * first;
  if (wanted <= 0 || position < 0) return 0;

  auto buffer = ScanBuffer(wanted * kBytesPerSample);
  int64_t count = 0;
  int64_t readBytes = kFirstReadBytes;
  while (count < wanted) {
    const int64_t ask = std::min(readBytes, (wanted - count) * kBytesPerSample);
    const int64_t got = source.ReadAt(position, buffer.get(), ask);
    const int64_t frames = got / kBytesPerSample;  // a partial frame at the end is not counted
    const int64_t silent = SilentFramesFromFront(buffer.get(), frames);
    count += silent;
    if (silent < frames || got < ask) break;
    position += got;
    readBytes = std::min(readBytes * 2, kLargestReadBytes);
  }
  return ClampCount(std::min(count, wanted));
}

int32_t CountTrailingSilenceInFile(const std::string& path, int32_t dataOffset, int32_t first,
                                   int32_t end) {
  ScanSource source(path);
  if (!source.IsOpen()) return -1;
  const int64_t wanted = static_cast<int64_t>(end) - first;
  const int64_t endByte = static_cast<int64_t>(dataOffset) + int64_t{kBytesPerSample} * end;
  const int64_t firstByte = static_cast<int64_t>(dataOffset) + int64_t{kBytesPerSample} * first;
  if (wanted <= 0 || endByte <= 0) return 0;

  // Blocks step back from the end and never start before the sample data. With a
  // (malformed) negative DataOffset the block that would start before byte 0 reads
  // nothing, so the lowest reachable byte is the lowest block boundary at or above 0.
  const int64_t lowest = dataOffset >= 0 ? dataOffset : endByte % kScanBlockBytes;
  const int64_t bottom = std::max(lowest, firstByte);
  if (bottom >= endByte) return 0;

  auto buffer = ScanBuffer(endByte - bottom);
  int64_t count = 0;
  int64_t top = endByte;
  int64_t readBytes = kFirstReadBytes;
  while (top > bottom) {
    const int64_t start = std::max(bottom, top - readBytes);
    const int64_t ask = top - start;
    // A short read means the region reaches past the end of the file: frames that do not
    // exist are not silence, so the run ends at the top of this read.
    if (source.ReadAt(start, buffer.get(), ask) < ask) break;
    const int64_t frames = ask / kBytesPerSample;
    const int64_t silent = SilentFramesFromBack(buffer.get(), frames);
    count += silent;
    if (silent < frames) break;
    top = start;
    readBytes = std::min(readBytes * 2, kLargestReadBytes);
  }
  return ClampCount(std::min(count, wanted));
}

TTrackInfo::TTrackInfo(std::string fileName, int32_t fileMode, const WaveDataInfo& waveInfo)
    : TrackFileName(std::move(fileName)), FileMode(fileMode), WaveInfo(waveInfo) {
  TrackPaddingHead = false;
  SetTrackPreGapPos(0);
  SetTrackStartPos(0);
  SetTrackEndPos(WaveInfo.DataSize / kBytesPerSample);
  SetPreGapStyle(PreGapNormal);
  PreGapPaddingHead = true;
  PreGapMin = 0;
  PreGapSec = 2;
  PreGapFrame = 0;
  const bool wave = FileMode == FileModeWave;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = wave;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = wave;
  if (!wave) {
    TrackLeadSilence_ = TrackTrailSilence_ = 0;
    PreGapLeadSilence_ = PreGapTrailSilence_ = 0;
  }
  SetPreGapStartPos(0);
  SetPreGapEndPos(0);
  PreEmph = false;
  Protect = false;
  TrackCutLeading = false;
  TrackCutTrailing = false;
  PreGapCutLeading = false;
  PreGapCutTrailing = false;
}

TTrackInfo::~TTrackInfo() = default;

void TTrackInfo::SetTrackPreGapPos(int32_t value) {
  if (value == TrackPreGapPos_) return;
  TrackPreGapPos_ = value;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
}

void TTrackInfo::SetTrackStartPos(int32_t value) {
  if (value == TrackStartPos_) return;
  TrackStartPos_ = value;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
}

void TTrackInfo::SetTrackEndPos(int32_t value) {
  if (value == TrackEndPos_) return;
  TrackEndPos_ = value;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
}

void TTrackInfo::SetPreGapStartPos(int32_t value) {
  if (value == PreGapStartPos_) return;
  PreGapStartPos_ = value;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
}

void TTrackInfo::SetPreGapEndPos(int32_t value) {
  if (value == PreGapEndPos_) return;
  PreGapEndPos_ = value;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
}

void TTrackInfo::SetPreGapStyle(uint8_t value) {
  if (value == PreGapStyle_) return;
  TrackLeadSilenceDirty_ = TrackTrailSilenceDirty_ = true;
  PreGapLeadSilenceDirty_ = PreGapTrailSilenceDirty_ = true;
  PreGapStyle_ = value;
}

void TTrackInfo::SetPreGapLength(uint32_t frames) {
  PreGapFrame = static_cast<uint8_t>(frames % kCdFramesPerSecond);
  PreGapSec = static_cast<uint8_t>((frames / kCdFramesPerSecond) % 60);
  PreGapMin = static_cast<uint8_t>((frames / kCdFramesPerMinute) & 0xFF);
}

int32_t TTrackInfo::GetPreGapLength() const {
  return (PreGapMin * 60 + PreGapSec) * kCdFramesPerSecond + PreGapFrame;
}

bool TTrackInfo::SetPreGapFile(const std::string& path, const WaveDataInfo& info) {
  PreGapFileName_ = path;
  PreGapWaveInfo_ = info;
  SetPreGapStartPos(0);
  SetPreGapEndPos(info.DataSize / kBytesPerSample);
  return true;
}

int32_t TTrackInfo::GetTrackLeadSilence() {
  if (!TrackLeadSilenceDirty_) return TrackLeadSilence_;
  const int32_t first = PreGapStyle_ == PreGapIndex ? TrackPreGapPos_ : TrackStartPos_;
  const int32_t count =
      CountLeadingSilenceInFile(TrackFileName, WaveInfo.DataOffset, first, TrackEndPos_);
  if (count < 0) return -1;
  TrackLeadSilence_ = count;
  TrackLeadSilenceDirty_ = false;
  return count;
}

int32_t TTrackInfo::GetTrackTrailSilence() {
  if (!TrackTrailSilenceDirty_) return TrackTrailSilence_;
  const int32_t count =
      CountTrailingSilenceInFile(TrackFileName, WaveInfo.DataOffset, TrackStartPos_, TrackEndPos_);
  if (count < 0) return -1;
  TrackTrailSilence_ = count;
  TrackTrailSilenceDirty_ = false;
  return count;
}

int32_t TTrackInfo::GetPreGapLeadSilence() {
  if (!PreGapLeadSilenceDirty_) return PreGapLeadSilence_;
  const int32_t count = CountLeadingSilenceInFile(PreGapFileName_, PreGapWaveInfo_.DataOffset,
                                                  PreGapStartPos_, PreGapEndPos_);
  if (count < 0) return -1;
  PreGapLeadSilence_ = count;
  PreGapLeadSilenceDirty_ = false;
  return count;
}

int32_t TTrackInfo::GetPreGapTrailSilence() {
  if (!PreGapTrailSilenceDirty_) return PreGapTrailSilence_;
  const int32_t count = CountTrailingSilenceInFile(PreGapFileName_, PreGapWaveInfo_.DataOffset,
                                                   PreGapStartPos_, PreGapEndPos_);
  if (count < 0) return -1;
  PreGapTrailSilence_ = count;
  PreGapTrailSilenceDirty_ = false;
  return count;
}

int64_t TTrackInfo::GetTrackBytes() {
  int64_t frames = static_cast<int64_t>(TrackEndPos_) - TrackStartPos_;
  if (PreGapStyle_ != PreGapIndex && TrackCutLeading) {
    frames -= CutFrames(GetTrackLeadSilence());
  }
  if (TrackCutTrailing) frames -= CutFrames(GetTrackTrailSilence());
  return frames * kBytesPerSample;
}

int64_t TTrackInfo::GetPreGapBytes() {
  switch (PreGapStyle_) {
    case PreGapFile: {
      int64_t frames = static_cast<int64_t>(PreGapEndPos_) - PreGapStartPos_;
      if (PreGapCutLeading) frames -= CutFrames(GetPreGapLeadSilence());
      if (PreGapCutTrailing) frames -= CutFrames(GetPreGapTrailSilence());
      return frames * kBytesPerSample;
    }
    case PreGapIndex: {
      int64_t frames = static_cast<int64_t>(TrackStartPos_) - TrackPreGapPos_;
      if (TrackCutLeading) frames -= CutFrames(GetTrackLeadSilence());
      return frames * kBytesPerSample;
    }
    default:
      return static_cast<int64_t>(GetPreGapLength()) * kBytesPerCdFrame;
  }
}

int64_t TTrackInfo::GetTotalBytes() {
  switch (PreGapStyle_) {
    case PreGapFile:
      return kBytesPerCdFrame * BytesToWholeFrames(GetTrackBytes() + GetPreGapBytes());
    case PreGapIndex:
      return kBytesPerCdFrame *
             (BytesToWholeFrames(GetTrackBytes()) + BytesToWholeFrames(GetPreGapBytes()));
    default:
      return GetPreGapBytes() + kBytesPerCdFrame * BytesToWholeFrames(GetTrackBytes());
  }
}

}  // namespace varnel
