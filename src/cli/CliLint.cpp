// varnel-cli lint [--media 74|80|90|99] [--crc] LAYOUT: loads the layout as "Load disc
// layout" does and prints the disc check's findings, one a line, SEVERITY TRACK CODE TEXT
// separated by TAB, in disc order. With --crc the check also reads the audio the disc will
// hold and names each track whose CRC32 is not the one the imported rip recorded
// (crc-differs). Exit 0 without an error among them, 1 with one.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/check/DiscCheck.h"
#include "app/commands/IdentityCommands.h"
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
  bool Crc = false;
  std::string Layout;
};

int RunLintCommand(const LintOptions& o) {
  CliLoadedLayout loaded(o.Settings, o.Layout, o.Yes, o.Verbose);
  if (loaded.Code != kExitOk) return loaded.Code;
  AppContext& ctx = loaded.Ctx;
  std::vector<DiscFinding> findings = CheckDisc(ctx.Layout, ctx.Settings, o.Media);
  // A disc that cannot be planned has its reasons among the findings already.
  const PlannedIdentity planned =
      o.Crc ? PlanIdentity(ctx.Layout, ctx.Settings, o.Layout) : PlannedIdentity{};
  if (planned.Ok) {
    try {
      const std::vector<DiscFinding> differs =
          ChecksumFindings(ctx.Layout, PlanChecksums(planned.Disc));
      findings.insert(findings.end(), differs.begin(), differs.end());
      std::stable_sort(
          findings.begin(), findings.end(),
          [](const DiscFinding& a, const DiscFinding& b) { return a.Track < b.Track; });
    } catch (const std::exception& error) {
      ctx.Prompter.Show({BoxKind::Error, "The disc's audio cannot be read.", error.what(), {}});
      return kExitFailed;
    }
  }
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
  sub->add_flag("--crc", o->Crc,
                "also read the disc's audio and name each track that is not the rip's");
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->callback([&run, o] { run = [o] { return RunLintCommand(*o); }; });
}

}  // namespace varnel::cli
