#include "app/views/Capacity.h"

#include <algorithm>
#include <cstdio>

#include "app/check/DiscTime.h"

namespace varnel {

namespace {

constexpr int64_t kFramesPerSecond = 75;

// Minutes and seconds of `seconds`: "12:31".
std::string MinSec(int64_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}

}  // namespace

DiscCapacity CapacityOf(int64_t discFrames, int32_t mediaMinutes) {
  DiscCapacity c;
  const int64_t media = MediaFrames(mediaMinutes);
  const int64_t used = std::max<int64_t>(0, discFrames);
  switch (FitOf(used, mediaMinutes)) {
    case DiscFit::Fits:
      c.Level = CapacityLevel::Green;
      break;
    case DiscFit::Over74Minutes:
      c.Level = CapacityLevel::Amber;
      break;
    case DiscFit::TooLong:
      c.Level = CapacityLevel::Red;
      break;
  }
  c.Permille = media > 0 ? static_cast<int32_t>(std::min<int64_t>(1000, used * 1000 / media)) : 0;
  c.Used = MinSec(used / kFramesPerSecond) + " of " + MinSec(media / kFramesPerSecond);
  if (used <= media) {
    c.Text = MinSec((media - used) / kFramesPerSecond) + " left";
  } else {
    c.Text = MinSec((used - media + kFramesPerSecond - 1) / kFramesPerSecond) + " too long";
  }
  return c;
}

DiscCapacity CapacityOfLayout(DiscLayout& layout, const AppSettings& settings) {
  return CapacityOf(DiscTimeOf(layout, settings).TotalFrames, settings.Media);
}

}  // namespace varnel
