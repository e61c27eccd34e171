// MP3 and CD+G tracks: never edited; the sheet names the file itself or, with
// "MakeAlways" in a Make run, a copy placed with the run's other produced files.
#include <memory>

#include "CueSheet.h"
#include "TrackWriterSupport.h"
#include "TrackWriters.h"
#include "WaveSegment.h"

namespace varnel {

namespace {

bool WriteCopiedTrack(TMakeJob& job, const TTrackInfo& track, int32_t trackNumber,
                      bool firstDiscTrack, TCueLines& lines, const std::string& produced,
                      const char* fileType, const char* trackType) {
  return detail::GuardedTrackWriter(job, trackNumber, produced, [&] {
    const bool copy = job.Settings.MakeAlways && !job.Test;
    const std::string shown = SheetPath(job, copy ? produced : track.TrackFileName);
    if (copy) {
      auto source = std::make_shared<const TSourceFile>(track.TrackFileName);
      TMadeFile made;
      made.Path = produced;
      made.TrackNumber = trackNumber;
      made.WaveHeader = false;
      made.AddSegment(source, 0, source->Size());
      job.MadeFiles.push_back(std::move(made));
    }
    AppendTrackHead(lines, shown, fileType, trackType, trackNumber, track);
    lines.push_back(SilentPreGapLine(track, firstDiscTrack));
    lines.push_back("INDEX 01 00:00:00");
  });
}

}  // namespace

bool WriteMp3Track(TMakeJob& job, const TTrackInfo& track, int32_t trackNumber, bool firstDiscTrack,
                   TCueLines& lines, const std::string& produced) {
  return WriteCopiedTrack(job, track, trackNumber, firstDiscTrack, lines, produced, "MP3", "AUDIO");
}

bool WriteCdgTrack(TMakeJob& job, const TTrackInfo& track, int32_t trackNumber, bool firstDiscTrack,
                   TCueLines& lines, const std::string& produced) {
  return WriteCopiedTrack(job, track, trackNumber, firstDiscTrack, lines, produced, "BINARY",
                          "CDG");
}

}  // namespace varnel
