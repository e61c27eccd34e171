// varnel-cli: the command-line front end on the same logic as the window. A usage error
// (unknown option or subcommand, missing or malformed argument) prints CLI11's message and
// exits 2; --help and --version print to stdout and exit 0.
#include <CLI/CLI.hpp>

#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliPrompter.h"

int main(int argc, char** argv) {
  CLI::App app{"Varnel: prepares audio and mixed-mode CDs with hidden tracks for recording"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "varnel-cli " VARNEL_VERSION,
                       "print the program's name and version and exit");
  varnel::cli::RunAction run;
  varnel::cli::RegisterCheck(app, run);
  varnel::cli::RegisterShow(app, run);
  varnel::cli::RegisterNew(app, run);
  varnel::cli::RegisterMake(app, run);
  varnel::cli::RegisterImport(app, run);
  varnel::cli::RegisterLint(app, run);
  varnel::cli::RegisterCache(app, run);
  varnel::cli::RegisterIds(app, run);
  varnel::cli::RegisterDrives(app, run);
  varnel::cli::RegisterBurn(app, run);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? varnel::cli::kExitOk : varnel::cli::kExitUsage;
  }
  try {
    return run ? run() : varnel::cli::kExitOk;
  } catch (const varnel::cli::SettingsRefused&) {
    return varnel::cli::kExitFailed;
  }
}
