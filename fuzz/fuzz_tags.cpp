// The tag reader on any bytes: MP3, FLAC, Ogg, Opus, AIFF and WAV files, whole or damaged.
#include <cstddef>
#include <cstdint>

#include "formats/audio/AudioTags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const varnel::AudioTags tags = varnel::DecodeAudioTags(data, size);
  static_cast<void>(tags);
  return 0;
}
