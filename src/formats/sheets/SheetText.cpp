// Sheet text decoding and line splitting.
#include "formats/sheets/SheetText.h"

#include <array>
#include <cerrno>

#include "model/PosixFile.h"

namespace varnel {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Windows-1252 0x80–0x9F; 0 where Windows defines nothing (the Latin-1 control is kept).
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string Utf16ToUtf8(std::string_view raw, bool bigEndian) {
  std::string out;
  out.reserve(raw.size());
  auto unit = [&](size_t i) -> uint32_t {
    const auto a = static_cast<unsigned char>(raw[i]);
    const auto b = static_cast<unsigned char>(raw[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  const size_t n = raw.size() & ~size_t{1};  // an odd last byte is not a character
  for (size_t i = 0; i < n; i += 2) {
    uint32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 2 < n) {
      const uint32_t lo = unit(i + 2);
      if (lo >= 0xDC00 && lo < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
    AppendUtf8(out, u);
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < len) return false;
    for (size_t k = 1; k < len; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp < 0xE000)) {
      return false;
    }
    i += len;
  }
  return true;
}

std::string LegacyToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    uint32_t cp = c;
    if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0) cp = kCp1252High[c - 0x80];
    AppendUtf8(out, cp);
  }
  return out;
}

bool ReadSheetBytes(const std::string& path, std::string& raw, RipError& error) {
  try {
    raw = ReadWholeFile(path, kMaxSheetBytes);
    return true;
  } catch (const FileError& e) {
    if (e.Errno() == EFBIG) {
      error = {0, "The sheet \"" + path + "\" is larger than " +
                      std::to_string(kMaxSheetBytes / 1024) +
                      " KiB; no cue sheet or TOC file is that long."};
    } else {
      error = {0, "The sheet \"" + path + "\" cannot be read: " + ErrnoText(e.Errno()) + "."};
    }
    return false;
  }
}

bool DecodeSheetText(std::string_view raw, SheetText& out, RipError& error) {
  out.Utf8.clear();
  out.Lines.clear();
  out.FromLegacy = out.FromUtf16 = false;
  if (raw.size() > static_cast<size_t>(kMaxSheetBytes)) {
    error = {0, "The sheet is larger than " + std::to_string(kMaxSheetBytes / 1024) +
                    " KiB; no cue sheet or TOC file is that long."};
    return false;
  }
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    out.Utf8 = Utf16ToUtf8(raw.substr(2), false);
    out.FromUtf16 = true;
  } else if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFE &&
             static_cast<unsigned char>(raw[1]) == 0xFF) {
    out.Utf8 = Utf16ToUtf8(raw.substr(2), true);
    out.FromUtf16 = true;
  } else {
    if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    if (IsValidUtf8(raw)) {
      out.Utf8.assign(raw);
    } else {
      out.Utf8 = LegacyToUtf8(raw);
      out.FromLegacy = true;
    }
  }

  const std::string_view text = out.Utf8;
  size_t start = 0;
  int32_t number = 1;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
      if (text[end] == '\0') {
        error = {number, "The line holds a NUL character."};
        return false;
      }
      ++end;
    }
    if (end - start > kMaxSheetLineBytes) {
      error = {number, "The line is longer than " + std::to_string(kMaxSheetLineBytes) + " bytes."};
      return false;
    }
    out.Lines.push_back({number, text.substr(start, end - start)});
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
    ++number;
  }
  return true;
}

}  // namespace varnel
