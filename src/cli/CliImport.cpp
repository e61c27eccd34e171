// varnel-cli import SHEET LAYOUT: lays out a ripped disc's cue sheet, cdrdao TOC file or FLAC
// file with a CUESHEET block as "Import a cue sheet or TOC…" does and saves the layout as
// "Save disc layout" does; the disc's CD-Text is kept in the layout as typed text.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/commands/LayoutFile.h"
#include "app/commands/OverwriteRule.h"
#include "app/import/RipImport.h"
#include "app/views/StatusBar.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

struct ImportOptions {
  std::string Settings;
  bool Yes = false;
  bool Force = false;
  bool Verbose = false;
  std::string Sheet;
  std::string Layout;
};

int RunImportCommand(const ImportOptions& o) {
  CliPrompter prompter(std::cout, std::cerr);
  prompter.AnswerYes = o.Yes;
  prompter.AnswerOverwrite = o.Force;
  prompter.Verbose = o.Verbose;
  AppContext ctx(prompter);
  ctx.Settings = LoadCliSettings(o.Settings, o.Verbose);
  RefreshStatusBar(ctx);

  // The layout's overwrite question comes first: nothing is written when it is not answered.
  const std::string layout = DialogPath(o.Layout);
  if (!MayWriteOver(prompter, layout)) return ExitCodeOf(prompter);
  const bool imported = ImportSheetFile(ctx, DialogPath(o.Sheet));
  if (!imported) {
    const int code = ExitCodeOf(prompter);
    return code == kExitOk ? kExitFailed : code;
  }
  SaveLayoutFile(ctx, layout, Overwrite::Replace);
  std::cout.flush();
  return ExitCodeOf(prompter);
}

}  // namespace

void RegisterImport(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<ImportOptions>();
  CLI::App* sub = app.add_subcommand(
      "import",
      "Lay out a ripped disc from its cue sheet, cdrdao TOC file or FLAC file with a cue sheet "
      "and save the layout");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--yes", o->Yes,
                "answer Yes to \"Do you want to continue?\" questions (a refused file's tracks "
                "are left out)");
  sub->add_flag("--force", o->Force, "answer OK to the question whether to overwrite LAYOUT");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  sub->add_option("SHEET", o->Sheet, "cue sheet (.cue), TOC file (.toc) or FLAC file (.flac)")
      ->required();
  sub->add_option("LAYOUT", o->Layout, "disc layout file to write")->required();
  sub->callback([&run, o] { run = [o] { return RunImportCommand(*o); }; });
}

}  // namespace varnel::cli
