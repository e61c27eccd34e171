#include "app/commands/RecentLayouts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/commands/LayoutFile.h"
#include "app/commands/UnsavedChanges.h"
#include "model/PathNames.h"

namespace varnel {

bool NoteRecentLayout(AppSettings& settings, const std::string& path) {
  if (path.empty() || settings.Recent.front() == path) return false;
  auto& list = settings.Recent;
  auto found = std::find(list.begin(), list.end(), path);
  if (found == list.end()) found = list.end() - 1;
  std::rotate(list.begin(), found, found + 1);
  list.front() = path;
  return true;
}

std::vector<RecentLayoutEntry> RecentLayoutEntries(const AppSettings& settings) {
  std::vector<RecentLayoutEntry> entries;
  for (const std::string& path : settings.Recent) {
    if (path.empty()) continue;
    std::error_code ec;
    const bool exists = std::filesystem::is_regular_file(path, ec);
    // An "&" of the name is shown as such, not taken as the entry's access key.
    std::string name;
    for (char c : FileNamePart(path)) name += c == '&' ? std::string("&&") : std::string(1, c);
    entries.push_back({path, "&" + std::to_string(entries.size() + 1) + " " + name, exists});
  }
  return entries;
}

bool OpenRecentLayout(AppContext& ctx, const std::string& path) {
  if (!ctx.IsIdle() || !ConfirmDiscardLayout(ctx)) return false;
  return LoadLayoutFile(ctx, path);
}

}  // namespace varnel
