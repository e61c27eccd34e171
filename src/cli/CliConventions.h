// What the subcommands of varnel-cli do alike: the settings they start from, the paths
// they take from the command line, the help of --verbose, and how the prompter's answers
// become the exit status.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

// The settings of the file named by --settings, or of the window's settings file when
// `settingsPath` is empty; a missing file gives the defaults. A file that exists but cannot
// be read (a folder, a FIFO, over 64 MiB) stops the command before it does anything: its
// error goes to stderr (with `verbose`, the reason after it) and SettingsRefused is thrown,
// which main turns into exit 1. The file is never written.
struct SettingsRefused {};
AppSettings LoadCliSettings(const std::string& settingsPath, bool verbose = false);

// The help text of --verbose.
inline constexpr const char* kVerboseHelp = "print the reason of a failure on a line after it";

// The exit status of what the prompter saw: kExitQuestion when a question went unanswered,
// kExitFailed after an error box, else kExitOk.
int ExitCodeOf(const CliPrompter& prompter);

}  // namespace varnel::cli
