// Placeholder until the "make" command is built.
#include <CLI/CLI.hpp>

#include "CliCommands.h"

namespace varnel::cli {

void RegisterMake(CLI::App&, TRunAction&) {}

}  // namespace varnel::cli
