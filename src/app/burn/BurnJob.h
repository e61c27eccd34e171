// Burning a made disc with cdrdao: the options the user picks, what the job reports while
// it runs, how it ends, and the job itself. The job runs on a thread of its own: it asks
// cdrdao which version it is and what disc is in the drive, checks that the disc will fit,
// blanks a rewritable disc when asked, runs `cdrdao simulate` and/or `cdrdao write` on a
// copy of the made TOC and reports cdrdao's progress. Questions are never asked from the
// job's thread: a job that needs an answer (a rewritable disc that is not empty) ends with
// a problem the caller turns into a question and starts a new job with the answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "burn/RemoteProgress.h"

namespace varnel {

struct BurnOptions {
  std::string Device;          // "/dev/sr0"; empty: the first drive that writes CD-R
  int32_t Speed = 0;           // 0: the drive's best
  bool Simulate = false;       // only simulate (varnel-cli burn --simulate)
  bool SimulateFirst = false;  // simulate, then write when the simulation succeeded
  bool Eject = false;
  bool Blank = false;  // blank a rewritable disc (minimal) before writing
};

// What is in the drive, as `cdrdao disk-info` tells it.
struct DiscStatus {
  bool Known = false;  // disk-info answered
  bool Present = false;
  bool Empty = false;
  bool Rewritable = false;
  // What the medium holds, 75 frames a second, counted as the disc's time is: the first
  // track's 2-second pre-gap included.
  int64_t CapacityFrames = 0;
  std::string Line;  // one line for the window: "Empty CD-R, 79:59:74"
};

// The stage the job is in, for the window's phase text.
enum class BurnStage {
  Starting,  // version, disc status, the disc check
  Blanking,
  Analysing,
  LeadIn,        // "Writing the lead-in"
  WritingTrack,  // "Writing track N of M"
  LeadOut,       // "Writing the lead-out"
  Finishing,
};

struct BurnProgress {
  BurnStage Stage = BurnStage::Starting;
  bool Simulating = false;  // this pass is a simulation
  RemoteProgress Remote;    // the last message cdrdao sent in this pass
};

enum class BurnOutcome { Burned, Simulated, Cancelled, Failed };

// Why a job failed, for the messages of their own and the caller's questions.
enum class BurnProblem {
  None,
  NoDrive,           // no CD writer found
  NoCdrdao,          // cdrdao is not installed
  CannotOpenDevice,  // cannot open the device (also: no such device)
  PermissionDenied,  // the user is not in the "cdrom" group
  DriveBusy,
  NoDisc,
  DiscNotEmpty,            // write-once disc with data on it
  RewritableNotEmpty,      // the caller may offer to blank it (Blank = true)
  DoesNotFit,              // the disc check found the disc longer than the medium
  DriveRefusesDiscAtOnce,  // the drive refuses the cue sheet / disc-at-once
  CdrdaoFailed,            // any other failure; Detail has cdrdao's lines
  CdrdaoDied,              // ended by a signal, or the pipe broke without an exit status
};

struct BurnResult {
  BurnOutcome Outcome = BurnOutcome::Failed;
  BurnProblem Problem = BurnProblem::None;
  std::string Message;             // the user's text
  std::string Detail;              // cdrdao's ERROR:, FATAL ERROR: and WARNING: lines, one a line
  bool DiscMayBeUnusable = false;  // a write-once disc was interrupted while being written
};

// What a burn job reports, on the job's thread.
class BurnListener {
 public:
  virtual ~BurnListener() = default;
  virtual void BurnStatusKnown(const DiscStatus& status) = 0;
  virtual void BurnProgressed(const BurnProgress& progress) = 0;
  // Once, last.
  virtual void BurnEnded(const BurnResult& result) = 0;
};

struct BurnRequest {
  std::string TocPath;  // the made TOC; never handed to cdrdao itself (a copy is)
  bool HasCdText = false;
  int64_t DiscFrames = 0;  // the length of the planned disc, for the capacity check
  BurnOptions Options;
};

// Runs the request on a thread of its own. Cancel asks the job to stop: within a few
// hundredths of a second the job sends SIGTERM to cdrdao (SIGKILL if it is still there 20
// seconds later), waits for it and ends with BurnEnded. Cancel returns at once and touches
// one lock-free atomic only, so a signal handler may call it. The destructor cancels and
// joins the thread. No cdrdao process outlives the job.
class BurnJob {
 public:
  BurnJob(BurnRequest request, BurnListener& listener);
  ~BurnJob();
  BurnJob(const BurnJob&) = delete;
  BurnJob& operator=(const BurnJob&) = delete;
  void Cancel();

 private:
  struct State;
  std::shared_ptr<State> State_;
  std::thread Worker_;
};

// The job's first steps alone, on the calling thread, for a caller that wants to know
// before it makes the disc: cdrdao's version, the drive, the disc in it (BurnStatusKnown)
// and whether a disc of request.DiscFrames fits; the result that ends the job there, or
// nothing when it could go on. BurnEnded is not called; request.TocPath is not read.
std::optional<BurnResult> CheckBeforeBurning(const BurnRequest& request, BurnListener& listener,
                                             const std::atomic<bool>& cancel);

}  // namespace varnel
