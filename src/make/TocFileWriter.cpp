#include "make/TocFileWriter.h"

#include <algorithm>

#include "formats/cdtext/CdrdaoTocText.h"
#include "make/MakeJob.h"
#include "model/CdTime.h"
#include "model/Isrc.h"
#include "model/PathNames.h"
#include "model/TextTrim.h"

namespace varnel {

namespace {

// Between a leading data track and the first audio track the CD standards want a post-gap
// of at least 150 sectors (2 seconds) at the end of the data track, in the data track's
// mode, and a pre-gap of at least 150 frames before the audio (cdrdao's manual shows the
// same in its mixed-mode example). cdrdao's toc-info checks neither, and it reads the cue
// sheet's "POSTGAP 00:02:00" as 150 blocks of zero data at the end of the data track, so
// the TOC always writes that post-gap, and fills a shorter pre-gap of the first audio track
// up to 150 frames with silence before it (the only place where the TOC's disc can differ
// from the sheet's, and only for a layout that breaks the rule).
constexpr int64_t kModeChangeGapFrames = 150;

// cdrdao's modes for the image types, and the post-gap of each: zero sectors in the track's
// mode; a raw track gets them in the cooked form it stands for, so that cdrdao builds
// proper sectors (sync, header, error correction) rather than 2352 zero bytes, Mode 2
// raw ones as Form 2 sectors, as a CD-ROM XA post-gap is made of.
const char* const kDataModes[4] = {"MODE1", "MODE1_RAW", "MODE2", "MODE2_RAW"};
const char* const kPostGaps[4] = {"ZERO 00:02:00", "ZERO MODE1 00:02:00", "ZERO 00:02:00",
                                  "ZERO MODE2_FORM2 00:02:00"};

std::string Time(int64_t frames) {
  return FormatMsf(FramesToMsf(frames));
}

bool AllOf(const std::string& text, size_t from, size_t to, int (*test)(int)) {
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                     text.begin() + static_cast<std::ptrdiff_t>(to),
                     [test](char c) { return test(static_cast<unsigned char>(c)) != 0; });
}

int IsDigit(int c) {
  return c >= '0' && c <= '9';
}

// What cdrdao takes for a catalog number: 13 digits (for an ISRC: IsIsrc).
bool ValidCatalog(const std::string& text) {
  return text.size() == 13 && AllOf(text, 0, 13, IsDigit);
}

// cdrdao reads a file as a wave file when its name ends in ".wav", in any case; any other
// as raw samples, high byte first.
bool WaveName(const std::string& path) {
  return LowerExtensionOf(path) == ".wav";
}

std::string AudioFileStatement(const TrackPlan& track) {
  const std::string path = AbsolutePath(track.TocFile);
  if (WaveName(path)) return "FILE " + TocString(path) + " 0\n";
  // A wave file of another name, named as it lies: its sample data by its first byte and
  // length, low byte first.
  if (track.Content.size() != 1 || track.Content[0].Source != track.TocFile) {
    throw MakeIoError("\"" + track.TocFile + "\" cannot be named in a TOC file");
  }
  const FileStretch& data = track.Content[0];
  return "FILE " + TocString(path) + " SWAP #" + std::to_string(data.Start) + " 0 " +
         std::to_string(data.Bytes / kBytesPerSample) + "\n";
}

// The statements that give the track its pre-gap and audio; `minPreGap` frames of pre-gap
// at the least.
std::string TrackData(const TrackPlan& track, int64_t minPreGap) {
  if (track.Kind == TrackKind::Cdg) {
    return CdgTocTrackData(AbsolutePath(track.TocFile), track.TocSectors,
                           std::max(track.SilentPreGap, minPreGap));
  }
  std::string out;
  if (track.HiddenAudio) {
    const int64_t lead = std::max<int64_t>(0, minPreGap - track.Index1);
    if (lead > 0) out += "SILENCE " + Time(lead) + "\n";
    out += AudioFileStatement(track);
    if (lead + track.Index1 > 0) out += "START " + Time(lead + track.Index1) + "\n";
    return out;
  }
  const int64_t gap = std::max(track.SilentPreGap, minPreGap);
  if (gap > 0) out += "PREGAP " + Time(gap) + "\n";
  return out + AudioFileStatement(track);
}

std::string AudioTrack(const TrackPlan& track, const std::string& cdText, int64_t minPreGap) {
  std::string out = "\n// Track " + std::to_string(track.Number) + "\n";
  out += track.Kind == TrackKind::Cdg ? kCdgTocTrack : "TRACK AUDIO";
  out += "\n";
  if (!track.Protect) out += "COPY\n";
  if (track.PreEmph) out += "PRE_EMPHASIS\n";
  const std::string isrc = Trim(track.Isrc);
  if (IsIsrc(isrc)) {
    out += "ISRC \"" + isrc + "\"\n";
  } else if (!isrc.empty()) {
    out += "// ISRC " + TocString(isrc) +
           " left out: cdrdao takes 5 letters or digits, then 7 digits\n";
  }
  return out + cdText + TrackData(track, minPreGap);
}

}  // namespace

std::string TocFilePath(const std::string& cuePath) {
  return WithExtension(cuePath, ".toc");
}

std::string TocFileText(const DiscPlan& plan) {
  const auto tocTracks = static_cast<int32_t>(plan.Tracks.size() + (plan.DataTrack ? 1 : 0));
  TocCdText cdText;
  if (plan.CdTextContent && tocTracks > 0) {
    std::string reason;
    if (!FormatTocCdText(*plan.CdTextContent, tocTracks, cdText, reason)) throw MakeIoError(reason);
  }
  cdText.Tracks.resize(static_cast<size_t>(tocTracks));

  std::string out = "// This file is generated by \"Varnel 2.03\"\n\n";
  out += !plan.DataTrack ? "CD_DA\n" : plan.DataTrack->ImageType >= 2 ? "CD_ROM_XA\n" : "CD_ROM\n";
  const std::string catalog = Trim(plan.Catalog);
  if (ValidCatalog(catalog)) {
    out += "CATALOG \"" + catalog + "\"\n";
  } else if (!catalog.empty()) {
    out += "// CATALOG " + TocString(catalog) + " left out: cdrdao takes 13 digits\n";
  }
  out += cdText.Disc;

  size_t tocTrack = 0;
  if (const auto& data = plan.DataTrack) {
    const int32_t type = data->ImageType >= 0 && data->ImageType <= 3 ? data->ImageType : 0;
    out += "\n// Track 1: data\nTRACK " + std::string(kDataModes[type]) + "\n";
    out += cdText.Tracks[tocTrack++];
    out += "DATAFILE " + TocString(AbsolutePath(data->File)) + "\n";
    out += std::string("// post-gap\n") + kPostGaps[type] + "\n";
  }
  for (size_t i = 0; i < plan.Tracks.size(); ++i) {
    const int64_t minPreGap = plan.DataTrack && i == 0 ? kModeChangeGapFrames : 0;
    out += AudioTrack(plan.Tracks[i], cdText.Tracks[tocTrack++], minPreGap);
  }
  return out;
}

}  // namespace varnel
