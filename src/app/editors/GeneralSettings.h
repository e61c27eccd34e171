// The logic of the general settings dialog: the seven values it edits, loaded from and
// stored into the settings in memory, and the working-folder browser. The dialog window
// only moves these values in and out of its controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/ports/Prompter.h"
#include "persist/AppSettings.h"

namespace varnel {

inline constexpr int32_t kMinLeadFrames = 0;
inline constexpr int32_t kMaxLeadFrames = 150;
inline constexpr const char* kWorkDirBrowseTitle = "Select a working directory";
// What the empty working folder field means.
inline constexpr const char* kWorkDirPlaceholder = "Beside the cue sheet: <cue folder>/<cue name>/";

// What the dialog shows and edits.
struct GeneralSettings {
  std::string WorkDir;
  bool AddFrames = true;
  int32_t NumFrames = 5;
  bool MakeAlways = false;
  bool Relative = false;
  bool CdrdaoToc = true;
  bool CheckBeforeMake = true;
  friend bool operator==(const GeneralSettings&, const GeneralSettings&) = default;
};

// The dialog's values taken from the settings each time it is shown. A stored frame count
// outside the up-down's range shows at the nearer end of it.
GeneralSettings LoadGeneralSettings(const AppSettings& settings);

// OK: the values go into the settings as they stand; the working folder is not checked
// (any text is taken), the frame count is kept within 0 to 150.
void StoreGeneralSettings(AppSettings& settings, const GeneralSettings& values);

// Keeps a frame count within the up-down's range 0 to 150.
int32_t ClampLeadFrames(int32_t frames);

// The folder browser titled "Select a working directory", starting at `startDir`: the
// chosen folder, or nothing when the user cancels or chooses no usable folder (then the
// field keeps its text).
std::optional<std::string> BrowseWorkDir(Prompter& prompter, const std::string& startDir);

}  // namespace varnel
