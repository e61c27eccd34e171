// "Open Recent": the layouts last loaded or saved, the latest first, kept in the settings
// ("Recent"), so a user finds yesterday's disc without the file dialog. A file that is gone
// stays listed but cannot be chosen: it may be on a disk that is not mounted now.
#pragma once

#include <string>
#include <vector>

#include "app/AppContext.h"
#include "persist/AppSettings.h"

namespace varnel {

// Puts `path` first in the list (once; the oldest falls off past eight). True when the
// list changed.
bool NoteRecentLayout(AppSettings& settings, const std::string& path);

struct RecentLayoutEntry {
  std::string Path;
  std::string Text;     // the menu text: "&1 disc.txt"
  bool Exists = false;  // a regular file is there: the entry can be chosen
};
std::vector<RecentLayoutEntry> RecentLayoutEntries(const AppSettings& settings);

// Loads the recent layout `path` as "Load disc layout" does once the file is chosen: the
// unsaved-changes question first. Ignored while busy. True when it was loaded.
bool OpenRecentLayout(AppContext& ctx, const std::string& path);

}  // namespace varnel
