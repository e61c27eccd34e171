#include "cli/CliConventions.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace varnel::cli {

AppSettings LoadCliSettings(const std::string& settingsPath, bool verbose) {
  const std::string exe = CurrentExePath();
  const std::string home = HomeDir();
  const std::string path = settingsPath.empty() ? SettingsPathFor(exe, home) : settingsPath;
  std::string problem;
  AppSettings settings = ReadSettingsFile(path, DefaultWorkDirFor(exe, home), &problem);
  if (verbose && !problem.empty()) std::cerr << problem << std::endl;
  return settings;
}

std::string DialogPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return absolute.lexically_normal().string();
}

int ExitCodeOf(const CliPrompter& prompter) {
  if (prompter.Unanswered) return kExitQuestion;
  if (prompter.ShowedError) return kExitFailed;
  return kExitOk;
}

}  // namespace varnel::cli
