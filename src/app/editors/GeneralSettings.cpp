#include "app/editors/GeneralSettings.h"

#include <algorithm>

namespace varnel {

int32_t ClampLeadFrames(int32_t frames) {
  return std::clamp(frames, kMinLeadFrames, kMaxLeadFrames);
}

GeneralSettings LoadGeneralSettings(const AppSettings& settings) {
  GeneralSettings v;
  v.WorkDir = settings.WorkDir;
  v.AddFrames = settings.AddFrames;
  v.NumFrames = ClampLeadFrames(settings.NumFrames);
  v.MakeAlways = settings.MakeAlways;
  v.Relative = settings.Relative;
  v.CdrdaoToc = settings.CdrdaoToc;
  v.CheckBeforeMake = settings.CheckBeforeMake;
  v.ConvertSources = settings.ConvertSources;
  v.DecodedLimitMiB = std::max(0, settings.DecodedLimitMiB);
  return v;
}

void StoreGeneralSettings(AppSettings& settings, const GeneralSettings& values) {
  settings.WorkDir = values.WorkDir;
  settings.AddFrames = values.AddFrames;
  settings.NumFrames = ClampLeadFrames(values.NumFrames);
  settings.MakeAlways = values.MakeAlways;
  settings.Relative = values.Relative;
  settings.CdrdaoToc = values.CdrdaoToc;
  settings.CheckBeforeMake = values.CheckBeforeMake;
  settings.ConvertSources = values.ConvertSources;
  settings.DecodedLimitMiB = std::max(0, values.DecodedLimitMiB);
}

std::optional<std::string> BrowseWorkDir(Prompter& prompter, const std::string& startDir) {
  std::optional<std::string> chosen = prompter.BrowseFolder(kWorkDirBrowseTitle, startDir);
  if (!chosen || chosen->empty()) return std::nullopt;
  return chosen;
}

}  // namespace varnel
