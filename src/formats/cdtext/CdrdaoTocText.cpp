#include "formats/cdtext/CdrdaoTocText.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "model/CdTime.h"

namespace varnel {

namespace {

constexpr size_t kLongestRun = 1000;

std::string Octal(uint8_t byte) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\%03o", byte);
  return buf;
}

std::string BinaryItem(const std::vector<uint8_t>& bytes) {
  std::string out = "{";
  for (size_t i = 0; i < bytes.size(); ++i) {
    out += (i == 0 ? " " : ", ") + std::to_string(bytes[i]);
  }
  return out + " }";
}

std::string GenreItem(const CdTextGenre& genre) {
  std::vector<uint8_t> bytes{static_cast<uint8_t>(genre.Code >> 8),
                             static_cast<uint8_t>(genre.Code & 0xFF)};
  bytes.insert(bytes.end(), genre.Text.begin(), genre.Text.end());
  bytes.push_back(0);
  return BinaryItem(bytes);
}

// The TOC items of one language: [0] for the disc, [k] for track k.
using Items = std::vector<std::string>;

void AddLine(std::string& to, const char* name, const std::string& value) {
  to += "    ";
  to += name;
  to += ' ';
  to += value;
  to += '\n';
}

Items LanguageItems(const CdTextBlock& block, int32_t trackCount, bool genreEverywhere) {
  Items items(static_cast<size_t>(trackCount) + 1);
  std::set<uint8_t> used{kCdTextTitle, kCdTextPerformer};
  for (const auto& [key, text] : block.Texts) {
    if (key.second <= trackCount) used.insert(key.first);
  }
  for (uint8_t code = 0x80; code <= 0x8F; ++code) {
    const CdTextPackType& row = *FindCdTextPackType(code);
    if (row.TocName == nullptr) continue;
    if (row.Kind == CdTextKind::TrackText && used.count(code) != 0) {
      for (int32_t t = 0; t <= trackCount; ++t) {
        const std::string* text = block.Text(code, t);
        AddLine(items[static_cast<size_t>(t)], t == 0 ? row.TocName : row.TocTrack,
                TocString(text != nullptr ? *text : std::string()));
      }
    } else if (row.Kind == CdTextKind::DiscText) {
      if (const std::string* text = block.Text(code, 0)) {
        AddLine(items[0], row.TocName, TocString(*text));
      }
    } else if (row.Kind == CdTextKind::Genre && (block.Genre || genreEverywhere)) {
      AddLine(items[0], row.TocName, GenreItem(block.Genre.value_or(CdTextGenre{})));
    }
  }
  return items;
}

std::string Wrap(const std::string& head, const std::vector<std::string>& languages) {
  std::string out = "CD_TEXT {\n" + head;
  for (size_t i = 0; i < languages.size(); ++i) {
    out += "  LANGUAGE " + std::to_string(i) + " {\n" + languages[i] + "  }\n";
  }
  return out + "}\n";
}

}  // namespace

std::string TocString(std::string_view bytes) {
  std::string out = "\"";
  size_t run = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    const bool plain = byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\';
    if (plain && run < kLongestRun) {
      out += c;
      ++run;
    } else {
      out += Octal(byte);
      run = 0;
    }
  }
  return out + "\"";
}

bool FormatTocCdText(const CdText& text, int32_t trackCount, TocCdText& out, std::string& reason) {
  out = {};
  reason.clear();
  if (trackCount < 1 || trackCount > 99) {
    reason = "a disc has 1 to 99 tracks, not " + std::to_string(trackCount);
    return false;
  }
  for (const CdTextBlock& block : text.Blocks) {
    if (block.DoubleByte()) {
      reason = "block " + std::to_string(block.Number) + " uses the character set " +
               CdTextCharsetName(block.CharacterCode) + ", which cdrdao cannot write";
      return false;
    }
  }
  if (text.Blocks.empty()) {
    out.Tracks.resize(static_cast<size_t>(trackCount));
    return true;
  }
  const bool genre = std::any_of(text.Blocks.begin(), text.Blocks.end(),
                                 [](const CdTextBlock& b) { return b.Genre.has_value(); });
  std::string map = "  LANGUAGE_MAP {\n";
  std::vector<Items> languages;
  for (size_t i = 0; i < text.Blocks.size(); ++i) {
    map += "    " + std::to_string(i) + " : " + std::to_string(text.Blocks[i].Language) + "\n";
    languages.push_back(LanguageItems(text.Blocks[i], trackCount, genre));
  }
  map += "  }\n";
  auto column = [&](size_t t) {
    std::vector<std::string> c;
    for (const Items& items : languages) c.push_back(items[t]);
    return c;
  };
  out.Disc = Wrap(map, column(0));
  for (int32_t t = 1; t <= trackCount; ++t) {
    out.Tracks.push_back(Wrap({}, column(static_cast<size_t>(t))));
  }
  return true;
}

void SwapCdgAudioBytes(uint8_t* sectors, size_t sectorCount) {
  for (size_t s = 0; s < sectorCount; ++s) {
    uint8_t* audio = sectors + s * kCdgSectorBytes;
    for (int32_t i = 0; i < kBytesPerCdFrame; i += 2) std::swap(audio[i], audio[i + 1]);
  }
}

std::string CdgTocTrackData(const std::string& imagePath, int64_t sectors, int64_t preGapFrames) {
  std::string out;
  if (preGapFrames > 0) {
    out += "ZERO " + FormatMsf(FramesToMsf(preGapFrames)) + "\nSTART\n";
  }
  out += "DATAFILE " + TocString(imagePath) + " " + FormatMsf(FramesToMsf(sectors)) + "\n";
  return out;
}

}  // namespace varnel
