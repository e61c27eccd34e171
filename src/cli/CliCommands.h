// The subcommands of varnel-cli. Each Register function adds its subcommand to the
// parser and, when that subcommand is chosen, sets `run` to the action that does it and
// returns the exit code.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace varnel::cli {

using TRunAction = std::function<int()>;

void RegisterCheck(CLI::App& app, TRunAction& run);
void RegisterShow(CLI::App& app, TRunAction& run);
void RegisterNew(CLI::App& app, TRunAction& run);
void RegisterMake(CLI::App& app, TRunAction& run);
void RegisterImport(CLI::App& app, TRunAction& run);
void RegisterLint(CLI::App& app, TRunAction& run);

}  // namespace varnel::cli
