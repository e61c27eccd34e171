#include "cli/CliLoadedLayout.h"

#include <iostream>

#include "app/commands/LayoutFile.h"
#include "app/views/StatusBar.h"
#include "cli/CliConventions.h"

namespace varnel::cli {

CliLoadedLayout::CliLoadedLayout(const std::string& settingsPath, const std::string& layoutPath,
                                 bool yes, bool verbose)
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
