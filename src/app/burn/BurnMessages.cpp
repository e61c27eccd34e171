#include "app/burn/BurnMessages.h"

#include "model/CdTime.h"

namespace varnel {

namespace {

constexpr int64_t kMediumPreGapFrames = 150;  // the 2 seconds every disc starts with

std::string Time(int64_t frames) {
  return FormatMsf(FramesToMsf(frames));
}

}  // namespace

std::string BurnStageText(const BurnProgress& progress) {
  const bool sim = progress.Simulating;
  switch (progress.Stage) {
    case BurnStage::Starting:
      return "Checking the drive and the disc";
    case BurnStage::Blanking:
      return "Blanking the rewritable disc";
    case BurnStage::Analysing:
      return "Reading the made files";
    case BurnStage::LeadIn:
      return sim ? "Simulating the lead-in" : "Writing the lead-in";
    case BurnStage::WritingTrack:
      return std::string(sim ? "Simulating" : "Writing") + " track " +
             std::to_string(progress.Remote.Track) + " of " +
             std::to_string(progress.Remote.TotalTracks);
    case BurnStage::LeadOut:
      return sim ? "Simulating the lead-out" : "Writing the lead-out";
    case BurnStage::Finishing:
      return "Finishing";
  }
  return {};
}

DiscStatus DiscStatusOf(const CdrdaoDiskInfo& info) {
  DiscStatus s;
  s.Known = true;
  s.Present = info.Present();
  s.Empty = info.Empty.value_or(false);
  s.Rewritable = info.Rewritable.value_or(false);
  // cdrdao counts the blocks after the first track's 2-second pre-gap; the disc's time, and
  // so what the medium holds, counts that pre-gap too (a blank 80-minute disc: 359849
  // blocks, 79:59:74).
  if (info.CapacityFrames) s.CapacityFrames = *info.CapacityFrames + kMediumPreGapFrames;
  if (!s.Present) {
    s.Line = "No disc";
    return s;
  }
  const std::string kind = s.Rewritable ? "CD-RW" : "CD-R";
  if (!info.Empty.has_value()) {
    s.Line = kind;
  } else {
    s.Line = s.Empty ? "Empty " + kind : kind + " with data on it";
  }
  if (s.CapacityFrames > 0) s.Line += ", " + Time(s.CapacityFrames);
  return s;
}

std::string BurnProblemText(BurnProblem problem, const std::string& device, int64_t discFrames,
                            int64_t capacityFrames) {
  switch (problem) {
    case BurnProblem::None:
      return {};
    case BurnProblem::NoDrive:
      return kNoWriterText;
    case BurnProblem::NoCdrdao:
      return "Cannot burn: cdrdao, the program that writes the disc, is not installed. "
             "Install the package \"cdrdao\" and try again.";
    case BurnProblem::CannotOpenDevice:
      return "Cannot open the drive " + device +
             ": there is no CD writer at that name. Choose one of the drives this machine "
             "has (varnel-cli drives lists them).";
    case BurnProblem::PermissionDenied:
      return "You are not allowed to use the drive " + device +
             ". Ask the administrator to add you to the \"cdrom\" group (adduser YOUR-NAME "
             "cdrom), then log out and in again.";
    case BurnProblem::DriveBusy:
      return "The drive " + device +
             " is busy: another program is using it. Close that program and try again.";
    case BurnProblem::NoDisc:
      return "There is no disc in the drive " + device +
             ", or the drive is not ready yet. Insert a blank CD-R or CD-RW and try again.";
    case BurnProblem::DiscNotEmpty:
      return "The disc in the drive " + device +
             " is not empty. A CD-R is written only once: insert a blank disc.";
    case BurnProblem::RewritableNotEmpty:
      return "The rewritable disc in the drive " + device +
             " is not empty. Blank it first, which erases everything on it.";
    case BurnProblem::DoesNotFit:
      return "The disc does not fit on the disc in the drive: it plays " + Time(discFrames) +
             ", the disc holds " + Time(capacityFrames) +
             ". Remove tracks, or insert a longer disc.";
    case BurnProblem::DriveRefusesDiscAtOnce:
      return "The drive " + device +
             " refused to write the disc in one pass (disc-at-once), which hidden audio and "
             "exact pre-gaps need. Try another drive.";
    case BurnProblem::CdrdaoFailed:
      return "cdrdao could not write the disc. It said:";
    case BurnProblem::CdrdaoDied:
      return "cdrdao ended unexpectedly, before it could say whether the disc was written.";
  }
  return {};
}

std::string BurnCancelledText(bool simulating, bool writingStarted, bool rewritable) {
  if (simulating) return "Burning was cancelled during the simulation: nothing was written.";
  if (!writingStarted) return "Burning was cancelled before anything was written.";
  if (rewritable) {
    return "Burning was cancelled while the disc was being written. The rewritable disc "
           "can be blanked and written again.";
  }
  return "Burning was cancelled while the disc was being written. A CD-R interrupted while "
         "being written is probably unusable.";
}

}  // namespace varnel
