// "Disc identity…" and `varnel-cli ids`: the identity of the disc the layout would make (its
// MusicBrainz, freedb and AccurateRip IDs) and, on request, the checksums of its audio, both
// from the plan a Test run makes (nothing is written); and what they say against the
// original a rip recorded (disc-id-differs, crc-differs findings).
//
// Checksums read every source, so they run as a job on a thread of their own, with
// progress and cancel; the IDs only scan the sources a Test run scans.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/check/DiscFinding.h"
#include "make/DiscIdentity.h"
#include "make/PlanChecksums.h"
#include "model/DiscLayout.h"
#include "persist/AppSettings.h"

namespace varnel {

struct PlannedIdentity {
  bool Ok = false;
  std::string Message;  // why the identity cannot be told (a Test run's failure text)
  std::string Detail;
  std::shared_ptr<const DiscPlan> Plan;
  PlannedDisc Disc;  // points into *Plan
  DiscToc Toc;
  DiscIds Ids;
};

// Plans `layout` as a Test run with `settings` would (the layout's leading silence
// included) and tells its identity. `layoutPath` (may be empty) names the sheet the plan
// pretends to write beside it.
PlannedIdentity PlanIdentity(const DiscLayout& layout, const AppSettings& settings,
                             const std::string& layoutPath);

// "MusicBrainz\tID", "MusicBrainzToc\tTOC", "FreeDB\tid", "AccurateRip\tid1\tid2\tcddb\tfile".
std::vector<std::string> IdentityLines(const DiscIds& ids);
// "TRACK\tNN\tARv1\tARv2\tCRC32".
std::string ChecksumLine(const TrackChecksums& sums);

// disc-id-differs: the planned disc against what the layout recorded of its original (its
// table of contents, MusicBrainz ID, freedb ID); nothing when it recorded nothing.
std::vector<DiscFinding> IdentityFindings(const DiscLayout& layout, const PlannedIdentity& planned);
// crc-differs: each audio track whose CRC32 is not the one the rip recorded.
std::vector<DiscFinding> ChecksumFindings(const DiscLayout& layout,
                                          const std::vector<TrackChecksums>& sums);

// What a checksum job reports, on the job's thread.
class ChecksumListener {
 public:
  virtual ~ChecksumListener() = default;
  virtual void ChecksumProgress(int64_t done, int64_t total) = 0;
  // Once, last: the sums, or the error text, or cancelled.
  virtual void ChecksumsEnded(const std::vector<TrackChecksums>& sums, const std::string& error,
                              bool cancelled) = 0;
};

// Reads the planned disc's audio on a thread of its own. Cancel stops it at the next block;
// the destructor cancels and waits.
class ChecksumJob {
 public:
  ChecksumJob(PlannedIdentity planned, ChecksumListener& listener);
  ~ChecksumJob();
  ChecksumJob(const ChecksumJob&) = delete;
  ChecksumJob& operator=(const ChecksumJob&) = delete;
  void Cancel() { Cancel_.store(true); }

 private:
  PlannedIdentity Planned_;
  std::atomic<bool> Cancel_{false};
  std::thread Worker_;
};

}  // namespace varnel
