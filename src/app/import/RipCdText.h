// The CD-Text of a ripped disc's sheet as the packs of a .cdt file hold it: one language
// block per block of the sheet (its language from a TOC's LANGUAGE_MAP, else English), the
// disc's and each laid-out track's texts in ISO 8859-1.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "formats/cdtext/CdText.h"
#include "formats/cdtext/TypedCdText.h"
#include "formats/sheets/RipSheet.h"

namespace varnel {

// The sheet's CD-Text for the tracks laid out: `discTrack` gives each rip track's number on
// the disc (missing or 0: left out); `tracks` is the disc's number of tracks. Nothing when
// the sheet has no text for them.
std::optional<CdText> CdTextOf(const RipSheet& sheet,
                               const std::map<const RipTrack*, int32_t>& discTrack, int32_t tracks);

}  // namespace varnel
