#include "app/import/RipCdText.h"

#include <utility>

namespace varnel {

namespace {

// The CD-Text items of one language block as pack types.
void AddCdTextItems(CdTextBlock& block, const RipCdText& text, int32_t track) {
  const std::pair<uint8_t, const std::string*> items[] = {
      {kCdTextTitle, &text.Title},           {kCdTextPerformer, &text.Performer},
      {kCdTextSongwriter, &text.Songwriter}, {kCdTextComposer, &text.Composer},
      {kCdTextArranger, &text.Arranger},     {kCdTextMessage, &text.Message},
  };
  for (const auto& [type, value] : items) {
    if (!value->empty()) block.SetText(type, track, Utf8ToLatin1(*value));
  }
  if (track == 0) {
    if (!text.DiscId.empty()) block.SetText(kCdTextDiscId, 0, Utf8ToLatin1(text.DiscId));
    if (!text.UpcEan.empty()) block.SetText(kCdTextUpcIsrc, 0, Utf8ToLatin1(text.UpcEan));
    if (!text.Genre.empty()) block.Genre = CdTextGenre{1, Utf8ToLatin1(text.Genre)};
  } else if (!text.Isrc.empty()) {
    block.SetText(kCdTextUpcIsrc, track, Utf8ToLatin1(text.Isrc));
  }
}

}  // namespace

std::optional<CdText> CdTextOf(const RipSheet& sheet,
                               const std::map<const RipTrack*, int32_t>& discTrack,
                               int32_t tracks) {
  std::map<int32_t, CdTextBlock> blocks;
  auto blockOf = [&](int32_t number) -> CdTextBlock& {
    auto [it, added] = blocks.try_emplace(number);
    if (added) {
      it->second.Number = number;
      it->second.FirstTrack = 1;
      it->second.LastTrack = tracks;
      for (const RipLanguage& l : sheet.Languages) {
        if (l.Block == number) it->second.Language = static_cast<uint8_t>(l.Code);
      }
    }
    return it->second;
  };
  for (const RipCdText& text : sheet.CdTextContent) {
    if (!text.Empty()) AddCdTextItems(blockOf(text.Block), text, 0);
  }
  for (const RipTrack& t : sheet.Tracks) {
    const auto it = discTrack.find(&t);
    if (it == discTrack.end() || it->second == 0) continue;
    for (const RipCdText& text : t.CdTextContent) {
      if (!text.Empty()) AddCdTextItems(blockOf(text.Block), text, it->second);
    }
  }
  if (blocks.empty() || tracks < 1) return std::nullopt;
  CdText cdText;
  for (auto& [number, block] : blocks) {
    if (number >= 0 && number <= 7) cdText.Blocks.push_back(std::move(block));
  }
  if (cdText.Blocks.empty()) return std::nullopt;
  return cdText;
}

}  // namespace varnel
