#include "app/views/TrackListText.h"

#include <cstdio>

#include "app/commands/RunOptions.h"
#include "app/commands/TrackListCommands.h"
#include "formats/audio/AudioDecoder.h"
#include "model/CdTime.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

// Minutes, seconds and frames of a count of CD frames, with truncating division.
std::string MsfText(const char* format, int64_t frames) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, static_cast<long long>(frames / kCdFramesPerMinute),
                static_cast<long long>((frames / kCdFramesPerSecond) % 60),
                static_cast<long long>(frames % kCdFramesPerSecond));
  return buf;
}

const char* TypeText(const Track& track) {
  // A decoded source shows its own kind: the list names the file the user chose.
  if (track.IsDecoded()) {
    if (const auto kind = SourceKindFromPath(track.TrackFileName)) return SourceKindText(*kind);
  }
  switch (track.FileMode) {
    case FileModeWave:
      return "WAVE";
    case FileModeMp3:
      return "MP3";
    case FileModeCdg:
      return "CDG";
    default:
      return "";
  }
}

std::string HiddenTrackText(const Track& track) {
  switch (track.PreGapStyle()) {
    case PreGapNormal:
      return "None";
    case PreGapFile:
      return FileNamePart(track.PreGapFileName());
    case PreGapIndex:
      return "Same file";
    default:
      return "";
  }
}

}  // namespace

std::string TrackLengthText(Track& track, int64_t leadingFrames) {
  const int64_t trackFrames = track.GetTrackBytes() / kBytesPerCdFrame;
  const int64_t preGapFrames = track.GetPreGapBytes() / kBytesPerCdFrame + leadingFrames;
  return MsfText("%.2lld:%.2lld:%.2lld", trackFrames) +
         MsfText(" (%.2lld:%.2lld:%.2lld)", preGapFrames);
}

std::array<std::string, kTrackColumnCount> TrackColumnTexts(AppContext& ctx, int32_t index) {
  Track& track = ctx.Layout.At(index);
  const int64_t number = static_cast<int64_t>(index) + (ctx.Layout.DataTrackImageExists() ? 2 : 1);
  int64_t leading = 0;
  if (index == 0 && track.PreGapStyle() != PreGapNormal) {
    leading = LeadingSilenceFrames(ctx.Layout, ctx.Settings);
  }
  return {
      std::to_string(number),
      FileNamePart(track.TrackFileName),
      TypeText(track),
      HiddenTrackText(track),
      TrackLengthText(track, leading),
      track.PreEmph ? "Enable" : "None",
      track.Protect ? "Prohibited" : "Permited",
      track.ISRC,
      track.TrackFileName,
  };
}

}  // namespace varnel
