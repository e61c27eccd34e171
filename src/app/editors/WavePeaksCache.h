// Waveform tables already computed, kept so that a strip shown again for an unchanged file
// appears at once instead of reading the whole file a second time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "app/editors/WavePeaks.h"

namespace varnel {

// Tables already computed, kept per file, summary and column count, and given out again
// while the file is unchanged. Safe to use from several threads. Holds at most `capacity`
// tables, dropping the least recently used one.
class WavePeaksCache {
 public:
  explicit WavePeaksCache(size_t capacity = 8) : Capacity_(capacity) {}

  // The table for this file, summary and column count, when one was stored and the file
  // still has the stamp it was computed from; null otherwise.
  std::shared_ptr<const WavePeaks> Find(const std::string& path, const WaveDataInfo& info,
                                        int32_t columns);
  // Keeps a complete table (computed from `path` with `info`).
  void Store(const std::string& path, const WaveDataInfo& info,
             std::shared_ptr<const WavePeaks> peaks);

 private:
  struct Entry {
    std::string Path;
    WaveDataInfo Info;
    std::shared_ptr<const WavePeaks> Peaks;
  };
  size_t Capacity_;
  std::mutex Mutex_;
  std::list<Entry> Entries_;  // most recently used first
};

}  // namespace varnel
