// MpegAudioFile on arbitrary bytes: parsing and the frame walk never read outside the
// buffer or the file, and what they report is consistent with the bytes and the same as the
// whole-file reference walk reports, whether the bytes are in memory or in a file read in
// blocks (small blocks here, so that every edge of a block is met).
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/audio/MpegAudioFile.h"
#include "support/ReferenceMpegWalk.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/varnel-fuzz-mpeg-" + std::to_string(::getpid()) + ".mp3";
  }();
  return path;
}

void WriteScratch(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(ScratchPath().c_str(), "wb");
  Check(f != nullptr);
  Check(size == 0 || std::fwrite(data, 1, size, f) == size);
  Check(std::fclose(f) == 0);
}

bool SameFloat(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// What one opening reports, against the reference.
void ExpectReference(varnel::MpegAudioFile& m, bool opened, const varnel::test::ReferenceWalk& want,
                     int64_t size) {
  Check(opened == want.Opened);
  if (!opened) {
    Check(!m.HasFirstFrame && m.Data.empty() && m.FileName.empty() && m.Size() == 0);
    Check(m.CountFrames() == 0);
    return;
  }
  Check(m.HasFirstFrame && m.Size() == size);
  Check(m.FirstFrameOffset == want.FirstFrameOffset && int64_t{m.FirstFrameOffset} + 4 <= size);
  Check(std::memcmp(m.FirstHeader, want.FirstHeader, 4) == 0);
  Check(varnel::MpegAudioFile::IsFrameHeader(m.FirstHeader));
  Check(m.AudioSize == want.AudioSize && m.AudioSize >= 0 && m.AudioSize <= size);

  const int32_t count = m.CountFrames();
  const float duration = m.GetDuration();
  Check(count == want.Count);
  Check(count >= 0 && std::isfinite(duration) && duration >= 0.0f);
  if (count > 0)
    Check(m.FrameCount == count && SameFloat(duration, want.Duration) && duration > 0.0f);
  // Every frame is at least one byte and starts inside the file.
  Check(count <= size);
  // A second walk over the same bytes gives the same answer.
  Check(m.CountFrames() == count && (count == 0 || SameFloat(m.GetDuration(), duration)));
  m.Reset();
  Check(m.Data.empty() && !m.HasFirstFrame && m.Size() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const varnel::test::ReferenceWalk want = varnel::test::ReferenceMpegWalk(bytes);
  const auto n = static_cast<int64_t>(size);

  varnel::MpegAudioFile inMemory;
  ExpectReference(inMemory, inMemory.OpenBuffer(bytes, "fuzz.mp3"), want, n);

  WriteScratch(data, size);
  varnel::MpegAudioFile fromFile(16 + static_cast<int64_t>(size % 61));
  const bool opened = fromFile.Open(ScratchPath());
  ExpectReference(fromFile, opened, want, n);
  std::remove(ScratchPath().c_str());
  return 0;
}
