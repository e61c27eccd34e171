// CD-Text the tests write and read: named samples, each with every track-text type filled
// for the disc and all tracks, the form the reader gives back. NoEmptyText tells those
// whose texts are all non-empty and whose tracks start at 1, which libcdio reads right (it
// loses count at empty texts).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/cdtext/CdText.h"

namespace varnel::test {

// texts[0] for the disc, texts[k] for the k-th track of the block's range.
inline void Fill(CdTextBlock& block, uint8_t type, const std::vector<std::string>& texts) {
  for (size_t i = 0; i < texts.size(); ++i) {
    block.SetText(type, i == 0 ? 0 : block.FirstTrack + static_cast<int32_t>(i) - 1, texts[i]);
  }
}

inline CdTextBlock Block(int32_t number, uint8_t language, int32_t first, int32_t last) {
  CdTextBlock b;
  b.Number = number;
  b.Language = language;
  b.FirstTrack = first;
  b.LastTrack = last;
  return b;
}

struct CdTextSample {
  std::string Name;
  CdText Text;
};

inline bool NoEmptyText(const CdText& text) {
  for (const CdTextBlock& b : text.Blocks) {
    if (b.FirstTrack != 1) return false;
    for (const auto& entry : b.Texts) {
      if (entry.second.empty()) return false;
    }
  }
  return true;
}

inline std::vector<CdTextSample> CdTextSamples() {
  std::vector<CdTextSample> samples;
  {
    CdText t;
    CdTextBlock b = Block(0, 0x09, 1, 3);
    Fill(b, kCdTextTitle, {"Album", "Song one", "Song two", "Song three"});
    Fill(b, kCdTextPerformer, {"The Band", "The Band", "The Band", "The Band"});
    t.Blocks.push_back(b);
    samples.push_back({"RepeatedPerformer", t});
  }
  {
    CdText t;
    CdTextBlock b = Block(0, 0x09, 1, 4);
    b.Copyright = 3;
    Fill(b, kCdTextTitle,
         {"A title long enough to run over more than two packs, so the count saturates",
          "Caf\xE9 \"Quoted\" \\ back", "x", "", "Last"});
    Fill(b, kCdTextPerformer, {"Perf", "Guest", "Guest", "Perf", "Perf"});
    Fill(b, kCdTextSongwriter, {"", "Writer", "", "", "Writer"});
    Fill(b, kCdTextComposer, {"Comp", "Comp", "Comp", "Comp", "Comp"});
    Fill(b, kCdTextArranger, {"", "", "", "Arr", ""});
    Fill(b, kCdTextMessage, {"Thanks", "", "", "", ""});
    Fill(b, kCdTextUpcIsrc, {"0123456789012", "DEXXX9800001", "", "DEXXX9800003", ""});
    b.SetText(kCdTextDiscId, 0, "XY12345");
    b.Genre = CdTextGenre{0x0005, "Classical, baroque"};
    t.Blocks.push_back(b);
    samples.push_back({"EveryTextItem", t});
  }
  {
    CdText t;
    CdTextBlock b = Block(0, 0x09, 1, 3);
    Fill(b, kCdTextTitle,
         {std::string(150, 'T') + " \xC6\xD8\xC5", "\"Quoted\" \\ and \xE9", "Two", "Two"});
    Fill(b, kCdTextPerformer, {"Ensemble", "Soloist", "Ensemble", "Ensemble"});
    Fill(b, kCdTextSongwriter, {"W", "W", "W2", "W"});
    Fill(b, kCdTextComposer, {"Bach", "Bach", "Bach", "Telemann"});
    Fill(b, kCdTextArranger, {"Arr", "Arr one", "Arr two", "Arr two"});
    Fill(b, kCdTextMessage, {"Enjoy", "Live", "Live", "Studio"});
    Fill(b, kCdTextUpcIsrc, {"0123456789012", "DEXXX9800001", "DEXXX9800002", "DEXXX9800003"});
    b.SetText(kCdTextDiscId, 0, "XY12345");
    b.Genre = CdTextGenre{0x0005, "Baroque"};
    t.Blocks.push_back(b);
    samples.push_back({"EveryItemFilled", t});
  }
  {
    CdText t;
    CdTextBlock en = Block(0, 0x09, 1, 2);
    Fill(en, kCdTextTitle, {"Album", "One", "Two"});
    Fill(en, kCdTextPerformer, {"Band", "Band", "Band"});
    en.Genre = CdTextGenre{0x0017, "Rock"};
    CdTextBlock de = Block(1, 0x08, 1, 2);
    Fill(de, kCdTextTitle, {"Sch\xF6nes Album", "Eins", "Zwei"});
    Fill(de, kCdTextPerformer, {"Kapelle", "Gast", "Kapelle"});
    t.Blocks = {en, de};
    samples.push_back({"TwoLanguages", t});
  }
  {
    CdText t;
    CdTextBlock b = Block(0, 0x69, 1, 3);
    b.CharacterCode = kCdTextMsJis;
    // Shift-JIS katakana, two bytes a character; the ISRC stays single-byte.
    Fill(b, kCdTextTitle, {"\x83\x41\x83\x8B\x83\x6F\x83\x80", "\x83\x41", "\x83\x41", "\x83\x4A"});
    Fill(b, kCdTextUpcIsrc, {"4988000000000", "JPXXX0000001", "JPXXX0000002", "JPXXX0000003"});
    t.Blocks.push_back(b);
    samples.push_back({"DoubleByte", t});
  }
  {
    CdText t;
    CdTextBlock b = Block(0, 0x09, 5, 7);
    b.CharacterCode = kCdTextAscii;
    Fill(b, kCdTextTitle, {"Second disc", "Five", "Six", "Six"});
    b.Binary[kCdTextTocInfo1] = {5, 7, 0, 20, 2, 3, 0, 0, 0, 0, 0, 0};
    t.Blocks.push_back(b);
    samples.push_back({"LaterTracksAndTocInfo", t});
  }
  return samples;
}

}  // namespace varnel::test
