#include "app/commands/ProgressDisplay.h"

#include <cstdio>
#include <limits>

namespace varnel {

namespace {

std::string TrackOperationText(int32_t trackNumber) {
  char text[80];
  std::snprintf(text, sizeof text, "Editing and Copying a wave file for Track%.2d...", trackNumber);
  return text;
}

}  // namespace

void ProgressDisplay::RunStarted(int32_t steps) {
  Operation = TrackOperationText(1);
  Maximum = steps < std::numeric_limits<int32_t>::max() ? steps + 1 : steps;
  Position = 0;
}

void ProgressDisplay::TrackStarted(int32_t trackNumber) {
  Operation = TrackOperationText(trackNumber);
  if (Position < std::numeric_limits<int32_t>::max()) ++Position;
}

void ProgressDisplay::WritingSheet() {
  Operation = "Exporting Cue sheet...";
  if (Position < std::numeric_limits<int32_t>::max()) ++Position;
}

void ProgressDisplay::RunEnded(RunState) {}

}  // namespace varnel
