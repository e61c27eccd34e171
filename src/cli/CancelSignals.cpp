#include "cli/CancelSignals.h"

#include <atomic>

namespace varnel::cli {

namespace {

std::atomic<bool> gReceived{false};
std::atomic<void (*)()> gOnCancel{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free &&
                  std::atomic<void (*)()>::is_always_lock_free,
              "read and set from a signal handler");

extern "C" void OnCancelSignal(int) {
  gReceived.store(true);
  if (void (*onCancel)() = gOnCancel.load()) onCancel();
}

}  // namespace

CancelSignals::CancelSignals(void (*onCancel)()) {
  gReceived.store(false);
  gOnCancel.store(onCancel);
  struct sigaction action {};
  action.sa_handler = OnCancelSignal;
  action.sa_flags = SA_RESTART;  // reads and writes go on; the work stops between them
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < kCancel; ++i) sigaction(kSignals[i], &action, &Old_[i]);
  action.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &action, &Old_[kCancel]);
}

CancelSignals::~CancelSignals() {
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &Old_[i], nullptr);
  gOnCancel.store(nullptr);
}

bool CancelSignals::Received() {
  return gReceived.load();
}

}  // namespace varnel::cli
