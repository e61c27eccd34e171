// Feeds arbitrary bytes to the wave header reader through a real file and checks what a
// result of 1 promises about the summary.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/audio/WaveHeader.h"

namespace {

// One scratch path per process, in memory where there is a tmpfs (a disk file system
// flushes a truncated file on every close).
const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/varnel-fuzz-wave-" + std::to_string(::getpid()) + ".wav";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  if (std::fclose(f) != 0) std::abort();

  varnel::WaveDataInfo info;
  const int32_t result = varnel::ReadWaveHeader(path, info);
  std::remove(path.c_str());                     // nothing is left behind when the run stops
  if (result != 1 && result != 0) std::abort();  // the file exists and opens
  if (result == 1) {
    if (info.DataOffset < 12) std::abort();
    if (info.DataSize < 0) std::abort();
    if (int64_t{info.DataOffset} + info.DataSize > static_cast<int64_t>(size)) std::abort();
    if (info.Channels != 1 && info.Channels != 2) std::abort();
    if (info.BitsPerSample != 8 && info.BitsPerSample != 16) std::abort();
    if (info.SampleRate < 0) std::abort();
  }
  return 0;
}
