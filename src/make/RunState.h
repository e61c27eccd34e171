// The state of a making run, one byte shared by the run, whoever started it and the Cancel
// that stops it. While a run is in progress the state is still Idle; the run sets Succeeded
// or Failed at its end, Cancel sets Cancelled (only while it is still Idle, so an outcome
// the run has set stands). Whoever started the run shows the outcome and sets Idle again.
// Cancel may come from a signal handler: the state is a lock-free atomic.
#pragma once

#include <atomic>
#include <cstdint>

namespace varnel {

enum class RunState : uint8_t {
  Idle,
  Failed,
  Succeeded,
  Cancelled,
};

static_assert(std::atomic<RunState>::is_always_lock_free,
              "a signal handler may cancel a run: the run state must be lock-free");

}  // namespace varnel
