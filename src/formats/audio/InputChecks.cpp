#include "formats/audio/InputChecks.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "formats/audio/MpegAudioFile.h"
#include "formats/audio/WaveHeader.h"
#include "model/PathNames.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr int32_t kCdgSectorBytes = 2448;
constexpr int32_t kCdFrameBytes = 2352;
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

}  // namespace

int32_t FileModeFromPath(const std::string& path) {
  const std::string ext = LowerExtensionOf(path);
  if (ext == ".wav") return FileModeWave;
  if (ext == ".mp3") return FileModeMp3;
  if (IsDecodedSourcePath(path)) return FileModeWave;
  return FileModeCdg;
}

bool IsDecodedSourcePath(const std::string& path) {
  const std::optional<SourceKind> kind = SourceKindFromPath(path);
  return kind && *kind != SourceKind::Mp3;
}

namespace {

// The refusal of a source that could not be read: the system's reason when it is about the
// source itself, the whole error (naming the cache's file) otherwise.
std::string ReadRefusal(const FileError& e, const std::string& path) {
  if (e.Path() == path && e.Errno() != 0) {
    return std::string(" cannot be read: ") + std::strerror(e.Errno()) + ".";
  }
  return std::string(" cannot be decoded: ") + e.what() + ".";
}

DecodedCheck Accepted(const DecodedEntry& entry, WaveDataInfo& info) {
  info = entry.Info;
  return {1, entry.Path, {}};
}

}  // namespace

DecodedCheck LookupDecodedFile(const DecodedCache& cache, const std::string& path,
                               WaveDataInfo& info) {
  try {
    if (const std::optional<DecodedEntry> entry = cache.Lookup(path)) {
      return Accepted(*entry, info);
    }
    return {0, {}, {}};
  } catch (const FileError& e) {
    return {-1, {}, ReadRefusal(e, path)};
  }
}

DecodedCheck CheckDecodedFile(DecodedCache& cache, const std::string& path, WaveDataInfo& info,
                              const DecodeProgress& progress, const std::atomic<bool>* cancel) {
  DecodedCheck found = LookupDecodedFile(cache, path, info);
  if (found.Result != 0) return found;
  try {
    return Accepted(cache.Decode(path, progress, cancel), info);
  } catch (const FileError& e) {
    return {-1, {}, ReadRefusal(e, path)};
  } catch (const DecodeError& e) {
    return {-1, {}, std::string(" cannot be decoded: ") + e.what() + "."};
  }
}

int32_t CheckWaveFile(const std::string& path, WaveDataInfo& info) {
  if (ReadWaveHeader(path, info) != 1) return -1;
  return info.SampleRate == 44100 && info.Channels == 2 && info.BitsPerSample == 16 ? 1 : 0;
}

bool HasWaveSignature(const std::string& path) {
  try {
    const PosixFile file = PosixFile::OpenForReading(path);
    unsigned char head[12];
    if (file.ReadAt(0, head, sizeof head) != sizeof head) return false;
    return (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0) &&
           std::memcmp(head + 8, "WAVE", 4) == 0;
  } catch (const FileError&) {
    return false;
  }
}

int64_t Mp3DataSizeFromDuration(float ms) {
  if (!std::isfinite(ms) || ms < 0.0f) return -1;
  // The double nearest 44.1 (a little above it), multiplied in extended precision: the
  // product of a float and a double keeps the excess that a double product would round
  // away, so 1000 ms gives 44 100.000…01 and rounds up to 44 101 sample frames.
  const double rate = 44.1;
  const long double frames = std::ceil(static_cast<long double>(ms) * rate);
  if (frames > static_cast<long double>(kInt32Max)) return -1;
  return static_cast<int64_t>(frames) * 4;
}

int32_t CheckMp3File(const std::string& path, WaveDataInfo& info) {
  MpegAudioFile mp3;
  if (!mp3.Open(path)) {
    mp3.Reset();
    return -1;
  }
  info.SampleRate = MpegAudioFile::FrameSampleRate(mp3.FirstHeader);
  info.Channels = MpegAudioFile::ChannelMode(mp3.FirstHeader) == 3 ? 1 : 2;
  info.BitsPerSample = 16;
  if (mp3.CountFrames() == 0) {
    mp3.Reset();
    return -1;
  }
  const int64_t dataSize = Mp3DataSizeFromDuration(mp3.GetDuration());
  mp3.Reset();
  if (dataSize < 0) return -1;  // longer than a position can reach
  info.DataSize = dataSize;
  info.DataOffset = 0;
  return info.SampleRate == 44100 && info.Channels == 2 ? 1 : 0;
}

int32_t CheckCdgFile(const std::string& path, WaveDataInfo& info) {
  int64_t n = 0;
  try {
    n = PosixFile::OpenForReading(path).Size();
  } catch (const FileError&) {
    return -1;
  }
  if (n < 0 || n % kCdgSectorBytes != 0) return 255;
  const int64_t dataSize = n / kCdgSectorBytes * kCdFrameBytes;
  if (dataSize > kInt32Max) return 255;
  info.DataOffset = 0;
  info.DataSize = dataSize;
  info.BitsPerSample = 16;
  info.SampleRate = 44100;
  info.Channels = 2;
  return 1;
}

int32_t CheckFileOfKind(const std::string& path, int32_t& mode, WaveDataInfo& info) {
  mode = FileModeFromPath(path);
  return CheckFileOfMode(mode, path, info);
}

int32_t CheckFileOfMode(int32_t mode, const std::string& path, WaveDataInfo& info) {
  switch (mode) {
    case FileModeWave:
      return CheckWaveFile(path, info);
    case FileModeMp3:
      return CheckMp3File(path, info);
    default:
      return CheckCdgFile(path, info);
  }
}

std::string RefusalMessage(int32_t mode, int32_t result) {
  switch (mode) {
    case FileModeWave:
      if (result == 1) return {};
      return result == 0 ? " is not PCM, 44.1kHz, 16bit, Streo. Do you want to continue?"
                         : " is not Riff-Wave file or doesnot exist. Do you want to continue?";
    case FileModeMp3:
      if (result == 1) return {};
      return result == 0 ? " is not 44.1kHz, Streo. Do you want to continue?"
                         : " is not MP3 file or doesnot exist. Do you want to continue?";
    default:
      return result == 1 ? std::string() : " is not CDG binary. Do you want to continue?";
  }
}

}  // namespace varnel
