#include "app/burn/BurnJob.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/burn/BurnDrives.h"
#include "app/burn/BurnMessages.h"
#include "burn/CdrdaoArguments.h"
#include "burn/CdrdaoDiskInfo.h"
#include "burn/CdrdaoFault.h"
#include "burn/CdrdaoVersion.h"
#include "burn/ChildProcess.h"
#include "burn/OpticalDrive.h"
#include "burn/RemoteProgressReader.h"

namespace varnel {

struct BurnJob::State {
  std::atomic<bool> Cancel{false};
};

namespace {

static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

BurnStage StageOf(int32_t status) {
  switch (static_cast<CdrdaoStatus>(status)) {
    case CdrdaoStatus::LeadIn:
      return BurnStage::LeadIn;
    case CdrdaoStatus::WritingData:
      return BurnStage::WritingTrack;
    case CdrdaoStatus::LeadOut:
      return BurnStage::LeadOut;
    case CdrdaoStatus::Blanking:
      return BurnStage::Blanking;
    default:
      return BurnStage::Analysing;
  }
}

// One run of cdrdao: its report lines, the first fault they name, and its progress.
class CdrdaoRun : public ChildListener {
 public:
  CdrdaoRun(BurnListener& listener, std::string& detail, bool simulating)
      : Listener_(listener), Detail_(detail), Simulating_(simulating) {}

  void ChildRemoteBytes(const char* data, size_t size) override {
    Reader_.Feed(data, size);
    while (std::optional<RemoteProgress> m = Reader_.Next()) {
      BurnProgress p;
      p.Stage = StageOf(m->Status);
      p.Simulating = Simulating_;
      p.Remote = *m;
      if (m->Status >= static_cast<int32_t>(CdrdaoStatus::LeadIn) &&
          m->Status <= static_cast<int32_t>(CdrdaoStatus::LeadOut)) {
        WritingStarted = true;
      }
      Listener_.BurnProgressed(p);
    }
  }
  void ChildStderrLine(const std::string& line) override {
    if (!IsCdrdaoReport(line)) return;
    Detail_ += line + "\n";
    if (Fault == CdrdaoFault::None) Fault = ClassifyCdrdaoLine(line);
  }

  CdrdaoFault Fault = CdrdaoFault::None;
  bool WritingStarted = false;

 private:
  BurnListener& Listener_;
  std::string& Detail_;
  bool Simulating_;
  RemoteProgressReader Reader_;
};

ChildRun RunOf(std::vector<std::string> argv, std::string workDir = {}, bool remote = false) {
  ChildRun run;
  run.Argv = std::move(argv);
  run.WorkDir = std::move(workDir);
  run.RemotePipe = remote;
  return run;
}

BurnProblem ProblemOf(CdrdaoFault fault) {
  switch (fault) {
    case CdrdaoFault::None:
      return BurnProblem::CdrdaoFailed;
    case CdrdaoFault::CannotOpenDevice:
      return BurnProblem::CannotOpenDevice;
    case CdrdaoFault::PermissionDenied:
      return BurnProblem::PermissionDenied;
    case CdrdaoFault::DriveBusy:
      return BurnProblem::DriveBusy;
    case CdrdaoFault::NoDisc:
      return BurnProblem::NoDisc;
    case CdrdaoFault::DiscNotEmpty:
      return BurnProblem::DiscNotEmpty;
    case CdrdaoFault::DoesNotFit:
      return BurnProblem::DoesNotFit;
    case CdrdaoFault::RefusesDiscAtOnce:
      return BurnProblem::DriveRefusesDiscAtOnce;
  }
  return BurnProblem::CdrdaoFailed;
}

// A copy of the made TOC beside it, which cdrdao may delete (it does in --remote mode);
// removed again when the pass ends.
class TocCopy {
 public:
  explicit TocCopy(const std::string& tocPath) {
    namespace fs = std::filesystem;
    const fs::path toc(tocPath);
    Folder_ = toc.parent_path().empty() ? "." : toc.parent_path().string();
    std::string name = (fs::path(Folder_) / (toc.stem().string() + ".burn-XXXXXX.toc")).string();
    const int fd = mkstemps(name.data(), 4);
    if (fd < 0) return;
    std::ifstream in(tocPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bool ok = in.good() || in.eof();
    for (size_t done = 0; ok && done < text.size();) {
      const ssize_t n = write(fd, text.data() + done, text.size() - done);
      if (n <= 0) ok = false;
      done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    if (close(fd) != 0) ok = false;
    Path_ = name;
    if (ok && !text.empty()) Name_ = fs::path(name).filename().string();
  }
  ~TocCopy() {
    if (!Path_.empty()) unlink(Path_.c_str());
  }
  TocCopy(const TocCopy&) = delete;
  TocCopy& operator=(const TocCopy&) = delete;
  bool Ok() const { return !Name_.empty(); }
  const std::string& Folder() const { return Folder_; }
  const std::string& Name() const { return Name_; }

 private:
  std::string Folder_;
  std::string Path_;
  std::string Name_;
};

class Burn {
 public:
  Burn(const BurnRequest& request, BurnListener& listener, const std::atomic<bool>& cancel)
      : Request_(request), Listener_(listener), Cancel_(cancel) {}

  BurnResult Run() {
    if (std::optional<BurnResult> end = Check()) return *end;
    if (!Status_.Empty && Status_.Rewritable) {
      Report(BurnStage::Blanking, false);
      CdrdaoRun run(Listener_, Detail_, false);
      const ChildResult r =
          RunChild(RunOf(CdrdaoBlankArguments(Device_, kChildRemoteFd), {}, true), run, Cancel_);
      if (std::optional<BurnResult> end = Ended(r, run, false)) {
        if (end->Outcome == BurnOutcome::Cancelled) end->Message = kBlankingCancelledText;
        return *end;
      }
    }
    const BurnOptions& o = Request_.Options;
    if (o.Simulate || o.SimulateFirst) {
      if (std::optional<BurnResult> end = Pass(true)) return *end;
    }
    if (o.Simulate) return Done(BurnOutcome::Simulated, kSimulatedText);
    if (std::optional<BurnResult> end = Pass(false)) return *end;
    return Done(BurnOutcome::Burned, kBurnedText);
  }

  // cdrdao's version, the drive, the disc in it and whether the disc fits; a result when
  // the job ends there.
  std::optional<BurnResult> Check() {
    Report(BurnStage::Starting, false);
    CdrdaoRun versionRun(Listener_, Detail_, false);
    const ChildResult version = RunChild(RunOf(CdrdaoVersionArguments()), versionRun, Cancel_);
    if (!version.Started) {
      return Fail(version.StartErrno == ENOENT ? BurnProblem::NoCdrdao : BurnProblem::CdrdaoFailed);
    }
    Version_ = ParseCdrdaoVersion(version.Stderr + version.Stdout);

    Device_ = ChooseBurnDevice(
        Request_.Options.Device.empty() ? ListOpticalDrives() : std::vector<OpticalDrive>{},
        Request_.Options.Device);
    if (Device_.empty()) return Fail(BurnProblem::NoDrive);
    if (Cancel_.load()) return Cancelled(false, false);

    CdrdaoRun infoRun(Listener_, Detail_, false);
    const ChildResult info = RunChild(RunOf(CdrdaoDiskInfoArguments(Device_)), infoRun, Cancel_);
    if (info.Cancelled) return Cancelled(false, false);
    if (infoRun.Fault != CdrdaoFault::None) return Fail(ProblemOf(infoRun.Fault));
    if (!info.Exited || info.ExitStatus != 0) {
      return Fail(info.Exited ? BurnProblem::CdrdaoFailed : BurnProblem::CdrdaoDied);
    }
    Status_ = DiscStatusOf(ParseCdrdaoDiskInfo(info.Stdout));
    Listener_.BurnStatusKnown(Status_);
    if (!Status_.Present) return Fail(BurnProblem::NoDisc);
    if (!Status_.Empty && !Status_.Rewritable) return Fail(BurnProblem::DiscNotEmpty);
    if (!Status_.Empty && !Request_.Options.Blank) return Fail(BurnProblem::RewritableNotEmpty);
    if (Status_.CapacityFrames > 0 && Request_.DiscFrames > Status_.CapacityFrames) {
      return Fail(BurnProblem::DoesNotFit);
    }
    return std::nullopt;
  }

 private:
  void Report(BurnStage stage, bool simulating) {
    BurnProgress p;
    p.Stage = stage;
    p.Simulating = simulating;
    Listener_.BurnProgressed(p);
  }

  // One `cdrdao simulate` or `cdrdao write` on a copy of the made TOC; a result when the
  // job ends with it.
  std::optional<BurnResult> Pass(bool simulate) {
    if (Cancel_.load()) return Cancelled(simulate, false);
    Report(BurnStage::Analysing, simulate);
    TocCopy copy(Request_.TocPath);
    if (!copy.Ok()) {
      Detail_ += "Cannot copy " + Request_.TocPath + " for cdrdao.\n";
      return Fail(BurnProblem::CdrdaoFailed);
    }
    CdrdaoWrite w;
    w.Simulate = simulate;
    w.Device = Device_;
    w.Speed = Request_.Options.Speed;
    w.Eject = Request_.Options.Eject && !(simulate && !Request_.Options.Simulate);
    w.HasCdText = Request_.HasCdText;
    w.Version = Version_;
    w.RemoteFd = kChildRemoteFd;
    w.TocName = copy.Name();
    CdrdaoRun run(Listener_, Detail_, simulate);
    const ChildResult r =
        RunChild(RunOf(CdrdaoWriteArguments(w), copy.Folder(), true), run, Cancel_);
    return Ended(r, run, simulate);
  }

  std::optional<BurnResult> Ended(const ChildResult& r, const CdrdaoRun& run, bool simulate) {
    const bool exitedWell = r.Exited && r.ExitStatus == 0;
    const bool writing = run.WritingStarted && !simulate;
    if (r.Cancelled && !exitedWell) return Cancelled(simulate, writing);
    if (exitedWell) return std::nullopt;
    BurnResult result = Fail(r.Exited ? ProblemOf(run.Fault) : BurnProblem::CdrdaoDied);
    if (writing && !Status_.Rewritable) {
      result.DiscMayBeUnusable = true;
      result.Message +=
          " The disc was being written when cdrdao stopped: a CD-R interrupted "
          "while being written is probably unusable.";
    }
    return result;
  }

  BurnResult Fail(BurnProblem problem) {
    BurnResult r;
    r.Outcome = BurnOutcome::Failed;
    r.Problem = problem;
    r.Message = BurnProblemText(problem, Device_, Request_.DiscFrames, Status_.CapacityFrames);
    r.Detail = Detail_;
    return r;
  }

  BurnResult Cancelled(bool simulating, bool writing) {
    BurnResult r;
    r.Outcome = BurnOutcome::Cancelled;
    r.Message = BurnCancelledText(simulating, writing, Status_.Rewritable);
    r.DiscMayBeUnusable = writing && !Status_.Rewritable;
    r.Detail = Detail_;
    return r;
  }

  BurnResult Done(BurnOutcome outcome, const char* text) {
    Report(BurnStage::Finishing, outcome == BurnOutcome::Simulated);
    BurnResult r;
    r.Outcome = outcome;
    r.Message = text;
    r.Detail = Detail_;
    return r;
  }

  const BurnRequest& Request_;
  BurnListener& Listener_;
  const std::atomic<bool>& Cancel_;
  CdrdaoVersion Version_;
  std::string Device_;
  DiscStatus Status_;
  std::string Detail_;
};

}  // namespace

BurnJob::BurnJob(BurnRequest request, BurnListener& listener) : State_(std::make_shared<State>()) {
  Worker_ = std::thread([state = State_, request = std::move(request), &listener] {
    listener.BurnEnded(Burn(request, listener, state->Cancel).Run());
  });
}

BurnJob::~BurnJob() {
  Cancel();
  if (Worker_.joinable()) Worker_.join();
}

std::optional<BurnResult> CheckBeforeBurning(const BurnRequest& request, BurnListener& listener,
                                             const std::atomic<bool>& cancel) {
  return Burn(request, listener, cancel).Check();
}

void BurnJob::Cancel() {
  State_->Cancel.store(true);
}

}  // namespace varnel
