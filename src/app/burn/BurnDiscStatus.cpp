#include "app/burn/BurnDiscStatus.h"

namespace varnel {

namespace {

// Keeps what the job's first steps say of the disc.
class StatusCatcher : public BurnListener {
 public:
  void BurnStatusKnown(const DiscStatus& status) override { Status = status; }
  void BurnProgressed(const BurnProgress&) override {}
  void BurnEnded(const BurnResult&) override {}
  DiscStatus Status;
};

}  // namespace

DiscStatus ReadDiscStatus(const std::string& device, const std::atomic<bool>& cancel) {
  BurnRequest request;
  request.Options.Device = device;
  // A used CD-RW is a status here, not a problem: the burn asks about it.
  request.Options.Blank = true;
  StatusCatcher catcher;
  const std::optional<BurnResult> end = CheckBeforeBurning(request, catcher, cancel);
  if (!catcher.Status.Known && end) catcher.Status.Line = end->Message;
  return catcher.Status;
}

}  // namespace varnel
