// varnel-cli: the command-line front end on the same logic as the window.
#include <CLI/CLI.hpp>

#include "CliCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"Varnel: prepares audio and mixed-mode CDs with hidden tracks for recording"};
  app.require_subcommand(1);
  varnel::cli::TRunAction run;
  varnel::cli::RegisterCheck(app, run);
  varnel::cli::RegisterShow(app, run);
  varnel::cli::RegisterNew(app, run);
  varnel::cli::RegisterMake(app, run);
  CLI11_PARSE(app, argc, argv);
  return run ? run() : 0;
}
