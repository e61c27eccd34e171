// MpegAudioFile on arbitrary bytes: parsing and the frame walk never read outside the
// buffer, and what they report is consistent with the buffer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Mpegaudioheader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  varnel::MpegAudioFile m;
  const bool opened = m.OpenBuffer(std::vector<uint8_t>(data, data + size), "fuzz.mp3");
  if (!opened) {
    if (m.HasFirstFrame || !m.Data.empty() || !m.FileName.empty()) std::abort();
    if (m.CountFrames() != 0) std::abort();
    return 0;
  }
  const int64_t s = static_cast<int64_t>(m.Data.size());
  if (!m.HasFirstFrame || m.FirstFrameOffset < 0 || int64_t{m.FirstFrameOffset} + 4 > s) {
    std::abort();
  }
  if (!varnel::MpegAudioFile::IsFrameHeader(m.FirstHeader)) std::abort();
  if (m.AudioSize < 0 || m.AudioSize > s) std::abort();

  const int32_t count = m.CountFrames();
  const float duration = m.GetDuration();
  if (count < 0 || !std::isfinite(duration) || duration < 0.0f) std::abort();
  if (count > 0 && (m.FrameCount != count || duration <= 0.0f)) std::abort();
  // Every frame is at least one byte and starts inside the file.
  if (count > s) std::abort();
  // A second walk over the same bytes gives the same answer.
  if (m.CountFrames() != count || (count > 0 && m.GetDuration() != duration)) std::abort();
  m.Reset();
  if (!m.Data.empty() || m.HasFirstFrame) std::abort();
  return 0;
}
