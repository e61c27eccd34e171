// varnel-cli burn [--device D] [--speed N] [--simulate] [--eject] [--blank] [--yes] LAYOUT CUE:
// loads the layout, makes the disc with CUE as its cue sheet and a TOC for cdrdao (CUE and
// the made files are replaced, as make --force does; the disc check runs first, and an
// error stops the command unless --yes), then burns the made TOC with cdrdao. The drive is
// --device, else the one the settings name ([Burn] Device), else the first CD-R writer;
// the speed likewise ([Burn] Speed, 0: the drive's best); --simulate only simulates.
// --blank blanks a rewritable disc that is not empty first. Progress goes to stderr, one
// line per phase; the result to stdout (exit 0) or stderr (exit 1). SIGINT, SIGTERM or
// SIGHUP cancel: cdrdao is stopped and waited for, exit 130. The settings file is only read.
#include <CLI/CLI.hpp>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "app/burn/BurnFlow.h"
#include "app/burn/BurnMessages.h"
#include "app/commands/LayoutFile.h"
#include "cli/CancelSignals.h"
#include "cli/CliCommands.h"
#include "cli/CliConventions.h"
#include "cli/CliMakeRun.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

struct BurnCliOptions {
  std::string Device;
  int32_t Speed = -1;  // -1: as the settings say
  bool Simulate = false;
  bool Eject = false;
  bool Blank = false;
  bool Yes = false;
  bool Verbose = false;
  std::string Settings;
  std::string Layout;
  std::string Cue;
};

// The job a signal cancels, and the cancel flag of the check before making.
std::atomic<BurnJob*> gJob{nullptr};
std::atomic<bool> gCheckCancel{false};
static_assert(std::atomic<BurnJob*>::is_always_lock_free, "read from a signal handler");

void CancelBurn() {
  gCheckCancel.store(true);
  if (BurnJob* job = gJob.load()) job->Cancel();
}

// Each new phase on stderr; the end handed to the main thread.
class StderrBurnProgress : public BurnListener {
 public:
  void BurnStatusKnown(const DiscStatus& status) override {
    std::lock_guard lock(Mutex_);
    if (status.Line == ShownStatus_) return;
    ShownStatus_ = status.Line;
    std::cerr << "Disc: " << status.Line << std::endl;
  }
  void BurnProgressed(const BurnProgress& progress) override {
    std::lock_guard lock(Mutex_);
    const std::string text = BurnStageText(progress);
    if (text == Shown_) return;
    Shown_ = text;
    std::cerr << text << std::endl;
  }
  void BurnEnded(const BurnResult& result) override {
    std::lock_guard lock(Mutex_);
    Result_ = result;
    Ended_ = true;
    Cv_.notify_all();
  }
  BurnResult Wait() {
    std::unique_lock lock(Mutex_);
    Cv_.wait(lock, [&] { return Ended_; });
    return Result_;
  }

 private:
  std::mutex Mutex_;
  std::condition_variable Cv_;
  bool Ended_ = false;
  BurnResult Result_;
  std::string Shown_;
  std::string ShownStatus_;
};

// Shows how the burn ended; the exit status.
int ShowBurnEnd(CliPrompter& prompter, BurnResult result) {
  if (result.Problem == BurnProblem::RewritableNotEmpty) {
    result.Message += "\nRun the command again with --blank to blank it and burn.";
  }
  ShowBurnResult(prompter, result);
  switch (result.Outcome) {
    case BurnOutcome::Burned:
    case BurnOutcome::Simulated:
      return kExitOk;
    case BurnOutcome::Cancelled:
      return kExitCancelled;
    case BurnOutcome::Failed:
      break;
  }
  return kExitFailed;
}

int RunBurnCommand(const BurnCliOptions& o) {
  CliPrompter prompter(std::cout, std::cerr);
  prompter.AnswerYes = o.Yes;
  prompter.AnswerOverwrite = true;
  prompter.Verbose = o.Verbose;
  prompter.SavePath = DialogPath(o.Cue);
  AppContext ctx(prompter);
  ctx.Settings = LoadCliSettings(o.Settings, o.Verbose);
  BurnOptions options = BurnOptionsFromSettings(ctx.Settings);
  if (!o.Device.empty()) options.Device = o.Device;
  if (o.Speed >= 0) options.Speed = o.Speed;
  options.Simulate = o.Simulate;
  options.SimulateFirst = false;
  options.Eject = o.Eject;
  options.Blank = o.Blank;
  ctx.Settings.CdrdaoToc = true;
  ctx.Settings.CheckBeforeMake = true;
  ctx.Settings.Media = kBurnCheckMediaMinutes;
  const bool loaded = LoadLayoutFile(ctx, DialogPath(o.Layout));
  if (prompter.Unanswered) return kExitQuestion;
  if (!loaded) return kExitFailed;

  // The drive and the disc are checked before anything is made, and again by the job.
  StderrBurnProgress progress;
  {
    CancelSignals signals(CancelBurn);
    gCheckCancel.store(false);
    const std::string cue = DialogPath(o.Cue);
    if (std::optional<BurnResult> end =
            CheckBeforeBurning(BurnRequestFor(ctx, cue, options), progress, gCheckCancel)) {
      return ShowBurnEnd(prompter, *end);
    }
  }

  switch (MakeWithProgress(ctx, false)) {
    case MakeOutcome::Succeeded:
      break;
    case MakeOutcome::Cancelled:
      return kExitCancelled;
    case MakeOutcome::Failed:
      return kExitFailed;
    case MakeOutcome::NotStarted:
      return prompter.Unanswered ? kExitQuestion : kExitFailed;
  }

  BurnResult result;
  {
    // Installed before the job starts, so that no interrupt is missed.
    CancelSignals signals(CancelBurn);
    BurnJob job(BurnRequestFor(ctx, DialogPath(o.Cue), options), progress);
    gJob.store(&job);
    if (CancelSignals::Received()) job.Cancel();
    result = progress.Wait();
    gJob.store(nullptr);
  }
  return ShowBurnEnd(prompter, result);
}

}  // namespace

void RegisterBurn(CLI::App& app, RunAction& run) {
  auto o = std::make_shared<BurnCliOptions>();
  CLI::App* sub =
      app.add_subcommand("burn", "Make a layout's disc and burn it with cdrdao (or simulate)");
  sub->add_option("--device", o->Device,
                  "the drive, e.g. /dev/sr0 (default: the settings', else the first CD-R "
                  "writer)");
  sub->add_option("--speed", o->Speed, "writing speed; 0: the drive's best")
      ->check(CLI::Range(0, 256));
  sub->add_flag("--simulate", o->Simulate, "only simulate: the laser stays off");
  sub->add_flag("--eject", o->Eject, "eject the disc when done");
  sub->add_flag("--blank", o->Blank, "blank a rewritable disc that is not empty first");
  sub->add_flag("--yes", o->Yes, "answer Yes to questions, and burn despite the disc check");
  sub->add_option("--settings", o->Settings, "settings file (default: the window's)");
  sub->add_flag("--verbose", o->Verbose, kVerboseHelp);
  sub->add_option("LAYOUT", o->Layout, "disc layout file")->required();
  sub->add_option("CUE", o->Cue, "cue sheet to make (its TOC file goes beside it)")->required();
  sub->callback([&run, o] { run = [o] { return RunBurnCommand(*o); }; });
}

}  // namespace varnel::cli
