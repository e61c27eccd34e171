// varnel-cli show LAYOUT: loads the layout as "Load disc layout" does and prints what the
// main window would show: one line per track with the nine column texts, then one line with
// the four status bar panels, all separated by TAB. With --cd-text it prints the typed
// CD-Text instead: a line for the disc, then one per track, the row's name and its six
// fields (title, performer, songwriter, composer, arranger, message) separated by TAB.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/editors/CdTextEditor.h"
#include "app/views/TrackListText.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliLoadedLayout.h"

namespace varnel::cli {

namespace {

struct ShowOptions {
  std::string Settings;
  bool Yes = false;
  bool Verbose = false;
  bool CdText = false;
  std::string Layout;
};

template <typename Texts>
std::string JoinTabs(const Texts& texts) {
  std::string line;
  for (const std::string& t : texts) {
    if (&t != &texts.front()) line += '\t';
    line += t;
  }
  return line;
}

int RunShowCommand(const ShowOptions& o) {
  CliLoadedLayout loaded(o.Settings, o.Layout, o.Yes, o.Verbose);
  if (loaded.Code != kExitOk) return loaded.Code;
  AppContext& ctx = loaded.Ctx;
  if (o.CdText) {
    const CdTextEditor text(ctx);
    for (int32_t row = 0; row < text.RowCount(); ++row) {
      std::string line = text.RowName(row);
      for (int32_t column = 0; column < CdTextEditor::ColumnCount(); ++column) {
        line += '\t' + text.Text(row, column);
      }
      std::cout << line << '\n';
    }
    std::cout.flush();
    return kExitOk;
  }
  for (int32_t i = 0; i < ctx.Layout.Count(); ++i) {
    std::cout << JoinTabs(TrackColumnTexts(ctx, i)) << '\n';
  }
  std::cout << JoinTabs(ctx.StatusPanels) << '\n';
  std::cout.flush();
  return kExitOk;
}

}  // namespace

void RegisterShow(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<ShowOptions>();
  CLI::App* sub = app.add_subcommand(
      "show",
      "Load a disc layout and print its track list and status bar as the window shows them");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--yes", o->Yes, "answer Yes to \"Do you want to continue?\" questions");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  sub->add_flag("--cd-text", o->CdText,
                "print the typed CD-Text instead: the disc, then each track, fields by TAB");
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->callback([&run, o] { run = [o] { return RunShowCommand(*o); }; });
}

}  // namespace varnel::cli
