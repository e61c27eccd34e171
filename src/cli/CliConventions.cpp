#include "cli/CliConventions.h"

#include <iostream>

#include "app/commands/SettingsFile.h"

namespace varnel::cli {

AppSettings LoadCliSettings(const std::string& settingsPath, bool verbose) {
  const std::string exe = CurrentExePath();
  const std::string home = HomeDir();
  const std::string path = settingsPath.empty() ? SettingsPathFor(exe, home) : settingsPath;
  std::string problem;
  AppSettings settings = ReadSettingsFile(path, std::string(), &problem);
  if (!problem.empty()) {
    std::cerr << SettingsUnreadableMessage(path) << std::endl;
    if (verbose) std::cerr << problem << std::endl;
    throw SettingsRefused{};
  }
  return settings;
}

int ExitCodeOf(const CliPrompter& prompter) {
  if (prompter.Unanswered) return kExitQuestion;
  if (prompter.ShowedError) return kExitFailed;
  return kExitOk;
}

}  // namespace varnel::cli
