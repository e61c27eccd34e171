// The readers of cdrdao's text on any bytes: disk-info's fields, the version banner and
// the classifier of its stderr lines. No crash, no hang; a capacity is never negative.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "burn/CdrdaoDiskInfo.h"
#include "burn/CdrdaoFault.h"
#include "burn/CdrdaoVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const varnel::CdrdaoDiskInfo info = varnel::ParseCdrdaoDiskInfo(text);
  if (info.CapacityFrames && *info.CapacityFrames < 0) std::abort();
  const varnel::CdrdaoVersion v = varnel::ParseCdrdaoVersion(text);
  if (v.Known && (v.Major < 0 || v.Minor < 0 || v.Patch < 0)) std::abort();
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (varnel::ClassifyCdrdaoLine(line) != varnel::CdrdaoFault::None &&
        !varnel::IsCdrdaoReport(line)) {
      std::abort();
    }
  }
  return 0;
}
