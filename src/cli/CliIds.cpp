// varnel-cli ids [--crc] LAYOUT: loads the layout as "Load disc layout" does, plans its disc
// as a Test run would (writing nothing) and prints the disc's identity, one TAB-separated
// line each: MusicBrainz, MusicBrainzToc, FreeDB, AccurateRip. With --crc it then reads the
// audio the disc will hold and prints one "TRACK NN ARv1 ARv2 CRC32" line per audio track;
// a track whose CRC32 is not the one the imported rip recorded is reported on stderr as a
// crc-differs finding. Exit 0, or 1 when the disc cannot be planned or a track differs.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/commands/IdentityCommands.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliLoadedLayout.h"

namespace varnel::cli {

namespace {

struct IdsOptions {
  std::string Settings;
  bool Yes = false;
  bool Verbose = false;
  bool Crc = false;
  std::string Layout;
};

int RunIdsCommand(const IdsOptions& o) {
  CliLoadedLayout loaded(o.Settings, o.Layout, o.Yes, o.Verbose);
  if (loaded.Code != kExitOk) return loaded.Code;
  AppContext& ctx = loaded.Ctx;
  const PlannedIdentity planned = PlanIdentity(ctx.Layout, ctx.Settings, o.Layout);
  if (!planned.Ok) {
    ctx.Prompter.Show({BoxKind::Error, planned.Message, planned.Detail, {}});
    return kExitFailed;
  }
  for (const std::string& line : IdentityLines(planned.Ids)) std::cout << line << '\n';
  std::cout.flush();
  if (!o.Crc) return kExitOk;
  std::vector<TrackChecksums> sums;
  try {
    sums = PlanChecksums(planned.Disc);
  } catch (const std::exception& error) {
    ctx.Prompter.Show({BoxKind::Error, "The disc's audio cannot be read.", error.what(), {}});
    return kExitFailed;
  }
  for (const TrackChecksums& s : sums) std::cout << ChecksumLine(s) << '\n';
  std::cout.flush();
  const std::vector<DiscFinding> differs = ChecksumFindings(ctx.Layout, sums);
  for (const DiscFinding& f : differs) std::cerr << FindingLine(f) << '\n';
  return differs.empty() ? kExitOk : kExitFailed;
}

}  // namespace

void RegisterIds(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<IdsOptions>();
  CLI::App* sub = app.add_subcommand(
      "ids", "Print the MusicBrainz, freedb and AccurateRip identity of a layout's disc");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--yes", o->Yes, "answer Yes to \"Do you want to continue?\" questions");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  sub->add_flag("--crc", o->Crc,
                "also read the disc's audio and print each track's AccurateRip and CRC32 sums");
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->callback([&run, o] { run = [o] { return RunIdsCommand(*o); }; });
}

}  // namespace varnel::cli
