#include "burn/CdrdaoDiskInfo.h"

#include <cctype>
#include <limits>
#include <sstream>

#include "model/TextTrim.h"

namespace varnel {

namespace {

std::optional<bool> YesNo(const std::string& value) {
  if (value == "yes") return true;
  if (value == "no") return false;
  return std::nullopt;
}

// "79:59:74 (359849 blocks, 702/807 MB)": the number before " blocks".
std::optional<int64_t> Blocks(const std::string& value) {
  const size_t open = value.find('(');
  const size_t word = value.find(" blocks", open == std::string::npos ? 0 : open);
  if (open == std::string::npos || word == std::string::npos || word <= open + 1) {
    return std::nullopt;
  }
  int64_t n = 0;
  for (size_t i = open + 1; i < word; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (!std::isdigit(c) || n > (std::numeric_limits<int64_t>::max() - 9) / 10) {
      return std::nullopt;
    }
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

CdrdaoDiskInfo ParseCdrdaoDiskInfo(const std::string& stdoutText) {
  CdrdaoDiskInfo info;
  std::istringstream lines(stdoutText);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = Trim(line.substr(0, colon));
    const std::string value = Trim(line.substr(colon + 1));
    if (name == "CD-RW") {
      info.Rewritable = YesNo(value);
    } else if (name == "Total Capacity") {
      info.CapacityFrames = Blocks(value);
    } else if (name == "CD-R empty") {
      info.Empty = YesNo(value);
    } else if (name == "Appendable") {
      info.Appendable = YesNo(value);
    } else if (name == "CD-R medium" && value != "n/a") {
      info.Medium = value;
    }
  }
  return info;
}

}  // namespace varnel
