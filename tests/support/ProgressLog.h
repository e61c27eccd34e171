// A receiver of a making run's progress that passes each call on to another receiver when
// one is named, writes it down as a short line ("RunStarted 2", "TrackStarted 3",
// "WritingSheet", "RunEnded Cancelled") and then calls a hook with the line, all on the
// run's thread: tests compare the lines and use the hook to act at a given step (press
// Cancel, change a file, hold the run).
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "make/MakeProgress.h"

namespace varnel::test {

inline const char* RunStateName(RunState state) {
  switch (state) {
    case RunState::Idle:
      return "Idle";
    case RunState::Failed:
      return "Failed";
    case RunState::Succeeded:
      return "Succeeded";
    case RunState::Cancelled:
      return "Cancelled";
  }
  return "?";
}

class ProgressLog : public MakeProgress {
 public:
  std::vector<std::string> Notes;
  // Told each call first (may be null).
  MakeProgress* Next = nullptr;
  // Called with each line last (may be empty).
  std::function<void(const std::string& note)> Hook;

  void RunStarted(int32_t steps) override {
    if (Next) Next->RunStarted(steps);
    Note("RunStarted " + std::to_string(steps));
  }
  void TrackStarted(int32_t trackNumber) override {
    if (Next) Next->TrackStarted(trackNumber);
    Note("TrackStarted " + std::to_string(trackNumber));
  }
  void WritingSheet() override {
    if (Next) Next->WritingSheet();
    Note("WritingSheet");
  }
  void RunEnded(RunState outcome) override {
    if (Next) Next->RunEnded(outcome);
    Note(std::string("RunEnded ") + RunStateName(outcome));
  }

 private:
  void Note(const std::string& note) {
    Notes.push_back(note);
    if (Hook) Hook(note);
  }
};

}  // namespace varnel::test

namespace varnel {

// Failed expectations on a run state name it.
inline void PrintTo(RunState state, std::ostream* out) {
  *out << test::RunStateName(state);
}

}  // namespace varnel
