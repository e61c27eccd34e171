#include "app/editors/WavePeaksCache.h"

#include <algorithm>

namespace varnel {

std::shared_ptr<const WavePeaks> WavePeaksCache::Find(const std::string& path,
                                                      const WaveDataInfo& info, int32_t columns) {
  const FileStamp stamp = StampOf(path);
  std::lock_guard<std::mutex> lock(Mutex_);
  for (auto it = Entries_.begin(); it != Entries_.end(); ++it) {
    if (it->Path != path || !(it->Info == info) ||
        it->Peaks->Columns.size() != static_cast<size_t>(std::clamp(columns, 0, kMaxPeakColumns))) {
      continue;
    }
    if (!(it->Peaks->Stamp == stamp)) {
      Entries_.erase(it);  // the file changed: the table is stale
      return nullptr;
    }
    Entries_.splice(Entries_.begin(), Entries_, it);
    return Entries_.front().Peaks;
  }
  return nullptr;
}

void WavePeaksCache::Store(const std::string& path, const WaveDataInfo& info,
                           std::shared_ptr<const WavePeaks> peaks) {
  if (!peaks || Capacity_ == 0) return;
  std::lock_guard<std::mutex> lock(Mutex_);
  Entries_.remove_if([&](const Entry& e) {
    return e.Path == path && e.Info == info && e.Peaks->Columns.size() == peaks->Columns.size();
  });
  Entries_.push_front(Entry{path, info, std::move(peaks)});
  while (Entries_.size() > Capacity_) Entries_.pop_back();
}

}  // namespace varnel
