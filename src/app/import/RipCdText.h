// The CD-Text of a ripped disc's sheet as the layout's typed text, so that an imported disc
// carries it as if it had been typed: the user sees and edits it in the CD-Text editor,
// and Make writes it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "formats/sheets/RipSheet.h"
#include "model/DiscLayout.h"

namespace varnel {

// The sheet's text as the layout's typed text, UTF-8 as read: from the block of English (or
// else block 0), the disc's and each laid-out track's (`discTrack`: its number on the disc;
// `firstAudio` is that of the layout's first track); the genre when it names one of the
// list. Then, for FLAC files, their Vorbis comments fill what the sheet left empty: a
// track's fields from its file when no other track plays that file, the disc's title and
// performer from the album and album artist (or artist).
void TakeSheetCdText(const RipSheet& sheet, const std::map<const RipTrack*, int32_t>& discTrack,
                     int32_t firstAudio, DiscLayout& layout);

}  // namespace varnel
