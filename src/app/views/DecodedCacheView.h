// What the general settings and `varnel-cli cache` show of the decode cache (its folder, its
// size, its limit and its entries), and what a user does to it: empty it, or trim it to a
// size now. The cache itself is formats/audio/DecodedCache; its limit is trimmed after
// each decode (DecodeAhead.h).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace varnel {

struct DecodedCacheEntryView {
  std::string SizeText;     // "35.2 MiB"
  std::string LastUseText;  // local time, "2026-12-08 12:47"
  std::string Source;       // the source's path, "?" when unknown
};

struct DecodedCacheView {
  std::string Folder;
  int64_t Bytes = 0;
  // "35.2 MiB in 3 decoded copies" ("1 decoded copy"; "empty").
  std::string SizeText;
  std::vector<DecodedCacheEntryView> Entries;  // least recently used first
};

DecodedCacheView ViewDecodedCache(const std::string& folder);

// "35.2 MiB": bytes in MiB with one decimal.
std::string MiBText(int64_t bytes);
// "4096 MiB", or "none" for 0 or less.
std::string CacheLimitText(int32_t limitMiB);

// Removes every entry of the cache in `folder` except `inUse`.
void EmptyDecodedCache(const std::string& folder, const std::set<std::string>& inUse = {});
// Trims the cache in `folder` to `limitMiB` (0: empties it), least recently used first.
void TrimDecodedCacheNow(const std::string& folder, int64_t limitMiB);

}  // namespace varnel
