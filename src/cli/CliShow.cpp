// Placeholder until the "show" command is built.
#include <CLI/CLI.hpp>

#include "CliCommands.h"

namespace varnel::cli {

void RegisterShow(CLI::App&, TRunAction&) {}

}  // namespace varnel::cli
