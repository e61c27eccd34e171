// A layout loaded for a subcommand that only reads it (show, lint), the way the window's
// File > Load loads it, so that both report the same problems in the same words.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

// Loaded as File > Load loads it in the window (status bar first, then the file), with
// messages on stdout and stderr. Code is kExitOk when it loaded.
struct CliLoadedLayout {
  CliLoadedLayout(const std::string& settingsPath, const std::string& layoutPath, bool yes,
                  bool verbose);
  CliLoadedLayout(const CliLoadedLayout&) = delete;
  CliLoadedLayout& operator=(const CliLoadedLayout&) = delete;

  CliPrompter Prompter;
  AppContext Ctx;  // answers through Prompter
  int Code;
};

}  // namespace varnel::cli
