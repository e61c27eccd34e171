// Placeholder until the "check" command is built.
#include <CLI/CLI.hpp>

#include "CliCommands.h"

namespace varnel::cli {

void RegisterCheck(CLI::App&, TRunAction&) {}

}  // namespace varnel::cli
