// The cdrdao TOC reader on arbitrary bytes: it ends, and what it accepts keeps every
// promise of the sheet picture (tracks 1-99 numbered in order, each with contents, pieces
// that name listed files, lengths that are positive or "to the end", index increments
// after the track start and in order, lines that exist).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/sheets/SheetText.h"
#include "formats/sheets/TocFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using varnel::RipPieceKind;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const varnel::RipResult r = varnel::ReadTocText(text, "/rips");
  varnel::SheetText decoded;
  varnel::RipError stop;  // a NUL or an overlong line ends the decoding on its line
  varnel::DecodeSheetText(text, decoded, stop);
  const int32_t lines = std::max(static_cast<int32_t>(decoded.Lines.size()), stop.Line);
  if (!r.Ok) {
    if (r.Error.Message.empty() || r.Error.Line < 0 || r.Error.Line > lines) std::abort();
    return 0;
  }
  const varnel::RipSheet& s = r.Sheet;
  const auto files = static_cast<int32_t>(s.Files.size());
  if (s.Tracks.empty() || s.Tracks.size() > 99) std::abort();
  for (size_t n = 0; n < s.Tracks.size(); ++n) {
    const varnel::RipTrack& t = s.Tracks[n];
    if (t.Number != static_cast<int32_t>(n) + 1 || t.Line < 1 || t.Line > lines) std::abort();
    if (t.Pieces.empty() || t.PreGapSilence < 0 || t.BlockSize <= 0) std::abort();
    for (const varnel::RipPiece& p : t.Pieces) {
      const bool fromFile = p.Kind == RipPieceKind::Audio || p.Kind == RipPieceKind::Data;
      if (fromFile != (p.File >= 0) || p.File >= files) std::abort();
      if (p.Length == 0 || p.Length < -1 || (!fromFile && p.Length < 0)) std::abort();
      if (p.Start < 0 || p.ByteOffset < 0 || p.Line < t.Line || p.Line > lines) std::abort();
      if (p.Kind == RipPieceKind::Audio && !t.Audio) std::abort();
    }
    if (t.Start.Line != 0 && (t.PreGapSilence > 0 || t.Start.Position < -1)) std::abort();
    if (t.Start.PiecesBefore < 0 || t.Start.PiecesBefore > static_cast<int32_t>(t.Pieces.size())) {
      std::abort();
    }
    int64_t last = 0;
    for (size_t i = 0; i < t.Indices.size(); ++i) {
      const varnel::RipIndex& index = t.Indices[i];
      if (index.Number != static_cast<int32_t>(i) + 2 || index.File != -1) std::abort();
      if (index.Position <= last || index.Line > lines) std::abort();
      last = index.Position;
    }
  }
  return 0;
}
