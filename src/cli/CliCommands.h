// The subcommands of varnel-cli. Each Register function adds its subcommand to the
// parser and, when that subcommand is chosen, sets `run` to the action that does it and
// returns the exit code.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace varnel::cli {

using RunAction = std::function<int()>;

void RegisterCheck(CLI::App& app, RunAction& run);
void RegisterShow(CLI::App& app, RunAction& run);
void RegisterNew(CLI::App& app, RunAction& run);
void RegisterMake(CLI::App& app, RunAction& run);
void RegisterImport(CLI::App& app, RunAction& run);
void RegisterLint(CLI::App& app, RunAction& run);
void RegisterCache(CLI::App& app, RunAction& run);
void RegisterIds(CLI::App& app, RunAction& run);
void RegisterDrives(CLI::App& app, RunAction& run);
void RegisterBurn(CLI::App& app, RunAction& run);

}  // namespace varnel::cli
