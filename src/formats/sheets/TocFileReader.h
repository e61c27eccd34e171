// Reads a cdrdao TOC file into a RipSheet, following cdrdao's own grammar (keywords are
// upper case; "//" starts a comment; "#" is no comment but the byte offset of a FILE).
//
// Header: CATALOG "13 digits", CD_DA / CD_ROM / CD_ROM_XA / CD_I, then one CD_TEXT block
// with LANGUAGE_MAP { n : code … } and LANGUAGE n { ITEM "text" | ITEM { bytes } … }.
// Each TRACK <mode> [RW | RW_RAW]: then ISRC "…", [NO] COPY, [NO] PRE_EMPHASIS,
// TWO_CHANNEL_AUDIO, FOUR_CHANNEL_AUDIO; a CD_TEXT block of LANGUAGE blocks; PREGAP
// mm:ss:ff; the contents FILE|AUDIOFILE "name" [SWAP] [#bytes] start [length], DATAFILE
// "name" [#bytes] [length], SILENCE length, ZERO [mode] [RW|RW_RAW] length, with START
// [mm:ss:ff] and END [mm:ss:ff] between them; last the INDEX mm:ss:ff increments.
//
// Times: mm:ss:ff (CD frames, 588 sample frames each) or a plain number of sample frames
// for audio, of bytes for data lengths; an audio length of 0 or none means "to the end of
// the file". Strings take \" and three-digit octal escapes (\344); a string that is not
// UTF-8 after unescaping is CD-Text in Latin-1 and converted (file names stay bytes).
// Files are listed once per distinct name and type; pieces refer to them by index.
//
// Refused, with the line: any token cdrdao does not know, a syntax error, a time with
// seconds ≥ 60 or frames ≥ 75, a number too large for any disc, more than 99 tracks, a
// zero PREGAP or SILENCE, START or END twice or START with PREGAP, a track without
// contents, FILE or SILENCE in a data track, FILE/SILENCE mixed with DATAFILE/ZERO, an
// INDEX not after the track start and the INDEX before it, FIFO and standard input
// ("-"), a CD-Text item that belongs to the disc in a track's block, a language number
// outside 0–7. A malformed CATALOG or ISRC is a warning and dropped.
#pragma once

#include <string>
#include <string_view>

#include "formats/sheets/RipSheet.h"

namespace varnel {

// Reads the TOC text; relative file names are resolved against `folder` (may be "").
RipResult ReadTocText(std::string_view text, const std::string& folder);

// Reads the TOC file at `path` (a regular file of at most kMaxSheetBytes, opened without
// blocking); names are resolved against its folder.
RipResult ReadTocFile(const std::string& path);

}  // namespace varnel
