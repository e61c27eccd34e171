// The cdrdao TOC reader on arbitrary bytes: it ends, and what it accepts keeps every
// promise of the sheet picture (tracks 1-99 numbered in order, each with contents, pieces
// that name listed files, lengths that are positive or "to the end", index increments
// after the track start and in order, lines that exist).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "SheetText.h"
#include "TocFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using varnel::TRipPieceKind;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const varnel::TRipResult r = varnel::ReadTocText(text, "/rips");
  varnel::TSheetText decoded;
  varnel::TRipError stop;  // a NUL or an overlong line ends the decoding on its line
  varnel::DecodeSheetText(text, decoded, stop);
  const int32_t lines = std::max(static_cast<int32_t>(decoded.Lines.size()), stop.Line);
  if (!r.Ok) {
    if (r.Error.Message.empty() || r.Error.Line < 0 || r.Error.Line > lines) std::abort();
    return 0;
  }
  const varnel::TRipSheet& s = r.Sheet;
  const auto files = static_cast<int32_t>(s.Files.size());
  if (s.Tracks.empty() || s.Tracks.size() > 99) std::abort();
  for (size_t n = 0; n < s.Tracks.size(); ++n) {
    const varnel::TRipTrack& t = s.Tracks[n];
    if (t.Number != static_cast<int32_t>(n) + 1 || t.Line < 1 || t.Line > lines) std::abort();
    if (t.Pieces.empty() || t.PreGapSilence < 0 || t.BlockSize <= 0) std::abort();
    for (const varnel::TRipPiece& p : t.Pieces) {
      const bool fromFile = p.Kind == TRipPieceKind::Audio || p.Kind == TRipPieceKind::Data;
      if (fromFile != (p.File >= 0) || p.File >= files) std::abort();
      if (p.Length == 0 || p.Length < -1 || (!fromFile && p.Length < 0)) std::abort();
      if (p.Start < 0 || p.ByteOffset < 0 || p.Line < t.Line || p.Line > lines) std::abort();
      if (p.Kind == TRipPieceKind::Audio && !t.Audio) std::abort();
    }
    if (t.Start.Line != 0 && (t.PreGapSilence > 0 || t.Start.Position < -1)) std::abort();
    if (t.Start.PiecesBefore < 0 || t.Start.PiecesBefore > static_cast<int32_t>(t.Pieces.size())) {
      std::abort();
    }
    int64_t last = 0;
    for (size_t i = 0; i < t.Indices.size(); ++i) {
      const varnel::TRipIndex& index = t.Indices[i];
      if (index.Number != static_cast<int32_t>(i) + 2 || index.File != -1) std::abort();
      if (index.Position <= last || index.Line > lines) std::abort();
      last = index.Position;
    }
  }
  return 0;
}
