// The three wave track writers: silent pre-gap, hidden audio from another file, and
// pre-gap index in the same file. In a Make run each describes the file it makes; the run
// writes it.
#include <memory>

#include "make/CueSheetWriter.h"
#include "make/MakeMessages.h"
#include "make/MakeRun.h"
#include "make/writers/TrackWriterSupport.h"
#include "make/writers/TrackWriters.h"
#include "make/writers/WaveSegment.h"
#include "model/CdTime.h"

namespace varnel {

using detail::ByteOfFrame;
using detail::CheckWaveDataFits;
using detail::ContentOf;
using detail::ExtraSilenceFrames;
using detail::GuardedTrackWriter;
using detail::KnownCountHolds;
using detail::KnownSilenceOf;
using detail::RegionLength;
using detail::SetSilentPreGap;
using detail::StartTrackPlan;

namespace {

// One region of a source file as making writes it: what its cut options leave of it, and
// the zero padding that fills it out to whole CD frames.
struct CutBounds {
  int64_t First = 0;  // first sample frame written
  int64_t Lead = 0;   // silent sample frames cut at the front
  int64_t Trail = 0;  // silent sample frames cut at the back
  int64_t Bytes = 0;  // audio bytes written
  int32_t Padding = 0;
};

// Each count is what the track record knows of the region (`knownLead`, `knownTrail`, −1
// for nothing) or else a scan of it, tested against the region it must leave something
// of; a region cut away completely fails the track with `silentMessage`.
CutBounds CutRegion(const SourceFile& source, int32_t dataOffset, int64_t first, int64_t end,
                    bool cutLeading, bool cutTrailing, const std::string& silentMessage,
                    int32_t knownLead, int32_t knownTrail) {
  CutBounds r;
  if (cutLeading) {
    r.Lead = KnownCountHolds(knownLead, dataOffset, first, end)
                 ? knownLead
                 : CountLeadingSilence(source, dataOffset, first, end);
    if (r.Lead >= end - first) throw TrackFailure(silentMessage);
  }
  if (cutTrailing) {
    r.Trail = KnownCountHolds(knownTrail, dataOffset, first, end)
                  ? knownTrail
                  : CountTrailingSilence(source, dataOffset, first, end);
    if (r.Trail >= end - first) throw TrackFailure(silentMessage);
  }
  r.First = first + r.Lead;
  r.Bytes = kBytesPerSample * (RegionLength(first, end) - r.Lead - r.Trail);
  if (r.Bytes < 0) throw MakeIoError("invalid region of \"" + source.Path() + "\"");
  r.Padding = FramePadding(r.Bytes);
  return r;
}

// The track proper of a track whose pre-gap is not in its own file.
CutBounds CutTrackRegion(const SourceFile& source, const Track& track, const SilenceCounts& known) {
  return CutRegion(source, track.WaveInfo.DataOffset, track.TrackStartPos(), track.TrackEndPos(),
                   track.TrackCutLeading, track.TrackCutTrailing,
                   CompletelySilenceMessage(track.TrackFileName), known.TrackLead,
                   known.TrackTrail);
}

// The region's audio with its padding at the head or at the tail.
void AddCutRegion(MadeFile& made, const std::shared_ptr<const SourceFile>& source,
                  int32_t dataOffset, const CutBounds& r, bool paddingHead) {
  if (paddingHead) made.AddZeros(r.Padding);
  made.AddSegment(source, ByteOfFrame(dataOffset, r.First), r.Bytes);
  if (!paddingHead) made.AddZeros(r.Padding);
}

// A new wave file of the track, with the format fields of the track's own file.
MadeFile NewWave(const std::string& produced, int32_t trackNumber, const WaveDataInfo& info) {
  MadeFile made;
  made.Path = produced;
  made.TrackNumber = trackNumber;
  made.Format = info;
  return made;
}

std::shared_ptr<const SourceFile> OpenSource(const std::string& path) {
  return std::make_shared<const SourceFile>(path);
}

// The file the sheet names for a wave track; a TOC names the same file. A decoded track is
// always named by a produced file (its writer sees to it), never by its source.
void NameTrackFile(MakeJob& job, TrackPlan& plan, const std::string& file, bool produced) {
  plan.File = file;
  plan.SheetFile = SheetPath(job, file);
  plan.Produced = produced;
  if (job.Settings.CdrdaoToc) plan.TocFile = file;
}

}  // namespace

bool WriteSilentPreGapTrack(MakeJob& job, const Track& track, int32_t trackNumber,
                            bool firstDiscTrack, TrackPlan& plan, const std::string& produced) {
  return GuardedTrackWriter(job, trackNumber, produced, [&] {
    StartTrackPlan(plan, track, trackNumber, firstDiscTrack, TrackKind::Wave);
    const WaveDataInfo& info = track.WaveInfo;
    const auto source = OpenSource(track.TrackAudioPath());
    const CutBounds region = CutTrackRegion(*source, track, KnownSilenceOf(job, track));

    // The whole of the file's sample data, from its first sample frame.
    const bool whole = track.TrackStartPos() == 0 &&
                       int64_t{kBytesPerSample} * track.TrackEndPos() == info.DataSize;
    // Padding at the tail alone needs no new file: the recorder pads the last frame. A
    // decoded source always gets one: no cue reader takes its own format, and the decoded
    // copy lives in a cache that may be emptied.
    const bool newFile = job.Settings.MakeAlways || track.IsDecoded() || !whole ||
                         track.TrackPaddingHead || region.Lead > 0 || region.Trail > 0;
    NameTrackFile(job, plan, newFile ? produced : track.TrackFileName, newFile);

    MadeFile made = NewWave(produced, trackNumber, info);
    if (newFile) {
      AddCutRegion(made, source, info.DataOffset, region, track.TrackPaddingHead);
    } else {
      made.AddSegment(source, info.DataOffset, info.DataSize);
    }
    plan.Content = ContentOf(made);
    if (newFile && !job.Test) {
      CheckWaveDataFits(region.Bytes + region.Padding);
      job.MadeFiles.push_back(std::move(made));
    }
    SetSilentPreGap(plan, track, firstDiscTrack);
  });
}

bool WriteHiddenFileTrack(MakeJob& job, const Track& track, int32_t trackNumber,
                          bool firstDiscTrack, TrackPlan& plan, const std::string& produced) {
  return GuardedTrackWriter(job, trackNumber, produced, [&] {
    StartTrackPlan(plan, track, trackNumber, firstDiscTrack, TrackKind::Wave);
    // The hidden audio first: a silent pre-gap region is reported before the track file
    // is even opened.
    const SilenceCounts known = KnownSilenceOf(job, track);
    const WaveDataInfo& gapInfo = track.PreGapWaveInfo();
    const auto gapSource = OpenSource(track.PreGapAudioPath());
    const CutBounds gap = CutRegion(
        *gapSource, gapInfo.DataOffset, track.PreGapStartPos(), track.PreGapEndPos(),
        track.PreGapCutLeading, track.PreGapCutTrailing,
        CompletelySilenceMessage(track.PreGapFileName()), known.PreGapLead, known.PreGapTrail);

    const WaveDataInfo& info = track.WaveInfo;
    const auto source = OpenSource(track.TrackAudioPath());
    const CutBounds region = CutTrackRegion(*source, track, known);

    const int64_t extra = ExtraSilenceFrames(job, firstDiscTrack);
    NameTrackFile(job, plan, produced, true);

    MadeFile made = NewWave(produced, trackNumber, info);
    made.AddZeros(extra * kBytesPerCdFrame);
    AddCutRegion(made, gapSource, gapInfo.DataOffset, gap, track.PreGapPaddingHead);
    AddCutRegion(made, source, info.DataOffset, region, track.TrackPaddingHead);
    plan.Content = ContentOf(made);
    if (!job.Test) {
      CheckWaveDataFits(extra * kBytesPerCdFrame + gap.Bytes + gap.Padding + region.Bytes +
                        region.Padding);
      job.MadeFiles.push_back(std::move(made));
    }
    plan.HiddenAudio = true;
    plan.Index1 = extra + (gap.Bytes + gap.Padding) / kBytesPerCdFrame;
  });
}

bool WritePreGapIndexTrack(MakeJob& job, const Track& track, int32_t trackNumber,
                           bool firstDiscTrack, TrackPlan& plan, const std::string& produced) {
  return GuardedTrackWriter(job, trackNumber, produced, [&] {
    StartTrackPlan(plan, track, trackNumber, firstDiscTrack, TrackKind::Wave);
    const WaveDataInfo& info = track.WaveInfo;
    const int64_t gapFirst = track.TrackPreGapPos();
    const int64_t start = track.TrackStartPos();
    const int64_t end = track.TrackEndPos();
    const auto source = OpenSource(track.TrackAudioPath());

    // Both counts run over the whole region; the leading cut belongs to the pre-gap part,
    // the trailing cut to the track part. The record counts the trailing silence of the
    // track part only: the same count wherever it leaves something of that part.
    const SilenceCounts known = KnownSilenceOf(job, track);
    int64_t lead = 0;
    int64_t trail = 0;
    if (track.TrackCutLeading) {
      lead = KnownCountHolds(known.TrackLead, info.DataOffset, gapFirst, end)
                 ? known.TrackLead
                 : CountLeadingSilence(*source, info.DataOffset, gapFirst, end);
      if (lead >= start - gapFirst) throw TrackFailure(PreGapSilenceMessage(track.TrackFileName));
    }
    if (track.TrackCutTrailing) {
      trail = KnownCountHolds(known.TrackTrail, info.DataOffset, start, end) && gapFirst >= 0 &&
                      gapFirst <= start
                  ? known.TrackTrail
                  : CountTrailingSilence(*source, info.DataOffset, gapFirst, end);
      if (trail >= end - start) throw TrackFailure(TrackSilenceMessage(track.TrackFileName));
    }
    const int64_t gapBytes = kBytesPerSample * (RegionLength(gapFirst, start) - lead);
    const int64_t trackBytes = kBytesPerSample * (RegionLength(start, end) - trail);
    if (gapBytes < 0 || trackBytes < 0) {
      throw MakeIoError("invalid region of \"" + track.TrackFileName + "\"");
    }
    const int32_t headPadding = FramePadding(gapBytes);
    const int32_t tailPadding = FramePadding(trackBytes);
    const int64_t extra = ExtraSilenceFrames(job, firstDiscTrack);

    const bool whole = gapFirst == 0 && kBytesPerSample * end == info.DataSize;
    const bool newFile = job.Settings.MakeAlways || track.IsDecoded() ||
                         (firstDiscTrack && job.Settings.AddFrames) || !whole || headPadding > 0 ||
                         lead > 0 || trail > 0;
    NameTrackFile(job, plan, newFile ? produced : track.TrackFileName, newFile);

    MadeFile made = NewWave(produced, trackNumber, info);
    if (newFile) {
      made.AddZeros(extra * kBytesPerCdFrame + headPadding);
      made.AddSegment(source, ByteOfFrame(info.DataOffset, gapFirst + lead), gapBytes + trackBytes);
      made.AddZeros(tailPadding);
    } else {
      made.AddSegment(source, info.DataOffset, info.DataSize);
    }
    plan.Content = ContentOf(made);
    if (newFile && !job.Test) {
      CheckWaveDataFits(extra * kBytesPerCdFrame + headPadding + gapBytes + trackBytes +
                        tailPadding);
      job.MadeFiles.push_back(std::move(made));
    }
    plan.HiddenAudio = true;
    plan.Index1 =
        newFile ? extra + (headPadding + gapBytes) / kBytesPerCdFrame : SamplesToFrames(start);
  });
}

}  // namespace varnel
