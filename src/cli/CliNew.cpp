// varnel-cli new LAYOUT FILE...: builds a disc layout as the main window would (image,
// image type, catalog number, CD-Text file, audio files with the default properties and the
// 99-track limit) and saves it as "Save disc layout" does; --tags fills the CD-Text from
// the files' tags as the CD-Text editor's "Fill from tags" does.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/commands/LayoutFile.h"
#include "app/commands/TrackListCommands.h"
#include "app/editors/CdTextEditor.h"
#include "app/views/StatusBar.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

struct NewOptions {
  std::string Settings;
  bool Yes = false;
  bool Force = false;
  bool Verbose = false;
  bool Tags = false;
  std::string DataTrack;
  int32_t ImageType = 0;
  std::string Catalog;
  std::string CdTextContent;
  std::string Layout;
  std::vector<std::string> Files;
  CLI::Option* DataTrackOpt = nullptr;
  CLI::Option* ImageTypeOpt = nullptr;
  CLI::Option* CatalogOpt = nullptr;
  CLI::Option* CdTextOpt = nullptr;
};

int RunNewCommand(const NewOptions& o) {
  CliPrompter prompter(std::cout, std::cerr);
  prompter.AnswerYes = o.Yes;
  prompter.AnswerOverwrite = o.Force;
  prompter.Verbose = o.Verbose;
  AppContext ctx(prompter);
  ctx.Settings = LoadCliSettings(o.Settings, o.Verbose);
  RefreshStatusBar(ctx);

  if (o.DataTrackOpt->count() > 0) {
    prompter.OpenPaths = {DialogPath(o.DataTrack)};
    ChooseDataTrackImage(ctx);
  }
  if (o.ImageTypeOpt->count() > 0) ctx.Layout.ImageType = o.ImageType;
  if (o.CatalogOpt->count() > 0) ctx.Layout.MediaCatalog = CatalogFieldText(o.Catalog);
  if (o.CdTextOpt->count() > 0) {
    prompter.OpenPaths = {DialogPath(o.CdTextContent)};
    ChooseCdtFile(ctx);
    // "Enable CD-TEXT" can only be checked while no data track image exists.
    if (ctx.CanEnableCdText) ctx.Layout.CdTextEnabled = true;
  }
  if (!o.Files.empty()) {
    prompter.OpenPaths.clear();
    for (const std::string& f : o.Files) prompter.OpenPaths.push_back(DialogPath(f));
    AddAudioFiles(ctx);
  }
  if (o.Tags) {
    CdTextEditor text(ctx);
    text.FillFromTags(false);
    text.Accept();
  }
  // A question left unanswered or an error stops the command before anything is written.
  if (int code = ExitCodeOf(prompter); code != kExitOk) return code;

  prompter.SavePath = DialogPath(o.Layout);
  SaveLayoutAs(ctx);
  std::cout.flush();
  return ExitCodeOf(prompter);
}

}  // namespace

void RegisterNew(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<NewOptions>();
  CLI::App* sub = app.add_subcommand(
      "new", "Build a disc layout from audio files as the main window would and save it");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--yes", o->Yes, "answer Yes to \"Do you want to continue?\" questions");
  sub->add_flag("--force", o->Force, "answer OK to the question whether to overwrite LAYOUT");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  o->DataTrackOpt = sub->add_option("--data-track", o->DataTrack,
                                    "data track image (.bin) for a mixed-mode disc");
  o->ImageTypeOpt = sub->add_option("--image-type", o->ImageType,
                                    "image type: 0 MODE1/2048, 1 MODE1/2352, 2 MODE2/2336, "
                                    "3 MODE2/2352")
                        ->check(CLI::Range(0, 3));
  o->CatalogOpt =
      sub->add_option("--catalog", o->Catalog, "media catalog number: 13 digits")
          ->check(CLI::Validator(
              [](std::string& s) -> std::string {
                if (s.size() != 13 || s.find_first_not_of("0123456789") != std::string::npos) {
                  return "the media catalog number must be exactly 13 digits";
                }
                return {};
              },
              "DIGITS"));
  o->CdTextOpt =
      sub->add_option("--cd-text", o->CdTextContent,
                      "CD-Text file (.cdt); turns CD-Text on unless there is a data track");
  sub->add_flag("--tags", o->Tags,
                "fill the CD-Text from the files' tags and turn CD-Text on unless there is a "
                "data track");
  sub->add_option("LAYOUT", o->Layout, "disc layout file to write")->required();
  sub->add_option("FILE", o->Files, "audio files (.wav, .mp3, .cdg) in disc order");
  sub->callback([&run, o] { run = [o] { return RunNewCommand(*o); }; });
}

}  // namespace varnel::cli
