// The rip log reader on any bytes: no crash, no hang, and a table of contents only from a
// table in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/sheets/RipLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const varnel::RipLog log =
      varnel::ReadRipLog(std::string(reinterpret_cast<const char*>(data), size));
  for (size_t i = 1; i < log.Tracks.size() && !log.Toc.empty(); ++i) {
    if (log.Tracks[i].StartSector <= log.Tracks[i - 1].EndSector) std::abort();
  }
  return 0;
}
