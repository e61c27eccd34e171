// varnel-cli drives: the optical drives of this machine, one line each on stdout:
// DEVICE<TAB>VENDOR<TAB>MODEL<TAB>REVISION<TAB>WRITES, WRITES being "CD-R CD-RW", "CD-R",
// "CD-RW", "-" (neither) or "?" (udev does not say). No drive: "No CD writer found." on
// stderr, exit 1.
#include <CLI/CLI.hpp>
#include <iostream>

#include "app/burn/BurnDrives.h"
#include "app/burn/BurnMessages.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

int RunDrivesCommand() {
  const std::vector<OpticalDrive> drives = ListOpticalDrives();
  if (drives.empty()) {
    CliPrompter prompter(std::cout, std::cerr);
    prompter.ShowMessage(BoxKind::Error, kNoWriterText);
    return kExitFailed;
  }
  for (const OpticalDrive& d : drives) std::cout << DriveListLine(d) << '\n';
  return kExitOk;
}

}  // namespace

void RegisterDrives(CLI::App& app, RunAction& run) {
  CLI::App* sub = app.add_subcommand("drives", "List the CD drives and whether they write CD-R");
  sub->callback([&run] { run = RunDrivesCommand; });
}

}  // namespace varnel::cli
