// The decoder on arbitrary bytes, read as each kind of source: the first byte chooses the
// kind (MP3, FLAC, AIFF, Ogg Vorbis, Opus), the rest is the file. The libraries are trusted;
// this proves that our side (callbacks, format checks, conversion, padding) never crashes or
// reads out of bounds, and that the summary agrees with what reached the sink.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/audio/AudioDecoder.h"

namespace {

class CountingSink : public varnel::AudioSink {
 public:
  void Write(const int16_t* frames, size_t count) override {
    if (count > 0 && frames == nullptr) std::abort();
    // Touch the first and last sample, so that ASan sees a short buffer.
    if (count > 0) Sum += frames[0] + frames[2 * count - 1];
    Frames += static_cast<int64_t>(count);
  }
  int64_t Frames = 0;
  int64_t Sum = 0;
};

// One in-memory file for the whole run, rewritten for each input.
int MemoryFile() {
  static const int fd = memfd_create("fuzz_decode", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  constexpr varnel::SourceKind kKinds[] = {varnel::SourceKind::Mp3, varnel::SourceKind::Flac,
                                           varnel::SourceKind::Aiff, varnel::SourceKind::Ogg,
                                           varnel::SourceKind::Opus};
  const varnel::SourceKind kind = kKinds[data[0] % 5];
  const bool pad = (data[0] / 5) % 2 == 1;
  const int fd = MemoryFile();
  if (ftruncate(fd, 0) != 0) std::abort();
  if (size > 1 && pwrite(fd, data + 1, size - 1, 0) != static_cast<ssize_t>(size - 1)) {
    std::abort();
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  CountingSink sink;
  try {
    const varnel::DecodeSummary s = varnel::DecodeAudio(path, kind, sink, {.PadToCdFrames = pad});
    if (s.FramesWritten != sink.Frames || s.Kind != kind) std::abort();
    if (s.SourceChannels < 1 || s.SourceChannels > 2) std::abort();
    if (s.FramesWritten > varnel::kMaxDecodedFrames) std::abort();
    if (pad && s.FramesWritten % 588 != 0) std::abort();
    if (!pad && s.PaddingFrames != 0) std::abort();
  } catch (const varnel::DecodeError&) {
  } catch (const varnel::FileError&) {
  }
  return 0;
}
