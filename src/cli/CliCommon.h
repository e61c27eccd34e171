// What the layout subcommands of varnel-cli share: the settings they start from, loading a
// layout for a command that only reads it, and how the prompter's answers become the exit
// status.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

// The settings of the file named by --settings, or of the window's settings file when
// `settingsPath` is empty; a missing or refused file gives the defaults (with `verbose`, why
// an existing file was refused goes to stderr). The file is never written.
AppSettings LoadCliSettings(const std::string& settingsPath, bool verbose = false);

// The help text of --verbose.
inline constexpr const char* kVerboseHelp = "print the reason of a failure on a line after it";

// The exit status of what the prompter saw: kExitQuestion when a question went unanswered,
// kExitFailed after an error box, else kExitOk.
int ExitCodeOf(const CliPrompter& prompter);

// A layout loaded as File > Load loads it in the window (status bar first, then the file),
// with messages on stdout and stderr, for show and lint. Code is kExitOk when it loaded.
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
