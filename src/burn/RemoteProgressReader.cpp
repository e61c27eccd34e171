#include "burn/RemoteProgressReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace varnel {

namespace {

constexpr char kSync[4] = {'\xff', '\x00', '\xff', '\x00'};
constexpr std::string_view kSyncView(kSync, sizeof kSync);
constexpr size_t kFields = 7;
constexpr size_t kMessageSize = sizeof kSync + kFields * sizeof(int32_t);

}  // namespace

void RemoteProgressReader::Feed(const void* data, size_t size) {
  Pending_.append(static_cast<const char*>(data), size);
}

std::optional<RemoteProgress> RemoteProgressReader::Next() {
  for (;;) {
    const size_t at = Pending_.find(kSyncView);
    if (at == std::string::npos) {
      // Keep a tail that may be the start of a sync split between pieces.
      const size_t keep = std::min(Pending_.size(), sizeof kSync - 1);
      Skipped_ += Pending_.size() - keep;
      Pending_.erase(0, Pending_.size() - keep);
      return std::nullopt;
    }
    Skipped_ += at;
    Pending_.erase(0, at);
    if (Pending_.size() < kMessageSize) return std::nullopt;
    // cdrdao's numbers are small, so a sync inside a message's fields means that message
    // was cut short: the new one starts there. Only a sync wholly inside counts, so that
    // the answer never depends on how many bytes after the message have arrived.
    const size_t inner = Pending_.find(kSyncView, 1);
    if (inner <= kMessageSize - sizeof kSync) {
      Skipped_ += inner;
      Pending_.erase(0, inner);
      continue;
    }
    int32_t f[kFields];
    std::memcpy(f, Pending_.data() + sizeof kSync, sizeof f);
    Pending_.erase(0, kMessageSize);
    return RemoteProgress{f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
  }
}

}  // namespace varnel
