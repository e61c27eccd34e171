// MP3 and CD+G tracks: never edited; the sheet names the file itself or, with
// "MakeAlways" in a Make run, a copy placed with the run's other produced files. When the
// run writes a TOC, cdrdao gets what it can burn: an MP3 track decoded to a wave file, a
// CD+G track as a copy whose audio bytes are swapped (cdrdao reads the audio of a data
// file high byte first), both beside the produced files.
#include <memory>

#include "formats/cdtext/CdrdaoTocText.h"
#include "make/CueSheetWriter.h"
#include "make/MakeMessages.h"
#include "make/MakeRun.h"
#include "make/writers/TrackWriterSupport.h"
#include "make/writers/TrackWriters.h"
#include "make/writers/WaveSegment.h"

namespace varnel {

namespace {

bool WriteCopiedTrack(MakeJob& job, const Track& track, int32_t trackNumber, bool firstDiscTrack,
                      TrackPlan& plan, const std::string& produced, TrackKind kind) {
  return detail::GuardedTrackWriter(job, trackNumber, produced, [&] {
    detail::StartTrackPlan(plan, track, trackNumber, firstDiscTrack, kind);
    const bool copy = job.Settings.MakeAlways && !job.Test;
    plan.File = copy ? produced : track.TrackFileName;
    plan.SheetFile = SheetPath(job, plan.File);
    plan.Produced = copy;
    plan.Content = {{track.TrackFileName, 0, -1}};
    plan.DiscBytes = track.WaveInfo.DataSize;
    std::shared_ptr<const SourceFile> source;
    if (copy) {
      source = std::make_shared<const SourceFile>(track.TrackFileName);
      MadeFile made;
      made.Path = produced;
      made.TrackNumber = trackNumber;
      made.WaveHeader = false;
      made.AddSegment(source, 0, source->Size());
      job.MadeFiles.push_back(std::move(made));
    }
    detail::SetSilentPreGap(plan, track, firstDiscTrack);
    if (!job.Settings.CdrdaoToc) return;

    plan.TocFile = TocAudioFileName(job.Settings.WorkDir, job.CuePath, trackNumber, track.FileMode);
    job.NamedFiles.push_back(plan.TocFile);
    MadeFile made;
    made.Path = plan.TocFile;
    made.TrackNumber = trackNumber;
    if (kind == TrackKind::Mp3) {
      made.Kind = MadeKind::DecodedWave;
      made.Decoded = track.TrackFileName;
    } else if (job.Test) {
      // Not opened in a Test run: the sectors the input check counted.
      plan.TocSectors = track.WaveInfo.DataSize / kBytesPerCdFrame;
    } else {
      if (!source) source = std::make_shared<const SourceFile>(track.TrackFileName);
      plan.TocSectors = source->Size() / kCdgSectorBytes;
      if (plan.TocSectors == 0) {
        throw TrackFailure(CouldNotCreateMessage(plan.TocFile, trackNumber),
                           "\"" + track.TrackFileName + "\" holds no whole CD+G sector");
      }
      made.Kind = MadeKind::SwappedCdg;
      made.WaveHeader = false;
      made.AddSegment(source, 0, plan.TocSectors * kCdgSectorBytes);
    }
    if (!job.Test) job.MadeFiles.push_back(std::move(made));
  });
}

}  // namespace

bool WriteMp3Track(MakeJob& job, const Track& track, int32_t trackNumber, bool firstDiscTrack,
                   TrackPlan& plan, const std::string& produced) {
  return WriteCopiedTrack(job, track, trackNumber, firstDiscTrack, plan, produced, TrackKind::Mp3);
}

bool WriteCdgTrack(MakeJob& job, const Track& track, int32_t trackNumber, bool firstDiscTrack,
                   TrackPlan& plan, const std::string& produced) {
  return WriteCopiedTrack(job, track, trackNumber, firstDiscTrack, plan, produced, TrackKind::Cdg);
}

}  // namespace varnel
