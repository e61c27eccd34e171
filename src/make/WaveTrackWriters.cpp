// The three wave track writers: silent pre-gap, hidden audio from another file, and
// pre-gap index in the same file.
#include "CdTime.h"
#include "CueSheet.h"
#include "TrackWriterSupport.h"
#include "TrackWriters.h"
#include "WaveSegment.h"

namespace varnel {

using detail::ByteOfFrame;
using detail::CheckWaveDataFits;
using detail::ExtraSilenceFrames;
using detail::GuardedTrackWriter;
using detail::RegionLength;

namespace {

// The silence counts one region's cut options ask for, each tested against the part it
// must leave something of.
struct TCuts {
  int64_t Lead = 0;
  int64_t Trail = 0;
};

TCuts CountCuts(const TSourceFile& source, int32_t dataOffset, int64_t first, int64_t end,
                bool cutLeading, bool cutTrailing, const std::string& silentMessage) {
  TCuts cuts;
  if (cutLeading) {
    cuts.Lead = CountLeadingSilence(source, dataOffset, first, end);
    if (cuts.Lead >= end - first) throw TTrackFailure(silentMessage);
  }
  if (cutTrailing) {
    cuts.Trail = CountTrailingSilence(source, dataOffset, first, end);
    if (cuts.Trail >= end - first) throw TTrackFailure(silentMessage);
  }
  return cuts;
}

void AppendExtraSilence(TOutputFile& out, int64_t frames) {
  for (int64_t i = 0; i < frames; ++i) AppendZeros(out, kBytesPerCdFrame);
}

}  // namespace

bool WriteSilentPreGapTrack(TMakeJob& job, const TTrackInfo& track, int32_t trackNumber,
                            bool firstDiscTrack, TCueLines& lines, const std::string& produced) {
  return GuardedTrackWriter(job, trackNumber, produced, [&] {
    const WaveDataInfo& info = track.WaveInfo;
    const int64_t first = track.TrackStartPos();
    const int64_t end = track.TrackEndPos();
    TSourceFile source(track.TrackFileName);
    const TCuts cuts =
        CountCuts(source, info.DataOffset, first, end, track.TrackCutLeading,
                  track.TrackCutTrailing, CompletelySilenceMessage(track.TrackFileName));
    const int64_t segment = kBytesPerSample * (RegionLength(first, end) - cuts.Lead - cuts.Trail);
    if (segment < 0) throw TMakeIoError("invalid region");
    const int32_t padding = FramePadding(segment);

    // The whole of the file's sample data, from its first sample frame.
    const bool whole = first == 0 && kBytesPerSample * end == info.DataSize;
    // Padding at the tail alone needs no new file: the recorder pads the last frame.
    const bool newFile = job.Settings.MakeAlways || !whole || track.TrackPaddingHead ||
                         cuts.Lead > 0 || cuts.Trail > 0;
    const std::string shown = SheetPath(job, newFile ? produced : track.TrackFileName);

    if (newFile && !job.Test) {
      CheckWaveDataFits(segment + padding);
      TOutputFile out = CreateEditedWave(produced, info, {&source});
      if (track.TrackPaddingHead) AppendZeros(out, padding);
      AppendSegment(out, source, ByteOfFrame(info.DataOffset, first + cuts.Lead), segment);
      if (!track.TrackPaddingHead) AppendZeros(out, padding);
      FinishEditedWave(out);
    }

    AppendTrackHead(lines, shown, "WAVE", "AUDIO", trackNumber, track);
    lines.push_back(SilentPreGapLine(track, firstDiscTrack));
    lines.push_back("INDEX 01 00:00:00");
  });
}

bool WriteHiddenFileTrack(TMakeJob& job, const TTrackInfo& track, int32_t trackNumber,
                          bool firstDiscTrack, TCueLines& lines, const std::string& produced) {
  return GuardedTrackWriter(job, trackNumber, produced, [&] {
    // The hidden audio first: a silent pre-gap region is reported before the track file
    // is even opened.
    const WaveDataInfo& gapInfo = track.PreGapWaveInfo();
    const int64_t gapFirst = track.PreGapStartPos();
    const int64_t gapEnd = track.PreGapEndPos();
    TSourceFile gapSource(track.PreGapFileName());
    const TCuts gapCuts =
        CountCuts(gapSource, gapInfo.DataOffset, gapFirst, gapEnd, track.PreGapCutLeading,
                  track.PreGapCutTrailing, CompletelySilenceMessage(track.PreGapFileName()));
    const int64_t gapBytes =
        kBytesPerSample * (RegionLength(gapFirst, gapEnd) - gapCuts.Lead - gapCuts.Trail);
    if (gapBytes < 0) throw TMakeIoError("invalid region");
    const int32_t gapPadding = FramePadding(gapBytes);

    const WaveDataInfo& info = track.WaveInfo;
    const int64_t first = track.TrackStartPos();
    const int64_t end = track.TrackEndPos();
    TSourceFile source(track.TrackFileName);
    const TCuts cuts =
        CountCuts(source, info.DataOffset, first, end, track.TrackCutLeading,
                  track.TrackCutTrailing, CompletelySilenceMessage(track.TrackFileName));
    const int64_t trackBytes =
        kBytesPerSample * (RegionLength(first, end) - cuts.Lead - cuts.Trail);
    if (trackBytes < 0) throw TMakeIoError("invalid region");
    const int32_t trackPadding = FramePadding(trackBytes);

    const int64_t extra = ExtraSilenceFrames(job, firstDiscTrack);
    const std::string shown = SheetPath(job, produced);

    if (!job.Test) {
      CheckWaveDataFits(extra * kBytesPerCdFrame + gapBytes + gapPadding + trackBytes +
                        trackPadding);
      TOutputFile out = CreateEditedWave(produced, info, {&gapSource, &source});
      AppendExtraSilence(out, extra);
      if (track.PreGapPaddingHead) AppendZeros(out, gapPadding);
      AppendSegment(out, gapSource, ByteOfFrame(gapInfo.DataOffset, gapFirst + gapCuts.Lead),
                    gapBytes);
      if (!track.PreGapPaddingHead) AppendZeros(out, gapPadding);
      if (track.TrackPaddingHead) AppendZeros(out, trackPadding);
      AppendSegment(out, source, ByteOfFrame(info.DataOffset, first + cuts.Lead), trackBytes);
      if (!track.TrackPaddingHead) AppendZeros(out, trackPadding);
      FinishEditedWave(out);
    }

    AppendTrackHead(lines, shown, "WAVE", "AUDIO", trackNumber, track);
    lines.push_back("INDEX 00 00:00:00");
    lines.push_back("INDEX 01 " + CueTime(extra + (gapBytes + gapPadding) / kBytesPerCdFrame));
  });
}

bool WritePreGapIndexTrack(TMakeJob& job, const TTrackInfo& track, int32_t trackNumber,
                           bool firstDiscTrack, TCueLines& lines, const std::string& produced) {
  return GuardedTrackWriter(job, trackNumber, produced, [&] {
    const WaveDataInfo& info = track.WaveInfo;
    const int64_t gapFirst = track.TrackPreGapPos();
    const int64_t start = track.TrackStartPos();
    const int64_t end = track.TrackEndPos();
    TSourceFile source(track.TrackFileName);

    // Both counts run over the whole region; the leading cut belongs to the pre-gap part,
    // the trailing cut to the track part.
    int64_t lead = 0;
    int64_t trail = 0;
    if (track.TrackCutLeading) {
      lead = CountLeadingSilence(source, info.DataOffset, gapFirst, end);
      if (lead >= start - gapFirst) throw TTrackFailure(PreGapSilenceMessage(track.TrackFileName));
    }
    if (track.TrackCutTrailing) {
      trail = CountTrailingSilence(source, info.DataOffset, gapFirst, end);
      if (trail >= end - start) throw TTrackFailure(TrackSilenceMessage(track.TrackFileName));
    }
    const int64_t gapBytes = kBytesPerSample * (RegionLength(gapFirst, start) - lead);
    const int64_t trackBytes = kBytesPerSample * (RegionLength(start, end) - trail);
    if (gapBytes < 0 || trackBytes < 0) throw TMakeIoError("invalid region");
    const int32_t headPadding = FramePadding(gapBytes);
    const int32_t tailPadding = FramePadding(trackBytes);
    const int64_t extra = ExtraSilenceFrames(job, firstDiscTrack);

    const bool whole = gapFirst == 0 && kBytesPerSample * end == info.DataSize;
    const bool newFile = job.Settings.MakeAlways || (firstDiscTrack && job.Settings.AddFrames) ||
                         !whole || headPadding > 0 || lead > 0 || trail > 0;
    const int64_t index1 =
        newFile ? extra + (headPadding + gapBytes) / kBytesPerCdFrame : SamplesToFrames(start);
    const std::string shown = SheetPath(job, newFile ? produced : track.TrackFileName);

    if (newFile && !job.Test) {
      CheckWaveDataFits(extra * kBytesPerCdFrame + headPadding + gapBytes + trackBytes +
                        tailPadding);
      TOutputFile out = CreateEditedWave(produced, info, {&source});
      AppendExtraSilence(out, extra);
      AppendZeros(out, headPadding);
      AppendSegment(out, source, ByteOfFrame(info.DataOffset, gapFirst + lead),
                    gapBytes + trackBytes);
      AppendZeros(out, tailPadding);
      FinishEditedWave(out);
    }

    AppendTrackHead(lines, shown, "WAVE", "AUDIO", trackNumber, track);
    lines.push_back("INDEX 00 00:00:00");
    lines.push_back("INDEX 01 " + CueTime(index1));
  });
}

}  // namespace varnel
