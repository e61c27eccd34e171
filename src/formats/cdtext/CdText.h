// CD-Text pack files (.cdt): the 18-byte packs a recorder writes into the lead-in of a disc,
// read into language blocks, and written from them.
//
// A pack: type (0x80..0x8F), track number, sequence number, block byte (bit 7 double-byte
// characters, bits 4-6 block number, bits 0-3 characters of the current text carried over
// from earlier packs, 15 meaning 15 or more), 12 payload bytes, and a CRC-16 with divisor
// x^16+x^12+x^5+1 over the first 16 bytes, inverted and stored high byte first.
//
// Accepted file forms, nothing else: packs only; packs followed by one zero byte (Sony's
// text files end so); a 4-byte header (big-endian count of the bytes after its first two,
// then two zero bytes, as a drive's READ TOC answer and cdrecord's cdtext.dat have it)
// followed by packs. When every pack's CRC is zero the file carries no CRCs (cdrskin
// documents such files) and is read as it is; otherwise every CRC must be right.
//
// What the reader demands of the packs: up to 8 blocks in ascending order, each one
// contiguous, its sequence numbers counting 0, 1, 2 ... (so at most 256 packs); three
// size-information packs (0x8F, track bytes 0, 1, 2) per block whose pack counts, last
// sequence numbers and language codes agree with the packs present, a known character set
// and a track range within 1..99. Texts are zero-terminated (two zero bytes in a double-byte
// block), follow one another for the disc (track 0) and then the tracks of the range in
// order, and each pack's track number and carried-over count fit the text it starts in; a
// text that is a lone TAB (two in double-byte text) repeats the text before it. A text that
// runs off the end of its packs, a repeat with nothing before it, and a non-empty text past
// the last track are refused. Anything refused comes back with a reason in plain words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varnel {

// Pack types.
inline constexpr uint8_t kCdTextTitle = 0x80;
inline constexpr uint8_t kCdTextPerformer = 0x81;
inline constexpr uint8_t kCdTextSongwriter = 0x82;
inline constexpr uint8_t kCdTextComposer = 0x83;
inline constexpr uint8_t kCdTextArranger = 0x84;
inline constexpr uint8_t kCdTextMessage = 0x85;
inline constexpr uint8_t kCdTextDiscId = 0x86;
inline constexpr uint8_t kCdTextGenre = 0x87;
inline constexpr uint8_t kCdTextTocInfo1 = 0x88;
inline constexpr uint8_t kCdTextTocInfo2 = 0x89;
inline constexpr uint8_t kCdTextClosed = 0x8D;
inline constexpr uint8_t kCdTextUpcIsrc = 0x8E;
inline constexpr uint8_t kCdTextSizeInfo = 0x8F;

// Character codes of a block (size information, byte 0).
inline constexpr uint8_t kCdTextIso8859_1 = 0x00;
inline constexpr uint8_t kCdTextAscii = 0x01;
inline constexpr uint8_t kCdTextMsJis = 0x80;
// 0x81..0x83 are double-byte Korean and Mandarin codes; sources disagree on which is which.

inline constexpr size_t kCdTextPackSize = 18;

enum class CdTextKind : uint8_t {
  TrackText,  // one text for the disc and one for each track
  DiscText,   // one text, the disc's
  Genre,      // two bytes of genre code, then a text
  Binary,     // payload kept as found
  SizeInfo,   // the block summary, made by the writer
};

// The one table both directions work from.
struct CdTextPackType {
  uint8_t Code;
  CdTextKind Kind;
  bool BlockCharset;     // text in the block's character set, so double-byte in such a block
  const char* TocName;   // cdrdao's item for the disc; nullptr where cdrdao has none we write
  const char* TocTrack;  // cdrdao's item for a track; nullptr where it takes none
};

// The row of a type 0x80..0x8F; nullptr for any other byte.
const CdTextPackType* FindCdTextPackType(uint8_t code);

// Display name of a character code ("ISO 8859-1", "MS-JIS" ...); empty for an unknown one.
std::string CdTextCharsetName(uint8_t code);

// The stored CRC of a pack: the 16-bit division remainder of its first 16 bytes, inverted.
uint16_t CdTextPackCrc(const uint8_t* pack);

struct CdTextGenre {
  uint16_t Code = 0;  // 0 "not used", 1 "not defined", 2.. the table of the CD-Text standard
  std::string Text;
  friend bool operator==(const CdTextGenre&, const CdTextGenre&) = default;
};

struct CdTextBlock {
  int32_t Number = 0;       // 0..7
  uint8_t Language = 0x09;  // EBU code: 0x09 English, 0x08 German, 0x69 Japanese
  uint8_t CharacterCode = kCdTextIso8859_1;
  uint8_t Copyright = 0;  // size information, byte 3, as found
  int32_t FirstTrack = 1;
  int32_t LastTrack = 1;
  // Key (pack type, track); track 0 is the disc. Bytes in the block's character set (pairs
  // for double-byte text), without terminator. Read back, a track-text type that occurs at
  // all has an entry for the disc and for every track of the range, empty where none was
  // written; the writer fills the same gaps.
  std::map<std::pair<uint8_t, int32_t>, std::string> Texts;
  std::optional<CdTextGenre> Genre;
  std::map<uint8_t, std::vector<uint8_t>> Binary;  // 0x88..0x8C payloads, 12 bytes a pack

  bool DoubleByte() const { return CharacterCode >= 0x80; }
  // nullptr when there is none.
  const std::string* Text(uint8_t type, int32_t track) const;
  void SetText(uint8_t type, int32_t track, std::string text) {
    Texts[{type, track}] = std::move(text);
  }
  friend bool operator==(const CdTextBlock&, const CdTextBlock&) = default;
};

struct CdText {
  std::vector<CdTextBlock> Blocks;  // ascending block numbers
  friend bool operator==(const CdText&, const CdText&) = default;
};

// Largest file the reader looks at: 8 full blocks, a header and a trailing byte.
inline constexpr int64_t kCdTextMaxFileBytes = 8 * 256 * kCdTextPackSize + 5;

// Decodes a whole file's bytes. False, `reason` set and `text` cleared when they are not
// valid CD-Text.
bool DecodeCdText(const uint8_t* data, size_t size, CdText& text, std::string& reason);
// Reads and decodes the file at `path`; a file that cannot be read gives false too, with
// the system's reason ("No such file or directory").
bool ReadCdTextFile(const std::string& path, CdText& text, std::string& reason);

enum class CdTextFraming {
  Packs,         // the packs only
  SizeHeader,    // the 4-byte header first
  TrailingZero,  // one zero byte after the last pack
};

// Builds the packs of `text`: per block the track-text types in type order (a text equal to
// the previous track's, from the second track of the range on, as a TAB), then disc texts,
// genre, binary payloads and the three size-information packs, all with their CRCs. False
// with a reason when the text cannot be written: no block or more than 8, block numbers not
// ascending within 0..7, a track range outside 1..99, a text for a track outside the range
// or holding its own terminator, a lone TAB, an odd-length double-byte text, or more than
// 256 packs in a block.
bool EncodeCdText(const CdText& text, CdTextFraming framing, std::vector<uint8_t>& out,
                  std::string& reason);

// The packs EncodeCdText makes of `block`, its three size-information packs counted, even
// beyond the 256 a block holds; -1 when the block cannot be written for another reason.
int32_t CdTextBlockPackCount(const CdTextBlock& block);
inline constexpr int32_t kCdTextMaxPacks = 256;

}  // namespace varnel
