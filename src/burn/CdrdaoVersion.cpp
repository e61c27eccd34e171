#include "burn/CdrdaoVersion.h"

#include <cctype>
#include <tuple>

namespace varnel {

namespace {

// A number of at most 4 digits at `at`, which moves past it; -1 when there is none.
int Number(const std::string& text, size_t& at) {
  int n = 0;
  size_t digits = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && digits < 4) {
    n = n * 10 + (text[at++] - '0');
    ++digits;
  }
  return digits ? n : -1;
}

}  // namespace

CdrdaoVersion ParseCdrdaoVersion(const std::string& text) {
  static const std::string kBanner = "Cdrdao version ";
  for (size_t from = text.find(kBanner); from != std::string::npos;
       from = text.find(kBanner, from + 1)) {
    if (from != 0 && text[from - 1] != '\n') continue;
    size_t at = from + kBanner.size();
    CdrdaoVersion v;
    v.Major = Number(text, at);
    if (v.Major < 0 || at >= text.size() || text[at] != '.') continue;
    ++at;
    v.Minor = Number(text, at);
    if (v.Minor < 0) continue;
    v.Patch = 0;
    if (at < text.size() && text[at] == '.') {
      ++at;
      v.Patch = Number(text, at);
      if (v.Patch < 0) continue;
    }
    v.Known = true;
    return v;
  }
  return {};
}

bool NeedsCdTextDriverOption(const CdrdaoVersion& version) {
  if (!version.Known) return true;
  return std::tie(version.Major, version.Minor, version.Patch) < std::make_tuple(1, 2, 5);
}

}  // namespace varnel
