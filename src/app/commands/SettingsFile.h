// The settings file as the window opens and closes it: the settings read when the window is
// created (with what the file says of the window's own geometry), the list font read when it
// is first shown, and the whole file written when it closes. The text of the file is the
// persistence layer's (persist/AppSettings.h).
#pragma once

#include <string>

#include "persist/AppSettings.h"

namespace varnel {

// What the settings file held of the window, beside the values themselves.
struct StoredWindowSettings {
  bool SizeStored = false;     // "Form" has both Width and Height
  bool ColumnsStored = false;  // the file has a "ColumnWidth" section
  // A file that exists but cannot be read (a folder, a FIFO, over 64 MiB): the error box's
  // text, naming it, and the reason; empty otherwise.
  std::string Problem;
  std::string ProblemDetail;
};

// The text of the error a settings file that exists but cannot be read gives.
std::string SettingsUnreadableMessage(const std::string& path);

// Reads the settings file at `path` into `settings` (a missing or refused file gives the
// defaults, `defaultWorkDir` that of "WorkDir").
StoredWindowSettings ReadWindowSettings(const std::string& path, AppSettings& settings,
                                        const std::string& defaultWorkDir);
// The list font the settings file at `path` holds (defaults where it holds none).
FontSettings ReadListFont(const std::string& path);

}  // namespace varnel
