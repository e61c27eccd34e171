// varnel-cli make [--test] LAYOUT CUE: loads the layout and runs the Make (or Test) command
// with CUE as the chosen cue file. The progress dialog's operation texts go to stderr as
// they change; SIGINT or SIGTERM during the run presses its Cancel button.
#include <signal.h>
#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "AppContext.h"
#include "CliCommands.h"
#include "CliCommon.h"
#include "CliPrompter.h"
#include "LayoutFile.h"
#include "Making.h"

namespace varnel::cli {

namespace {

struct TMakeOptions {
  bool Test = false;
  bool Force = false;
  bool Yes = false;
  std::string Settings;
  std::string Layout;
  std::string Cue;
};

std::atomic<bool> gCancelSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnCancelSignal(int) {
  gCancelSignal.store(true);
}

// While it lives, SIGINT and SIGTERM set a flag that the wait for the run turns into a
// Cancel; the old handlers come back afterwards.
class TCancelSignals {
 public:
  TCancelSignals() {
    gCancelSignal.store(false);
    struct sigaction action {};
    action.sa_handler = OnCancelSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &OldInt_);
    sigaction(SIGTERM, &action, &OldTerm_);
  }
  ~TCancelSignals() {
    sigaction(SIGINT, &OldInt_, nullptr);
    sigaction(SIGTERM, &OldTerm_, nullptr);
  }
  TCancelSignals(const TCancelSignals&) = delete;
  TCancelSignals& operator=(const TCancelSignals&) = delete;

 private:
  struct sigaction OldInt_ {};
  struct sigaction OldTerm_ {};
};

int RunMake(const TMakeOptions& o) {
  TCliPrompter prompter(std::cout, std::cerr);
  prompter.AnswerYes = o.Yes;
  prompter.AnswerOverwrite = o.Force;
  prompter.SavePath = DialogPath(o.Cue);
  TAppContext ctx(prompter);
  ctx.Settings = LoadCliSettings(o.Settings);
  const bool loaded = LoadLayoutFile(ctx, DialogPath(o.Layout));
  if (prompter.Unanswered) return kExitQuestion;
  if (!loaded) return kExitFailed;

  TMakeController controller(ctx);
  TProgressDisplay display;
  std::string shown;
  // Called on the worker thread; the main thread prints nothing until the run has ended.
  controller.SetProgressReceiver([&](int32_t code, int32_t argument) {
    display.Apply(code, argument);
    if (display.Operation != shown) {
      shown = display.Operation;
      std::cerr << shown << std::endl;
    }
  });
  // Installed before the worker starts, so that no interrupt during the run is missed.
  TCancelSignals signals;
  auto waitForRun = [&controller] {
    while (!controller.WaitForRunEnd(std::chrono::milliseconds(10))) {
      if (gCancelSignal.load()) controller.CancelMaking();
    }
  };
  const TMakeOutcome outcome =
      o.Test ? controller.FileTestExecute(waitForRun) : controller.FileMakeExecute(waitForRun);
  switch (outcome) {
    case TMakeOutcome::Succeeded:
      return kExitOk;
    case TMakeOutcome::Cancelled:
      return kExitCancelled;
    case TMakeOutcome::Failed:
      return kExitFailed;
    case TMakeOutcome::NotStarted:
      break;
  }
  return prompter.Unanswered ? kExitQuestion : kExitFailed;
}

}  // namespace

void RegisterMake(CLI::App& app, TRunAction& run) {
  auto o = std::make_shared<TMakeOptions>();
  CLI::App* sub = app.add_subcommand(
      "make", "Load a disc layout and make its cue sheet and wave files (Make, or Test)");
  sub->add_flag("--test", o->Test, "Test: write the cue sheet only, no wave file");
  sub->add_flag("--force", o->Force, "answer OK when the cue file exists already");
  sub->add_flag("--yes", o->Yes, "answer Yes to \"Do you want to continue?\" questions");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->add_option("CUE", o->Cue, "cue sheet to write")->required();
  sub->callback([&run, o] { run = [o] { return RunMake(*o); }; });
}

}  // namespace varnel::cli
