// What the progress dialog of a making run shows, driven by the run's progress: the
// operation text, and the bar's maximum and position. The window's dialog and varnel-cli
// both keep one, so that both say the same thing at the same step. It keeps no thread of its
// own: whoever owns it calls it on one thread.
#pragma once

#include <cstdint>
#include <string>

#include "make/MakeProgress.h"

namespace varnel {

struct ProgressDisplay : MakeProgress {
  std::string Operation = "Current Operation";
  int32_t Maximum = 100;
  int32_t Position = 0;

  // The first track's text, the bar empty, its maximum one step past `steps` (the sheet).
  void RunStarted(int32_t steps) override;
  // The track's text, one step more.
  void TrackStarted(int32_t trackNumber) override;
  // The sheet's text, one step more.
  void WritingSheet() override;
  // The texts and the bar stay as they were; what closes the dialog is the dialog's own.
  void RunEnded(RunState outcome) override;
};

}  // namespace varnel
