// The CD-Text a user types (model/CdTextFields.h) as the one language block a disc gets, and
// back: UTF-8 as typed on one side, ISO 8859-1 (the single-byte set every player reads) in
// the block. A character beyond ISO 8859-1 becomes "?", which is what the disc check warns
// about beforehand; every text is written, so what the layout holds is what the disc shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/cdtext/CdText.h"
#include "model/CdTextFields.h"

namespace varnel {

// UTF-8 text as ISO 8859-1; other characters (and bytes that are no UTF-8) become "?".
std::string Utf8ToLatin1(const std::string& text);
// ISO 8859-1 bytes as UTF-8.
std::string Latin1ToUtf8(const std::string& text);
// The first character of `text` that ISO 8859-1 has not, as UTF-8 (a byte that is no UTF-8
// as itself); empty when there is none.
std::string FirstNonLatin1(const std::string& text);

// The pack types of the fields, in field order (kCdTextTitle ...).
uint8_t CdTextPackTypeOf(CdTextField field);

// Block 0, ISO 8859-1, for a disc whose tracks are numbered from 1: `tracks[k]` is the text
// of disc track k + 1 (a data track's is empty). Every field typed for the disc or a track
// gets a text for the disc and every track (empty where none was typed); the genre goes in
// with its name as the text.
CdText TypedCdTextBlock(const DiscCdText& disc, const std::vector<CdTextFields>& tracks);

// The text of a .cdt's block for `language` (or else its first single-byte block) as typed
// text: `tracks` gets one entry per track of the block's range, from track 1 on. False with
// a reason when the file has no single-byte block.
bool TypedTextOf(const CdText& text, uint8_t language, DiscCdText& disc,
                 std::vector<CdTextFields>& tracks, std::string& reason);

}  // namespace varnel
