#include "app/views/DecodedCacheView.h"

#include <cstdio>
#include <ctime>

#include "formats/audio/DecodedCache.h"

namespace varnel {

std::string MiBText(int64_t bytes) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return buf;
}

std::string CacheLimitText(int32_t limitMiB) {
  return limitMiB <= 0 ? std::string("none") : std::to_string(limitMiB) + " MiB";
}

namespace {

std::string LocalTimeText(int64_t ns) {
  const std::time_t t = static_cast<std::time_t>(ns / 1000000000);
  std::tm tm{};
  if (::localtime_r(&t, &tm) == nullptr) return "?";
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return buf;
}

}  // namespace

DecodedCacheView ViewDecodedCache(const std::string& folder) {
  DecodedCacheView view;
  view.Folder = folder;
  for (const CacheEntryInfo& e : DecodedCache(folder).Entries()) {
    view.Bytes += e.Bytes;
    view.Entries.push_back(
        {MiBText(e.Bytes), LocalTimeText(e.LastUseNs), e.Source.empty() ? "?" : e.Source});
  }
  const size_t n = view.Entries.size();
  view.SizeText = n == 0 ? std::string("empty")
                         : MiBText(view.Bytes) + " in " + std::to_string(n) +
                               (n == 1 ? " decoded copy" : " decoded copies");
  return view;
}

void EmptyDecodedCache(const std::string& folder, const std::set<std::string>& inUse) {
  DecodedCache(folder).Clear(inUse);
}

void TrimDecodedCacheNow(const std::string& folder, int64_t limitMiB) {
  DecodedCache(folder).Trim(limitMiB * (int64_t{1} << 20));
}

}  // namespace varnel
