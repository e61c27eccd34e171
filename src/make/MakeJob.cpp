#include "make/MakeJob.h"

namespace varnel {

MakeJob::MakeJob(const DiscLayout& layout, const RunOptions& settings, std::atomic<RunState>& state)
    : Layout(layout), Settings(settings), State(state) {
  for (int32_t i = 0; i < layout.Count(); ++i) {
    KnownSilence.emplace(&layout.At(i), layout.At(i).KnownSilence());
  }
}

}  // namespace varnel
