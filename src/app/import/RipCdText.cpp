#include "app/import/RipCdText.h"

#include <set>
#include <utility>

#include "app/editors/CdTextEditor.h"
#include "formats/audio/AudioTags.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

CdTextFields FieldsOf(const RipCdText& text) {
  return {
      {text.Title, text.Performer, text.Songwriter, text.Composer, text.Arranger, text.Message}};
}

// The text of the chosen block among a disc's or a track's.
const RipCdText* InBlock(const std::vector<RipCdText>& texts, int32_t block) {
  for (const RipCdText& t : texts) {
    if (t.Block == block) return &t;
  }
  return nullptr;
}

}  // namespace

void TakeSheetCdText(const RipSheet& sheet, const std::map<const RipTrack*, int32_t>& discTrack,
                     int32_t firstAudio, DiscLayout& layout) {
  int32_t block = 0;
  for (const RipLanguage& l : sheet.Languages) {
    if (l.Code == kCdTextLanguageEnglish) block = l.Block;
  }
  for (const RipLanguage& l : sheet.Languages) {
    if (l.Block == block) layout.CdText.Language = static_cast<uint8_t>(l.Code);
  }
  if (const RipCdText* disc = InBlock(sheet.CdTextContent, block)) {
    layout.CdText.Fields = FieldsOf(*disc);
    for (int code = 1; code < kCdTextGenreCount; ++code) {
      if (disc->Genre == CdTextGenreName(code)) layout.CdText.Genre = static_cast<uint16_t>(code);
    }
  }
  std::map<std::string, int32_t> plays;  // tracks per file
  for (int32_t i = 0; i < layout.Count(); ++i) ++plays[layout.At(i).TrackFileName];
  for (const RipTrack& t : sheet.Tracks) {
    const auto it = discTrack.find(&t);
    if (it == discTrack.end() || it->second < firstAudio) continue;
    if (const RipCdText* text = InBlock(t.CdTextContent, block)) {
      layout.At(it->second - firstAudio).CdText = FieldsOf(*text);
    }
  }
  std::vector<AudioTags> tags;
  for (int32_t i = 0; i < layout.Count(); ++i) {
    Track& track = layout.At(i);
    if (LowerExtensionOf(track.TrackFileName) != ".flac") continue;
    tags.push_back(ReadAudioTags(track.TrackFileName));
    std::string isrc = track.ISRC;
    if (plays[track.TrackFileName] == 1) FillTrackFromTags(track.CdText, isrc, tags.back(), false);
  }
  if (!tags.empty()) FillDiscFromTags(layout.CdText.Fields, tags, false);
}

}  // namespace varnel
