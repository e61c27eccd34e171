#include "app/commands/MakeController.h"

#include <filesystem>
#include <system_error>

#include "app/check/DiscCheck.h"
#include "app/commands/FirstPreGapRule.h"
#include "app/commands/InputCheck.h"
#include "app/commands/OverwriteRule.h"
#include "app/commands/RunOptions.h"
#include "make/MakeJob.h"
#include "make/MakeRun.h"
#include "make/RunFiles.h"
#include "make/TocFileWriter.h"
#include "model/CdTime.h"
#include "model/PathNames.h"

namespace varnel {

const char* const kCueFileFilter = "Cue sheet files (*.cue;*txt)|*.cue;*txt|All files|*.*";

namespace {

// The success box: where the sheet (and the TOC file) went and, after Make, the folder of
// the produced files, which the box offers to open (the sheet's own folder when no file
// was needed).
MessageBox SuccessMessage(const std::string& cuePath, const AppSettings& settings, bool test,
                          const std::string& discId) {
  const std::string& workDir = settings.WorkDir;
  MessageBox m{BoxKind::Plain, "Operation Successfully Completed.", "Cue sheet: " + cuePath, {}};
  if (settings.CdrdaoToc) m.Detail += "\nTOC file for cdrdao: " + TocFilePath(cuePath);
  if (!discId.empty()) m.Detail += "\nMusicBrainz disc ID: " + discId;
  m.Folder = FolderOrCurrent(cuePath);
  if (test) return m;
  std::string produced = ProducedFileName(workDir, cuePath, 1, FileModeWave);
  produced.erase(produced.rfind('/') + 1);
  std::error_code ec;
  if (std::filesystem::is_directory(produced, ec)) {
    m.Detail += "\nProduced files: " + produced;
    m.Folder = produced;
  } else {
    m.Detail += "\nNo new audio files were needed; the sheet names the source files.";
  }
  return m;
}

}  // namespace

MakeController::MakeController(AppContext& ctx) : Ctx_(ctx) {}

MakeController::~MakeController() {
  JoinWorker();
  if (Remover_.joinable()) Remover_.join();
}

void MakeController::RemoveReplaced(std::vector<std::string> replaced) {
  if (replaced.empty()) return;
  if (OwnProcess_) {
    RemoveFilesDetached(replaced);
    return;
  }
  if (Remover_.joinable()) Remover_.join();
  try {
    Remover_ =
        std::thread([](const std::vector<std::string>& paths) { RemoveFiles(paths); }, replaced);
  } catch (const std::system_error&) {
    RemoveFiles(replaced);
  }
}

bool MakeController::ReportProgressTo(MakeProgress* receiver) {
  if (!Ctx_.IsIdle() || Running_.load()) return false;
  Receiver_ = receiver;
  return true;
}

void MakeController::RunStarted(int32_t steps) {
  if (Receiver_) Receiver_->RunStarted(steps);
}

void MakeController::TrackStarted(int32_t trackNumber) {
  if (Receiver_) Receiver_->TrackStarted(trackNumber);
}

void MakeController::WritingSheet() {
  if (Receiver_) Receiver_->WritingSheet();
}

void MakeController::RunEnded(RunState outcome) {
  if (Receiver_) Receiver_->RunEnded(outcome);
  std::lock_guard<std::mutex> lock(EndMutex_);
  RunEnded_ = true;
  EndCv_.notify_all();
}

MakeOutcome MakeController::Make(const std::function<void()>& showProgress) {
  if (!Ctx_.IsIdle()) return MakeOutcome::NotStarted;
  return Run(false, showProgress);
}

MakeOutcome MakeController::TestMake(const std::function<void()>& showProgress) {
  if (!Ctx_.IsIdle()) return MakeOutcome::NotStarted;
  return Run(true, showProgress);
}

bool MakeController::FirstTrackPreGapOk() {
  if (Ctx_.Layout.Count() == 0) return true;
  const std::optional<FirstPreGapRefusal> refusal = CheckFirstPreGap(Ctx_.Layout.At(0));
  if (!refusal) return true;
  Ctx_.Prompter.ShowMessage(BoxKind::Warning, refusal->Message);
  return false;
}

bool MakeController::ChooseCueFile() {
  FileDialogRequest request;
  request.Filter = kCueFileFilter;
  request.DefaultExt = ".cue";
  const std::optional<std::string> chosen = Ctx_.Prompter.SaveFile(request);
  if (!chosen || chosen->empty()) return false;
  const std::string& path = *chosen;

  if (!MayWriteOver(Ctx_.Prompter, path)) return false;
  CuePath_ = path;
  return true;
}

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<RunState>::is_always_lock_free,
              "Cancel is called from signal handlers");

void MakeController::Cancel() {
  if (!Running_.load()) return;
  // Only a run still in progress is cancelled: once it has set Succeeded or Failed, that
  // outcome stands.
  RunState expected = RunState::Idle;
  Ctx_.MakeState.compare_exchange_strong(expected, RunState::Cancelled);
}

void MakeController::JoinWorker() {
  if (Worker_.joinable()) Worker_.join();
}

bool MakeController::WaitForRunEnd(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(EndMutex_);
  return EndCv_.wait_for(lock, timeout, [this] { return RunEnded_; });
}

bool MakeController::RunOnWorker(MakeJob& job, const std::function<void()>& showProgress) {
  try {
    Worker_ = std::thread([&job] { RunMake(job); });
  } catch (const std::system_error&) {
    Running_.store(false);
    std::lock_guard<std::mutex> lock(EndMutex_);
    RunEnded_ = true;
    return false;
  }
  // The worker reads `job`: it is joined on every way out, a throwing progress hook
  // included.
  struct Joiner {
    MakeController& Self;
    ~Joiner() {
      Self.JoinWorker();
      // The run has set its outcome; from here a Cancel changes nothing.
      Self.Running_.store(false);
    }
  } joiner{*this};
  if (showProgress) showProgress();
  return true;
}

MakeOutcome MakeController::Run(bool test, const std::function<void()>& showProgress) {
  if (!Ctx_.IsIdle() || Running_.load()) return MakeOutcome::NotStarted;
  if (!FirstTrackPreGapOk()) return MakeOutcome::NotStarted;
  if (Ctx_.Settings.CheckBeforeMake && !DiscCheckAllowsMaking(Ctx_)) {
    return MakeOutcome::NotStarted;
  }
  if (!ChooseCueFile()) return MakeOutcome::NotStarted;
  Test_ = test;
  RestoreDecodedCopies(Ctx_);

  MakeJob job(Ctx_.Layout, RunOptionsOf(Ctx_.Settings, Ctx_.Layout), Ctx_.MakeState);
  job.CuePath = CuePath_;
  job.LayoutPath = Ctx_.LayoutPath;
  job.Test = test;
  job.Progress = this;
  job.DecodeWorkers = Ctx_.DecodeWorkers;
  {
    std::lock_guard<std::mutex> lock(EndMutex_);
    RunEnded_ = false;
  }
  Running_.store(true);
  if (CallingThread_) {
    RunMake(job);
    // The run has set its outcome; from here a Cancel changes nothing.
    Running_.store(false);
  } else if (!RunOnWorker(job, showProgress)) {
    return MakeOutcome::NotStarted;
  }

  const RunState state = Ctx_.MakeState.load();
  MakeOutcome outcome;
  if (state == RunState::Succeeded) {
    outcome = MakeOutcome::Succeeded;
    RemoveReplaced(std::move(job.Replaced));
    Ctx_.Prompter.Show(SuccessMessage(CuePath_, Ctx_.Settings, test, job.DiscId));
  } else if (state == RunState::Cancelled) {
    outcome = MakeOutcome::Cancelled;
    Ctx_.Prompter.ShowMessage(BoxKind::Plain, "Operation was Canceled by User.");
  } else {
    outcome = MakeOutcome::Failed;
    ResultMessage_ = job.ResultMessage;
    ResultDetail_ = job.ResultDetail;
    Ctx_.Prompter.Show({BoxKind::Error, ResultMessage_, ResultDetail_, {}});
  }
  Ctx_.MakeState.store(RunState::Idle);
  return outcome;
}

}  // namespace varnel
