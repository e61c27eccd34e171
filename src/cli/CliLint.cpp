// varnel-cli lint [--media 74|80|90|99] LAYOUT: loads the layout as "Load disc layout"
// does and prints the disc check's findings, one a line, SEVERITY TRACK CODE TEXT
// separated by TAB, in disc order. Exit 0 without an error among them, 1 with one.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/check/DiscCheck.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliLoadedLayout.h"

namespace varnel::cli {

namespace {

struct LintOptions {
  std::string Settings;
  bool Yes = false;
  bool Verbose = false;
  int32_t Media = kDefaultMediaMinutes;
  std::string Layout;
};

int RunLintCommand(const LintOptions& o) {
  CliLoadedLayout loaded(o.Settings, o.Layout, o.Yes, o.Verbose);
  if (loaded.Code != kExitOk) return loaded.Code;
  AppContext& ctx = loaded.Ctx;
  const std::vector<DiscFinding> findings = CheckDisc(ctx.Layout, ctx.Settings, o.Media);
  for (const DiscFinding& f : findings) std::cout << FindingLine(f) << '\n';
  std::cout.flush();
  return HasError(findings) ? kExitFailed : kExitOk;
}

}  // namespace

void RegisterLint(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<LintOptions>();
  CLI::App* sub = app.add_subcommand(
      "lint", "Load a disc layout and check it for what a burner would refuse or burn wrongly");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--yes", o->Yes, "answer Yes to \"Do you want to continue?\" questions");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  sub->add_option("--media", o->Media, "minutes the disc holds: 74, 80 (default), 90 or 99")
      ->check(CLI::IsMember({74, 80, 90, 99}));
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->callback([&run, o] { run = [o] { return RunLintCommand(*o); }; });
}

}  // namespace varnel::cli
