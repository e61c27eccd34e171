// What a rip tells of the disc it was ripped from, kept in the imported layout so that the
// disc check can tell whether the copy will be that disc: the freedb ID of a cue sheet's
// "REM DISCID", a MusicBrainz disc ID ("REM MUSICBRAINZ_DISCID"), and the table of contents
// and per-track CRC32 of a rip log beside the sheet (the sheet's name with ".log"). An
// imported layout also adds no leading silence: the copy keeps the original's positions.
#pragma once

#include <string>

#include "formats/sheets/RipSheet.h"
#include "model/DiscLayout.h"

namespace varnel {

void RecordOriginal(const RipSheet& sheet, const std::string& sheetPath, DiscLayout& layout);

}  // namespace varnel
