// Placeholder until the "new" command is built.
#include <CLI/CLI.hpp>

#include "CliCommands.h"

namespace varnel::cli {

void RegisterNew(CLI::App&, TRunAction&) {}

}  // namespace varnel::cli
