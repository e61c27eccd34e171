#include "cli/CliCommon.h"

#include <iostream>

#include "app/commands/LayoutFile.h"
#include "app/views/StatusBar.h"

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

int ExitCodeOf(const CliPrompter& prompter) {
  if (prompter.Unanswered) return kExitQuestion;
  if (prompter.ShowedError) return kExitFailed;
  return kExitOk;
}

CliLoadedLayout::CliLoadedLayout(const std::string& settingsPath,
                                   const std::string& layoutPath, bool yes, bool verbose)
    : Prompter(std::cout, std::cerr), Ctx(Prompter) {
  Prompter.AnswerYes = yes;
  Prompter.Verbose = verbose;
  Prompter.OpenPaths = {DialogPath(layoutPath)};
  Ctx.Settings = LoadCliSettings(settingsPath, verbose);
  RefreshStatusBar(Ctx);
  OpenLayout(Ctx);
  Code = ExitCodeOf(Prompter);
}

}  // namespace varnel::cli
