// Pieces of cdrdao's TOC text ("man cdrdao", section TOC FILES) for the writer that puts a
// whole TOC together: quoted strings, the CD_TEXT blocks made from a CD-Text file, and the
// statements of a CD+G track.
//
// Strings: cdrdao 1.2.4 takes printable ASCII as it is and any byte as a three-digit octal
// escape; a backslash must be escaped (a lone one stays, "\\" would become two), a TAB or
// line feed inside quotes is a syntax error, and a run of more than about 2000 characters
// without a break is cut short by its lexer without a word. So everything but printable
// ASCII, the quote and the backslash goes out as "\ooo", and no run of plain characters is
// longer than 1000.
//
// CD+G: a CD+G file is a sequence of 2448-byte sectors, 2352 bytes of audio (16-bit
// samples, low byte first, as a BINARY cue-sheet file has them) followed by the 96 bytes of
// R-W sub-channel data in CD+G's packet form: four packets of 24 six-bit symbols,
// de-interleaved. In cdrdao's terms that is "RW" (packed R-W, L-EC generated if required),
// not "RW_RAW" (interleaved, L-EC already calculated). An audio track with sub-channel data
// takes no FILE or SILENCE statement, only DATAFILE and ZERO, and cdrdao reads the audio of
// a data file high byte first, unlike a wave file; its show-data prints exactly that. So
// the track's file must be a copy whose audio bytes are swapped pairwise, with the
// sub-channel bytes untouched, and its silent pre-gap is ZERO + START (PREGAP counts as
// SILENCE and is refused there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/cdtext/CdText.h"

namespace varnel {

// `bytes` in double quotes, escaped as above.
std::string TocString(std::string_view bytes);

struct TocCdText {
  std::string Disc;                 // "CD_TEXT { LANGUAGE_MAP {...} LANGUAGE 0 {...} ... }"
  std::vector<std::string> Tracks;  // [k]: the CD_TEXT block of TOC track k + 1
};

// CD_TEXT blocks for a TOC of `trackCount` tracks (1..99), CD-Text track n going to TOC
// track n; text for tracks past `trackCount` is left out, a track the file has no text for
// gets empty items. Blocks become languages 0, 1, ... in their order, mapped to their
// language codes. Every language gets TITLE and PERFORMER, and every other item of the
// language that the disc or any track has, for the disc and every track (cdrdao's write
// check wants them all, and warns without TITLE and PERFORMER); ISRC goes with an UPC_EAN
// item, empty if need be, and GENRE, when one language has it, into all of them ("not
// used", code 0, where missing). Size information, table-of-contents packs and the
// reserved and closed types are cdrdao's own business and are not written. A text without
// blocks gives empty strings. Each block ends
// with a line feed; inner lines are indented by two blanks per level.
// False with a reason for a double-byte block, which cdrdao 1.2.4 cannot write (it marks
// every block ISO 8859-1), and for a track count outside 1..99.
bool FormatTocCdText(const CdText& text, int32_t trackCount, TocCdText& out, std::string& reason);

inline constexpr int32_t kCdgSectorBytes = 2448;
inline constexpr int32_t kCdgSubchannelBytes = 96;
inline constexpr const char* kCdgTocTrack = "TRACK AUDIO RW";

// Swaps the bytes of every 16-bit sample in the audio part of `sectorCount` whole CD+G
// sectors in place, leaving each sector's 96 sub-channel bytes alone. Its own inverse.
void SwapCdgAudioBytes(uint8_t* sectors, size_t sectorCount);

// The data statements of a CD+G track, to follow kCdgTocTrack and the track's flags, ISRC
// and CD_TEXT: "ZERO mm:ss:ff" and "START" for a silent pre-gap of `preGapFrames` (none
// when 0), then "DATAFILE" naming `imagePath` (a swapped copy, by absolute path) with
// `sectors` (at least 1) sectors as the length. One statement a line, each ending in "\n".
std::string CdgTocTrackData(const std::string& imagePath, int64_t sectors, int64_t preGapFrames);

}  // namespace varnel
