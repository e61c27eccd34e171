#include "cli/CliConventions.h"

#include <iostream>

namespace varnel::cli {

AppSettings LoadCliSettings(const std::string& settingsPath, bool verbose) {
  const std::string exe = CurrentExePath();
  const std::string home = HomeDir();
  const std::string path = settingsPath.empty() ? SettingsPathFor(exe, home) : settingsPath;
  std::string problem;
  AppSettings settings = ReadSettingsFile(path, std::string(), &problem);
  if (verbose && !problem.empty()) std::cerr << problem << std::endl;
  return settings;
}

int ExitCodeOf(const CliPrompter& prompter) {
  if (prompter.Unanswered) return kExitQuestion;
  if (prompter.ShowedError) return kExitFailed;
  return kExitOk;
}

}  // namespace varnel::cli
