#include "app/check/DiscTime.h"

#include <sys/stat.h>

#include <algorithm>

#include "app/commands/RunOptions.h"
#include "model/CdTime.h"

namespace varnel {

namespace {

constexpr int64_t kDiscStartFrames = 150;   // the pre-gap every disc starts with
constexpr int64_t kModeChangeFrames = 150;  // post-gap of a data track, pre-gap after it
constexpr int32_t kSectorBytes[4] = {2048, 2352, 2336, 2352};

std::string Frames(int64_t sampleFrames) {
  return std::to_string(sampleFrames) + " sample frames";
}

// A region [first, end) of a file holding `fileFrames` sample frames.
std::string RegionProblem(const char* what, int64_t first, int64_t end, int64_t fileFrames) {
  if (first < 0 || end < 0) {
    return std::string("The ") + what + " has a negative position (" + std::to_string(first) +
           " to " + std::to_string(end) + ").";
  }
  if (first > end) {
    return std::string("The ") + what + " starts at sample frame " + std::to_string(first) +
           ", after its end at " + std::to_string(end) + ".";
  }
  if (end > fileFrames) {
    return std::string("The ") + what + " ends at sample frame " + std::to_string(end) +
           ", beyond the end of its file (" + Frames(fileFrames) + ").";
  }
  return {};
}

int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
}

}  // namespace

std::string TrackPositionProblem(const Track& track) {
  // An MP3 or CD+G track is burnt whole, behind a silent pre-gap, whatever its positions say.
  if (track.FileMode != FileModeWave) return {};
  const int64_t fileFrames = track.WaveInfo.DataSize / kBytesPerSample;
  if (track.PreGapStyle() > PreGapIndex) {
    return "The pre-gap style " + std::to_string(track.PreGapStyle()) +
           " is none the track properties offer; Make cannot make the track.";
  }
  if (track.PreGapStyle() == PreGapIndex) {
    std::string problem =
        RegionProblem("hidden audio", track.TrackPreGapPos(), track.TrackStartPos(), fileFrames);
    if (!problem.empty()) return problem;
  }
  std::string problem =
      RegionProblem("track", track.TrackStartPos(), track.TrackEndPos(), fileFrames);
  if (!problem.empty() || track.PreGapStyle() != PreGapFile) return problem;
  return RegionProblem("hidden audio", track.PreGapStartPos(), track.PreGapEndPos(),
                       track.PreGapWaveInfo().DataSize / kBytesPerSample);
}

DiscTime DiscTimeOf(DiscLayout& layout, const AppSettings& settings) {
  DiscTime disc;
  const bool dataTrack = layout.NamesDataTrack();
  if (dataTrack) {
    const int32_t type = layout.ImageType >= 0 && layout.ImageType <= 3 ? layout.ImageType : 0;
    const int64_t size = FileSize(layout.DataTrackFile);
    TrackTime& data = disc.Tracks.emplace_back();
    data.Number = 1;
    data.Data = true;
    data.Valid = size >= 0;
    data.PreGapFrames = kDiscStartFrames;
    if (data.Valid) {
      data.TrackFrames = (size + kSectorBytes[type] - 1) / kSectorBytes[type] + kModeChangeFrames;
    }
    disc.TotalFrames += data.PreGapFrames + data.TrackFrames;
  }
  const int64_t extra = LeadingSilenceFrames(layout, settings);
  for (int32_t i = 0; i < layout.Count(); ++i) {
    Track& track = layout.At(i);
    TrackTime& t = disc.Tracks.emplace_back();
    t.Number = i + (dataTrack ? 2 : 1);
    t.Valid = TrackPositionProblem(track).empty();
    if (!t.Valid) continue;
    const bool first = t.Number == 1;
    const bool wave = track.FileMode == FileModeWave;
    t.TrackFrames = BytesToWholeFrames(wave ? track.GetTrackBytes() : track.WaveInfo.DataSize);
    if (!wave || track.PreGapStyle() == PreGapNormal) {
      t.PreGapFrames = track.GetPreGapLength();
      // The disc's own first 2 seconds are the first track's pre-gap, or its start.
      if (first) t.PreGapFrames = std::max(t.PreGapFrames, kDiscStartFrames);
    } else {
      t.PreGapFrames = (first ? extra : 0) + BytesToWholeFrames(track.GetPreGapBytes());
    }
    if (dataTrack && i == 0) t.PreGapFrames = std::max(t.PreGapFrames, kModeChangeFrames);
    disc.TotalFrames += t.PreGapFrames + t.TrackFrames;
  }
  return disc;
}

int64_t MediaFrames(int32_t mediaMinutes) {
  return int64_t{mediaMinutes} * 4500;
}

DiscFit FitOf(int64_t discFrames, int32_t mediaMinutes) {
  if (discFrames > MediaFrames(mediaMinutes)) return DiscFit::TooLong;
  return discFrames > k74MinuteFrames ? DiscFit::Over74Minutes : DiscFit::Fits;
}

}  // namespace varnel
