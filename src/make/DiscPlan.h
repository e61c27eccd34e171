// The plan of a disc as one making run lays it out: every track with the file that carries
// its audio, what that file holds, where its indexes fall, its pre-gap, flags and ISRC, and
// the disc's catalog, CD-Text and data track. The run builds the plan first (scanning every
// source, failing before anything is written); the cue sheet and the TOC file for cdrdao
// are both rendered from it, so they describe one disc.
//
// Positions on a track are CD frames (75 a second, 2352 bytes of audio) counted from the
// start of the track's file; what a file holds is given in bytes of its sources.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/cdtext/CdText.h"
#include "model/CdTextFields.h"
#include "model/CdTime.h"

namespace varnel {

enum class TrackKind : uint8_t { Wave, Mp3, Cdg };

// A stretch of what a file holds: bytes of a source file, or zero bytes.
struct FileStretch {
  std::string Source;  // empty: zero bytes
  int64_t Start = 0;   // first byte in the source
  int64_t Bytes = 0;   // −1: up to the end of the source
  friend bool operator==(const FileStretch&, const FileStretch&) = default;
};

struct TrackPlan {
  int32_t Number = 0;  // on the disc: 1.., or 2.. after a data track
  bool FirstDiscTrack = false;
  TrackKind Kind = TrackKind::Wave;

  // The file the cue sheet names for the track, and how the sheet shows its path.
  std::string File;
  std::string SheetFile;
  // File is the track's produced file: made by a Make run, named but not written by a Test
  // run.
  bool Produced = false;
  // What File holds, in order: a wave file's sample data behind its header (a produced file:
  // extra silence, padding and the cut regions of its sources; a source named as it lies:
  // its whole data), an MP3 or CD+G file as a whole.
  std::vector<FileStretch> Content;

  // The pre-gap. Either audio at the front of File (HiddenAudio: INDEX 00 at the file's
  // start, INDEX 01 Index1 CD frames into it), or silence the recorder writes before File:
  // SilentPreGap CD frames, for the first disc track those beyond the 150 every disc starts
  // with. SilentPreGapMsf is that silence as the cue sheet prints it (the stored minutes,
  // seconds and frames of any other track as they stand).
  bool HiddenAudio = false;
  int64_t Index1 = 0;
  int64_t SilentPreGap = 0;
  Msf SilentPreGapMsf;

  bool Protect = false;  // false: digital copy permitted
  bool PreEmph = false;
  std::string Isrc;  // as stored; empty when it holds only blanks

  // The file the TOC names for the track's audio: File for a wave track, the wave file
  // decoded from an MP3 track, the copy of a CD+G file whose audio bytes are swapped (made
  // by a Make run, named but not written by a Test run). Empty when no TOC is written.
  std::string TocFile;
  int64_t TocSectors = 0;  // CD+G: the 2448-byte sectors of that copy

  // The track's typed CD-Text in ISO 8859-1, for the sheet's TITLE, PERFORMER and SONGWRITER
  // lines; empty unless the disc's CD-Text is typed text.
  CdTextFields SheetText;

  // MP3 and CD+G: the bytes of CD audio the track puts on the disc, as its input check
  // counted them (−1 for a wave track, whose Content says it).
  int64_t DiscBytes = -1;
};

struct DataTrackPlan {
  std::string File;
  std::string SheetFile;
  // 0 MODE1/2048, 1 MODE1/2352, 2 MODE2/2336, 3 MODE2/2352; an index the image box does not
  // offer is taken as 0.
  int32_t ImageType = 0;
};

struct DiscPlan {
  std::string Catalog;  // as stored; empty when it holds only blanks
  bool CdTextEnabled = false;
  // The CD-Text file, when CD-Text is on and one is set, and how the cue sheet shows it.
  std::string CdtFile;
  std::string SheetCdtFile;
  std::optional<DataTrackPlan> DataTrack;
  std::vector<TrackPlan> Tracks;

  // Typed CD-Text (CD-Text on and text typed in the layout): the run makes CdtFile from
  // CdTextContent, and SheetText holds the disc's texts in ISO 8859-1 for the sheet.
  bool TypedCdText = false;
  CdTextFields SheetText;

  // Whether the run writes a TOC file, and the CD-Text it carries (read from CdtFile, or
  // the typed text).
  bool Toc = false;
  std::optional<CdText> CdTextContent;
};

}  // namespace varnel
