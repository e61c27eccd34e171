// The text of a cue sheet or TOC file as its readers see it: UTF-8, split into numbered
// lines, with the encodings rippers write made uniform first.
//
// - A UTF-8 byte-order mark is dropped; a UTF-16 text with its byte-order mark (EAC's
//   "Unicode" cue sheets) is converted to UTF-8, an unpaired surrogate becoming U+FFFD.
// - Text that is not valid UTF-8 is read as Windows-1252 (Latin-1 with the printable
//   0x80–0x9F of Windows), which is what Windows rippers write, and converted.
// - CR LF, LF and a lone CR each end one line, also mixed in one text.
// - A NUL character, or a line longer than kMaxSheetLineBytes, is an error on its line;
//   a text longer than kMaxSheetBytes is refused as a whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/sheets/RipSheet.h"

namespace varnel {

inline constexpr size_t kMaxSheetLineBytes = 8192;

struct SheetLine {
  int32_t Number = 0;
  std::string_view Text;  // without its line end; points into SheetText::Utf8
};

struct SheetText {
  std::string Utf8;
  std::vector<SheetLine> Lines;
  bool FromLegacy = false;  // converted from Windows-1252/Latin-1
  bool FromUtf16 = false;

  SheetText() = default;
  // Lines point into Utf8, so a copy would point into the original.
  SheetText(const SheetText&) = delete;
  SheetText& operator=(const SheetText&) = delete;
};

// The bytes of the sheet file at `path`: a regular file of at most kMaxSheetBytes, opened
// without blocking. False with `error` (line 0, the path and the reason) otherwise.
bool ReadSheetBytes(const std::string& path, std::string& raw, RipError& error);

// Decodes `raw` into `out`; false with `error` filled on a NUL or an overlong line.
bool DecodeSheetText(std::string_view raw, SheetText& out, RipError& error);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates, ≤ U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Windows-1252 bytes (Latin-1 where Windows leaves a byte undefined) as UTF-8.
std::string LegacyToUtf8(std::string_view text);

}  // namespace varnel
