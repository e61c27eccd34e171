// The CD-Text a user types: six texts for the disc and for each track (title, performer,
// songwriter, composer, arranger, message), and for the disc also a genre from the list
// of the CD-Text standard and the language of the text. Texts are UTF-8 as typed; what
// the packs of a disc can carry of them (ISO 8859-1, one block) is decided where they
// are written. A track keeps its own text, so the text moves with the track.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace varnel {

inline constexpr int kCdTextFieldCount = 6;

enum class CdTextField : uint8_t { Title, Performer, Songwriter, Composer, Arranger, Message };

// "Title", "Performer" ...: the captions of the fields, in field order.
extern const char* const kCdTextFieldNames[kCdTextFieldCount];

struct CdTextFields {
  std::array<std::string, kCdTextFieldCount> Texts;

  std::string& operator[](CdTextField f) { return Texts[static_cast<size_t>(f)]; }
  const std::string& operator[](CdTextField f) const { return Texts[static_cast<size_t>(f)]; }
  bool Empty() const;
  friend bool operator==(const CdTextFields&, const CdTextFields&) = default;
};

// EBU language codes of a CD-Text block.
inline constexpr uint8_t kCdTextLanguageEnglish = 0x09;

// The genres of the CD-Text standard: code 0 is "not used", 1 "not defined", 2 to 28 the
// named ones. The name of a code outside 0..28 is empty.
inline constexpr int kCdTextGenreCount = 29;
const char* CdTextGenreName(int code);

struct DiscCdText {
  CdTextFields Fields;
  uint16_t Genre = 0;  // 0: none given
  uint8_t Language = kCdTextLanguageEnglish;
  // No text and no genre (the language alone is no text).
  bool Empty() const { return Fields.Empty() && Genre == 0; }
  friend bool operator==(const DiscCdText&, const DiscCdText&) = default;
};

}  // namespace varnel
