// The FLAC cue sheet reader on arbitrary bytes through a real file: libFLAC and our mapping
// end, and an accepted sheet describes the one FLAC file: tracks 1-99 in order, each with
// index 1, every index in that file, in order, and inside its audio when its length is
// known.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/sheets/FlacCueSheetReader.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/varnel-fuzz-flac-" + std::to_string(::getpid()) + ".flac";
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
  const varnel::RipResult r = varnel::ReadFlacCueSheet(path);
  std::remove(path.c_str());
  if (!r.Ok) {
    if (r.Error.Message.empty() || r.Error.Line < 0) std::abort();
    return 0;
  }
  const varnel::RipSheet& s = r.Sheet;
  if (s.Files.size() != 1 || s.Files[0].Path != path || s.Tracks.empty() || s.Tracks.size() > 99) {
    std::abort();
  }
  const int64_t length = s.Files[0].Length;
  int32_t previous = 0;
  int64_t last = 0;
  for (const varnel::RipTrack& t : s.Tracks) {
    if (t.Number <= previous || t.Number > 99 || t.FindIndex(1) == nullptr) std::abort();
    previous = t.Number;
    for (const varnel::RipIndex& index : t.Indices) {
      if (index.File != 0 || index.Position < last) std::abort();
      if (length >= 0 && index.Position >= length) std::abort();
      last = index.Position;
    }
  }
  return 0;
}
