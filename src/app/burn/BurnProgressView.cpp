#include "app/burn/BurnProgressView.h"

#include <algorithm>
#include <cstdio>

#include "app/burn/BurnMessages.h"

namespace varnel {

namespace {

// Before a pass has done this much (in thousandths) or run this long, its pace says too
// little to estimate what is left.
constexpr int32_t kLeastPermilleForEstimate = 10;
constexpr auto kLeastTimeForEstimate = std::chrono::seconds(3);

}  // namespace

BurnProgressView::BurnProgressView(Clock::time_point start)
    : Start_(start), PassStart_(start), Phase_(BurnStageText(BurnProgress{})) {}

void BurnProgressView::StatusKnown(const DiscStatus& status) {
  DiscLine_ = status.Line;
}

void BurnProgressView::Progressed(const BurnProgress& progress, Clock::time_point now) {
  const bool blanking = progress.Stage == BurnStage::Blanking;
  const int32_t permille = std::clamp(progress.Remote.TotalPermille, 0, 1000);
  // A new pass starts its bar and its pace afresh.
  if (!Reported_ || progress.Simulating != PassSimulating_ || blanking != PassBlanking_) {
    PassStart_ = now;
    PassSimulating_ = progress.Simulating;
    PassBlanking_ = blanking;
    Permille_ = 0;
    Reported_ = true;
  }
  Phase_ = BurnStageText(progress);
  Permille_ = std::max(Permille_, permille);
  if (progress.Stage != BurnStage::Starting) {
    DriveBuffer_ = std::clamp(progress.Remote.DriveBufferPercent, 0, 100);
  }
}

std::string BurnProgressView::DurationText(int64_t seconds) {
  seconds = std::max<int64_t>(seconds, 0);
  char buf[32];
  if (seconds >= 3600) {
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(buf, sizeof buf, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return buf;
}

std::string BurnProgressView::ElapsedText(Clock::time_point now) const {
  return DurationText(std::chrono::duration_cast<std::chrono::seconds>(now - Start_).count());
}

std::string BurnProgressView::RemainingText(Clock::time_point now) const {
  const auto spent = now - PassStart_;
  if (!Reported_ || Permille_ < kLeastPermilleForEstimate || spent < kLeastTimeForEstimate) {
    return "--:--";
  }
  const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(spent).count();
  const int64_t leftMs = ms * (1000 - Permille_) / Permille_;
  return DurationText((leftMs + 999) / 1000);
}

}  // namespace varnel
