// The disc layout that re-creates a ripped disc from its sheet (a cue sheet, a cdrdao TOC
// file or a FLAC file's CUESHEET block, read into a RipSheet).
//
// Every audio track becomes one layout track whose region (TrackStartPos, TrackEndPos) is
// the stretch of one file from its INDEX 01 (TOC: its START) to where the next track's
// audio begins in that file, or the file's end. Its pre-gap, on the disc the stretch
// before INDEX 01:
//  - audio at the front of the track's own region of the same file → "Pre-gap index"
//    (TrackPreGapPos), the common case of a single image and of gaps prepended;
//  - audio anywhere else (the tail of the previous track's file when gaps are appended,
//    a hidden first track in a file of its own) → "Another file" with that region;
//  - silence (PREGAP, SILENCE, or no gap at all) → a silent pre-gap of that length; the
//    first track's length counts the 2 seconds every disc starts with (a track 1 without
//    a gap gets 00:02:00, which adds nothing).
// So track 1's INDEX 00 audio becomes the hidden track. Cut options are off and the
// padding options keep their defaults: the rip's samples are burned as they are.
//
// Flags: DCP → copy permitted (Protect off), PRE → PreEmph; the ISRC and the catalog are
// kept. A data track is kept when it is the first track and fills a file of its own
// (the layout's data track image); any other data track is refused.
//
// Raw sample files (a cue sheet's BINARY, little-endian, and MOTOROLA, big-endian; a TOC
// file not named .wav, big-endian unless SWAP, its "#n" byte offset a whole sample frame)
// are laid out from wave copies (RawAudioCopy.h) kept beside the decode cache; FLAC, AIFF,
// Ogg Vorbis and Opus files as tracks of those files, read from their decoded copies.
//
// Left out with a note: INDEX 02 and higher, the 4CH and SCMS flags, REM lines. Refused
// with the sheet's line: a track whose audio runs over from one file into another, a
// pre-gap of silence and audio together, a post-gap, a byte offset or SWAP on a wave file,
// an index beyond the end of its file, a track left with no audio.
//
// The files are checked as "Load disc layout" checks a track file; a file that is refused
// (missing, or not what its extension says) asks the loader's question once: Yes leaves
// its tracks out (a pre-gap from it becomes silence, as long as the sheet says
// where it knows), No stops.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ports/Prompter.h"
#include "formats/audio/InputChecks.h"
#include "formats/cdtext/CdText.h"
#include "formats/sheets/RipSheet.h"
#include "model/DiscLayout.h"

namespace varnel {

struct RipLayout {
  bool Ok = false;
  bool Stopped = false;  // the user answered No to a file's question (Ok is false)
  RipError Error;        // when neither Ok nor Stopped
  // CD-Text off and no .cdt named; the sheet's CD-Text is the layout's typed text
  // (RipCdText.h).
  DiscLayout Layout;
  std::vector<std::string> Notes;  // what was left out, and the readers' warnings
};

// Where the audio of files that hold no wave data comes from.
struct RipSources {
  // The decoded copy of a FLAC, AIFF, Ogg Vorbis or Opus file (DecodeSourceFile); the layout
  // names the file itself, its track reads the copy. Result −1 asks the loader's question
  // with the Reason, 0 (canceled) stops.
  std::function<DecodedCheck(const std::string& path, WaveDataInfo& info)> Decode;
  // The folder of the wave copies of raw sample files, which the layout names.
  std::string RawFolder;
};

RipLayout RipSheetToLayout(const RipSheet& sheet, Prompter& prompter, const RipSources& sources);

}  // namespace varnel
