// The CD-Text reader on arbitrary bytes: it never reads outside them, and what it accepts
// is well formed, written back unchanged by the writer and turned into TOC text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/cdtext/CdText.h"
#include "formats/cdtext/CdrdaoTocText.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckBlock(const varnel::CdTextBlock& b) {
  Check(b.Number >= 0 && b.Number < 8);
  Check(b.FirstTrack >= 1 && b.FirstTrack <= b.LastTrack && b.LastTrack <= 99);
  Check(!varnel::CdTextCharsetName(b.CharacterCode).empty());
  for (const auto& [key, text] : b.Texts) {
    const varnel::CdTextPackType* row = varnel::FindCdTextPackType(key.first);
    Check(row != nullptr);
    Check(key.second == 0 || (row->Kind == varnel::CdTextKind::TrackText &&
                              key.second >= b.FirstTrack && key.second <= b.LastTrack));
    Check(text.find('\0') == std::string::npos || (b.DoubleByte() && row->BlockCharset));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  varnel::CdText text;
  std::string reason;
  if (!varnel::DecodeCdText(data, size, text, reason)) {
    Check(!reason.empty() && text.Blocks.empty());
    return 0;
  }
  Check(reason.empty() && !text.Blocks.empty() && text.Blocks.size() <= 8);
  for (size_t i = 0; i < text.Blocks.size(); ++i) {
    CheckBlock(text.Blocks[i]);
    if (i > 0) Check(text.Blocks[i - 1].Number < text.Blocks[i].Number);
  }

  // Written back (which can fail only for want of room), it reads as the same text.
  std::vector<uint8_t> packs;
  if (varnel::EncodeCdText(text, varnel::CdTextFraming::Packs, packs, reason)) {
    varnel::CdText again;
    Check(varnel::DecodeCdText(packs.data(), packs.size(), again, reason));
    Check(again == text);
  }

  varnel::TocCdText toc;
  bool single = true;
  for (const varnel::CdTextBlock& b : text.Blocks) single = single && !b.DoubleByte();
  const bool formatted = varnel::FormatTocCdText(text, 99, toc, reason);
  Check(formatted == single);
  if (formatted) {
    Check(toc.Tracks.size() == 99);
    // Quoted strings never carry a raw line feed or TAB, which cdrdao refuses.
    for (char c : toc.Disc) Check(c != '\t');
  }
  return 0;
}
