// The Make and Test commands: the first track's pre-gap check, the disc check (when the
// setting "CheckBeforeMake" is on; an error asks whether to make anyway), the cue file and
// overwrite questions, the worker thread that runs the making run, cancellation, the
// result message, and the removal of the old files a successful run replaced, which starts
// as the result is shown. Headless: the progress dialog is a hook the caller supplies, and
// the run's progress goes to whatever MakeProgress the caller names.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/AppContext.h"
#include "make/MakeProgress.h"

namespace varnel {

struct MakeJob;

// Filter of the cue file's save dialog.
extern const char* const kCueFileFilter;

// How one Run ended.
enum class MakeOutcome {
  NotStarted,  // refused by a check, a question or the save dialog, or no thread
  Succeeded,
  Failed,
  Cancelled,
};

// The controller passes the run's progress on to the receiver it was given, on the thread
// of the run, and notes the run's end for WaitForRunEnd.
class MakeController : private MakeProgress {
 public:
  explicit MakeController(AppContext& ctx);
  // Joins a worker that is still running (it always ends by itself), and the removal of
  // replaced files.
  ~MakeController();
  MakeController(const MakeController&) = delete;
  MakeController& operator=(const MakeController&) = delete;

  // Names where the progress of the next runs goes (null: nowhere) when no run is in
  // progress and none has ended unshown (MakeState is Idle); false, and nothing changed,
  // otherwise. The receiver must outlive the runs.
  bool ReportProgressTo(MakeProgress* receiver);

  // The action handlers: Run with the Test flag off or on, when idle.
  MakeOutcome Make(const std::function<void()>& showProgress = {});
  MakeOutcome TestMake(const std::function<void()>& showProgress = {});

  // The whole Make (or Test) sequence; returns after the result message. `showProgress`
  // is the modal progress dialog: called once the worker runs, it returns when the run has
  // reported its end (a window closes on RunEnded; a test may wait with WaitForRunEnd).
  // Without it Run simply waits for the run. The worker is joined before the result is
  // shown. Does nothing while MakeState is not Idle.
  MakeOutcome Run(bool test, const std::function<void()>& showProgress = {});

  // The Cancel button: asks the running run to stop after its current track. Ignored when
  // no run is in progress or the run has already set its outcome. Touches lock-free atomics
  // only, so a signal handler may call it.
  void Cancel();

  // Waits up to `timeout` for the run in progress to report its end; true when it has (or
  // no run is in progress).
  bool WaitForRunEnd(std::chrono::milliseconds timeout);

  // The old files a successful run replaced are removed by a thread of the controller's
  // while the result is shown; with this, in a process of their own that is not waited
  // for (varnel-cli, which ends right after the result).
  void RemoveReplacedInOwnProcess() { OwnProcess_ = true; }
  // The run goes on the thread that calls Run instead of a worker, and
  // `showProgress` is not called: for varnel-cli, which has no window to keep answering
  // and cancels from a signal handler.
  void RunOnCallingThread() { CallingThread_ = true; }
  bool TestFlag() const { return Test_; }
  const std::string& CuePath() const { return CuePath_; }
  // The message of the last failed run, and the reason behind it (shown as the box's
  // detail; may be empty).
  const std::string& MakeResultMessage() const { return ResultMessage_; }
  const std::string& MakeResultDetail() const { return ResultDetail_; }

 private:
  bool FirstTrackPreGapOk();
  bool ChooseCueFile();
  void JoinWorker();
  // Runs the job on the worker thread and shows the progress dialog until it has ended;
  // false when no thread could be started.
  bool RunOnWorker(MakeJob& job, const std::function<void()>& showProgress);
  void RemoveReplaced(std::vector<std::string> replaced);

  // MakeProgress, on the thread of the run: each call goes on to Receiver_; RunEnded also
  // ends WaitForRunEnd.
  void RunStarted(int32_t steps) override;
  void TrackStarted(int32_t trackNumber) override;
  void WritingSheet() override;
  void RunEnded(RunState outcome) override;

  AppContext& Ctx_;
  MakeProgress* Receiver_ = nullptr;
  bool Test_ = false;
  std::string CuePath_;
  std::string ResultMessage_;
  std::string ResultDetail_;
  std::thread Worker_;
  std::thread Remover_;
  bool OwnProcess_ = false;
  bool CallingThread_ = false;
  std::atomic<bool> Running_{false};
  std::mutex EndMutex_;
  std::condition_variable EndCv_;
  bool RunEnded_ = true;
};

}  // namespace varnel
