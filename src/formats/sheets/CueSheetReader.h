// Reads a cue sheet in the CDRWIN dialect as rippers write it (EAC, XLD, CUETools,
// cdparanoia front ends, foobar2000) into a RipSheet.
//
// Understood: CATALOG, CDTEXTFILE, FILE (WAVE, BINARY, MOTOROLA, AIFF, MP3, FLAC; other
// type words are kept as Other), TRACK (AUDIO, CDG, MODE1/…, MODE2/…, CDI/…), INDEX 00–99,
// PREGAP, POSTGAP, FLAGS (DCP, 4CH, PRE, SCMS), ISRC, the CD-Text items TITLE, PERFORMER,
// SONGWRITER, COMPOSER, ARRANGER, MESSAGE, DISC_ID, GENRE, UPC_EAN, and REM lines (kept as
// key/value pairs; a disc REM GENRE also fills the disc's CD-Text genre). Commands, types,
// modes and flags are case-insensitive. Names are quoted ("…", no escapes) or a bare word;
// a bare FILE name is everything between FILE and the type word.
//
// Refused, with the line: a quote that is not closed on its line; a time that is not
// mm:ss:ff or has seconds ≥ 60 or frames ≥ 75; a track number outside 1–99 or not above
// the one before; TRACK before any FILE; INDEX 00 after INDEX 01, any other index number
// out of order; an index position before an earlier one of the same file; PREGAP after an
// INDEX or twice; INDEX after POSTGAP; a track without INDEX 01 (its TRACK line); a NUL
// character or an overlong line. An empty sheet or one without tracks is refused as a
// whole (line 0). Unknown commands, unknown flags, a malformed CATALOG or ISRC, text after
// a closing quote and files that no INDEX uses are warnings.
#pragma once

#include <string>
#include <string_view>

#include "formats/sheets/RipSheet.h"

namespace varnel {

// Reads the sheet text; relative file names are resolved against `folder` (may be "").
RipResult ReadCueSheetText(std::string_view text, const std::string& folder);

// Reads the sheet file at `path` (a regular file of at most kMaxSheetBytes, opened without
// blocking); names are resolved against its folder. A file that cannot be read gives an
// error on line 0 naming the reason.
RipResult ReadCueSheetFile(const std::string& path);

}  // namespace varnel
