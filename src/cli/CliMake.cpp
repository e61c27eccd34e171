// varnel-cli make [--test] [--toc | --no-toc] [--check] LAYOUT CUE: loads the layout and runs
// the Make (or Test) command with CUE as the chosen cue file; the TOC file for cdrdao is
// written as the settings say, unless --toc or --no-toc says otherwise. With --check the disc
// check runs first: an error prints the findings on stderr and stops the command (exit 1)
// before anything is written, unless --yes answers "Make anyway". The progress dialog's operation
// texts go to stderr as they change; SIGINT, SIGTERM or SIGHUP during the run presses its Cancel
// button. SIGXFSZ is ignored, so that a file grown past the file size limit fails the run with its
// message instead of killing the program amid its temporary files.
#include <CLI/CLI.hpp>
#include <atomic>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/commands/LayoutFile.h"
#include "app/commands/MakeController.h"
#include "app/commands/ProgressDisplay.h"
#include "cli/CancelSignals.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliMakeRun.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

struct MakeOptions {
  bool Test = false;
  bool Force = false;
  bool Yes = false;
  bool Verbose = false;
  bool Toc = false;
  bool NoToc = false;
  bool Check = false;
  std::string Settings;
  std::string Layout;
  std::string Cue;
};

// The controller whose run a signal cancels (the run goes on the main thread).
std::atomic<MakeController*> gController{nullptr};
static_assert(std::atomic<MakeController*>::is_always_lock_free, "read from a signal handler");

void CancelRun() {
  if (MakeController* controller = gController.load()) controller->Cancel();
}

// The run's progress as the progress dialog would show it: each new operation text on
// stderr. A signal that came before the run had started cancels the run as it starts.
class StderrProgress : public MakeProgress {
 public:
  explicit StderrProgress(MakeController& controller) : Controller_(controller) {}

  void RunStarted(int32_t steps) override {
    if (CancelSignals::Received()) Controller_.Cancel();
    Display_.RunStarted(steps);
    PrintOperation();
  }
  void TrackStarted(int32_t trackNumber) override {
    Display_.TrackStarted(trackNumber);
    PrintOperation();
  }
  void WritingSheet() override {
    Display_.WritingSheet();
    PrintOperation();
  }
  void RunEnded(RunState outcome) override {
    Display_.RunEnded(outcome);
    PrintOperation();
  }

 private:
  void PrintOperation() {
    if (Display_.Operation == Shown_) return;
    Shown_ = Display_.Operation;
    std::cerr << Shown_ << std::endl;
  }

  MakeController& Controller_;
  ProgressDisplay Display_;
  std::string Shown_;
};

}  // namespace

MakeOutcome MakeWithProgress(AppContext& ctx, bool test) {
  MakeController controller(ctx);
  controller.RemoveReplacedInOwnProcess();
  controller.RunOnCallingThread();
  StderrProgress progress(controller);
  controller.ReportProgressTo(&progress);
  // Installed before the run starts, so that no interrupt during the run is missed.
  CancelSignals signals(CancelRun);
  gController.store(&controller);
  const MakeOutcome outcome = test ? controller.TestMake() : controller.Make();
  gController.store(nullptr);
  return outcome;
}

namespace {

int RunMakeCommand(const MakeOptions& o) {
  CliPrompter prompter(std::cout, std::cerr);
  prompter.AnswerYes = o.Yes;
  prompter.AnswerOverwrite = o.Force;
  prompter.Verbose = o.Verbose;
  prompter.SavePath = DialogPath(o.Cue);
  AppContext ctx(prompter);
  ctx.Settings = LoadCliSettings(o.Settings, o.Verbose);
  if (o.Toc || o.NoToc) ctx.Settings.CdrdaoToc = o.Toc;
  // The disc check runs as --check says, whatever the window's setting.
  ctx.Settings.CheckBeforeMake = o.Check;
  const bool loaded = LoadLayoutFile(ctx, DialogPath(o.Layout));
  if (prompter.Unanswered) return kExitQuestion;
  if (!loaded) return kExitFailed;

  const MakeOutcome outcome = MakeWithProgress(ctx, o.Test);
  switch (outcome) {
    case MakeOutcome::Succeeded:
      return kExitOk;
    case MakeOutcome::Cancelled:
      return kExitCancelled;
    case MakeOutcome::Failed:
      return kExitFailed;
    case MakeOutcome::NotStarted:
      break;
  }
  return prompter.Unanswered ? kExitQuestion : kExitFailed;
}

}  // namespace

void RegisterMake(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<MakeOptions>();
  CLI::App* sub = app.add_subcommand(
      "make", "Load a disc layout and make its cue sheet and wave files (Make, or Test)");
  sub->add_flag("--test", o->Test, "Test: write the cue sheet only, no wave file");
  sub->add_flag("--force", o->Force, "answer OK when the cue file exists already");
  sub->add_flag("--yes", o->Yes, "answer Yes to \"Do you want to continue?\" questions");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  CLI::Option* toc = sub->add_flag("--toc", o->Toc,
                                   "also write a TOC file for cdrdao (whatever the settings say)");
  sub->add_flag("--no-toc", o->NoToc, "write no TOC file for cdrdao (whatever the settings say)")
      ->excludes(toc);
  sub->add_flag("--check", o->Check,
                "check the disc first, as lint does; on an error print the findings and stop, "
                "unless --yes");
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->add_option("CUE", o->Cue, "cue sheet to write")->required();
  sub->callback([&run, o] { run = [o] { return RunMakeCommand(*o); }; });
}

}  // namespace varnel::cli
