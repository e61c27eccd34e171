// varnel-cli cache [--clear] [--limit N]: shows the decode cache (folder, size, limit and one
// line per entry: size, last use and source, least recently used first); --clear empties
// it, --limit N trims it to N MiB now, least recently used entries first.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/commands/DecodeAhead.h"
#include "app/views/DecodedCacheView.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

struct CacheOptions {
  std::string Settings;
  bool Clear = false;
  int64_t Limit = -1;
  bool Verbose = false;
};

int RunCacheCommand(const CacheOptions& o) {
  CliPrompter prompter(std::cout, std::cerr);
  AppContext ctx(prompter);
  ctx.Settings = LoadCliSettings(o.Settings, o.Verbose);
  const std::string folder = DecodedCacheFolderOf(ctx);
  if (o.Clear) {
    EmptyDecodedCache(folder);
  } else if (o.Limit >= 0) {
    TrimDecodedCacheNow(folder, o.Limit);
  }
  const DecodedCacheView view = ViewDecodedCache(folder);
  std::cout << "Folder: " << view.Folder << "\n"
            << "Size: " << view.SizeText << "\n"
            << "Limit: " << CacheLimitText(ctx.Settings.DecodedLimitMiB) << "\n";
  for (const DecodedCacheEntryView& e : view.Entries) {
    std::cout << e.SizeText << "\t" << e.LastUseText << "\t" << e.Source << "\n";
  }
  std::cout.flush();
  return kExitOk;
}

}  // namespace

void RegisterCache(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<CacheOptions>();
  CLI::App* sub = app.add_subcommand(
      "cache", "Show the cache of decoded copies: folder, size, limit and one line per entry");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  auto* clear = sub->add_flag("--clear", o->Clear, "empty the cache");
  sub->add_option("--limit", o->Limit,
                  "remove the least recently used entries until the cache holds at most N MiB")
      ->check(CLI::NonNegativeNumber)
      ->option_text("N")
      ->excludes(clear);
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  sub->callback([&run, o] { run = [o] { return RunCacheCommand(*o); }; });
}

}  // namespace varnel::cli
