// What the burn progress dialog shows, driven by the job's reports and a clock the caller
// passes in: the phase (BurnStageText: "Writing the lead-in", "Writing track 3 of 12",
// "Simulating the lead-out"…), one bar for the whole disc that
// never moves back within a pass, the drive's buffer fill, the disc's status line, and the
// elapsed and remaining time. The remaining time is estimated from the pace of the pass
// under way (blanking, a simulation and the writing are passes of their own) and is unknown
// until the pass has shown some progress. It keeps no thread: whoever owns it calls it on
// one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/burn/BurnJob.h"

namespace varnel {

class BurnProgressView {
 public:
  using Clock = std::chrono::steady_clock;

  explicit BurnProgressView(Clock::time_point start);

  void StatusKnown(const DiscStatus& status);
  void Progressed(const BurnProgress& progress, Clock::time_point now);

  const std::string& Phase() const { return Phase_; }
  const std::string& DiscLine() const { return DiscLine_; }
  int32_t DiscPermille() const { return Permille_; }  // 0 to 1000
  // The drive's buffer, 0 to 100; nothing before cdrdao has reported it.
  std::optional<int32_t> DriveBufferPercent() const { return DriveBuffer_; }

  // "mm:ss" (or "h:mm:ss") since the start.
  std::string ElapsedText(Clock::time_point now) const;
  // "mm:ss" left in the pass under way, or "--:--" while unknown.
  std::string RemainingText(Clock::time_point now) const;

  // "mm:ss", or "h:mm:ss" from an hour on.
  static std::string DurationText(int64_t seconds);

 private:
  Clock::time_point Start_;
  Clock::time_point PassStart_;
  bool PassSimulating_ = false;
  bool PassBlanking_ = false;
  bool Reported_ = false;
  std::string Phase_;
  std::string DiscLine_;
  int32_t Permille_ = 0;
  std::optional<int32_t> DriveBuffer_;
};

}  // namespace varnel
