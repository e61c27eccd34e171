#include "formats/cdtext/TypedCdText.h"

#include <algorithm>

namespace varnel {

namespace {

// The length of the UTF-8 sequence that starts at text[i] and its code point; a byte that
// starts no valid sequence is one character of its own (code 0xFFFFFFFF).
size_t NextCharacter(const std::string& text, size_t i, uint32_t& code) {
  const auto c = static_cast<unsigned char>(text[i]);
  const size_t length = c < 0x80           ? 1
                        : (c >> 5) == 0x06 ? 2
                        : (c >> 4) == 0x0E ? 3
                        : (c >> 3) == 0x1E ? 4
                                           : 0;
  code = 0xFFFFFFFFu;
  if (length == 0 || i + length > text.size()) return 1;
  uint32_t value = length == 1 ? c : c & (0x7Fu >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 1;
    value = (value << 6) | (next & 0x3Fu);
  }
  code = value;
  return length;
}

}  // namespace

std::string Utf8ToLatin1(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t code = 0;
    i += NextCharacter(text, i, code);
    out += code <= 0xFF ? static_cast<char>(code) : '?';
  }
  return out;
}

std::string Latin1ToUtf8(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string FirstNonLatin1(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    uint32_t code = 0;
    const size_t length = NextCharacter(text, i, code);
    if (code > 0xFF) return text.substr(i, length);
    i += length;
  }
  return {};
}

uint8_t CdTextPackTypeOf(CdTextField field) {
  return static_cast<uint8_t>(kCdTextTitle + static_cast<uint8_t>(field));
}

CdText TypedCdTextBlock(const DiscCdText& disc, const std::vector<CdTextFields>& tracks) {
  CdTextBlock block;
  block.Language = disc.Language;
  block.FirstTrack = 1;
  block.LastTrack = std::max<int32_t>(1, static_cast<int32_t>(tracks.size()));
  for (int f = 0; f < kCdTextFieldCount; ++f) {
    const auto field = static_cast<CdTextField>(f);
    bool used = !disc.Fields[field].empty();
    for (const CdTextFields& t : tracks) used = used || !t[field].empty();
    if (!used) continue;
    const uint8_t type = CdTextPackTypeOf(field);
    block.SetText(type, 0, Utf8ToLatin1(disc.Fields[field]));
    for (size_t k = 0; k < tracks.size(); ++k) {
      block.SetText(type, static_cast<int32_t>(k + 1), Utf8ToLatin1(tracks[k][field]));
    }
  }
  if (disc.Genre != 0) block.Genre = CdTextGenre{disc.Genre, CdTextGenreName(disc.Genre)};
  CdText text;
  text.Blocks.push_back(std::move(block));
  return text;
}

bool TypedTextOf(const CdText& text, uint8_t language, DiscCdText& disc,
                 std::vector<CdTextFields>& tracks, std::string& reason) {
  const CdTextBlock* chosen = nullptr;
  for (const CdTextBlock& block : text.Blocks) {
    if (block.DoubleByte()) continue;
    if (chosen == nullptr || (block.Language == language && chosen->Language != language)) {
      chosen = &block;
    }
  }
  if (chosen == nullptr) {
    reason = "it holds no text in a single-byte character set";
    return false;
  }
  disc = {};
  disc.Language = chosen->Language;
  tracks.assign(static_cast<size_t>(std::max<int32_t>(0, chosen->LastTrack)), {});
  for (int f = 0; f < kCdTextFieldCount; ++f) {
    const auto field = static_cast<CdTextField>(f);
    const uint8_t type = CdTextPackTypeOf(field);
    if (const std::string* t = chosen->Text(type, 0)) disc.Fields[field] = Latin1ToUtf8(*t);
    for (int32_t n = chosen->FirstTrack; n <= chosen->LastTrack; ++n) {
      if (const std::string* t = chosen->Text(type, n)) {
        tracks[static_cast<size_t>(n - 1)][field] = Latin1ToUtf8(*t);
      }
    }
  }
  if (chosen->Genre && chosen->Genre->Code < kCdTextGenreCount) disc.Genre = chosen->Genre->Code;
  return true;
}

}  // namespace varnel
