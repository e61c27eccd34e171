#include "app/ports/PreviewDevice.h"

#include "formats/audio/WaveHeader.h"

namespace varnel {

bool ReadPreviewWave(const std::string& path, WaveDataInfo& info) {
  return ReadWaveHeader(path, info) == 1;
}

}  // namespace varnel
