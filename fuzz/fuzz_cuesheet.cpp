// The cue sheet reader on arbitrary bytes: it ends, and what it accepts keeps every promise
// of the sheet picture (tracks 1-99 in order with INDEX 01, index numbers in order, every
// index in a listed file and never before an earlier one of that file, lines that exist).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/sheets/CueSheetReader.h"
#include "formats/sheets/SheetText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const varnel::RipResult r = varnel::ReadCueSheetText(text, "/rips");
  varnel::SheetText decoded;
  varnel::RipError stop;  // a NUL or an overlong line ends the decoding on its line
  varnel::DecodeSheetText(text, decoded, stop);
  const int32_t lines = std::max(static_cast<int32_t>(decoded.Lines.size()), stop.Line);
  if (!r.Ok) {
    if (r.Error.Message.empty() || r.Error.Line < 0 || r.Error.Line > lines) std::abort();
    return 0;
  }
  const varnel::RipSheet& s = r.Sheet;
  if (s.Tracks.empty() || s.Tracks.size() > 99 || s.Files.empty()) std::abort();
  for (const varnel::RipFile& f : s.Files) {
    if (f.Name.empty() || f.Path.empty() || f.Line < 1 || f.Line > lines) std::abort();
  }
  for (const varnel::RipError& w : s.Warnings) {
    if (w.Line < 0 || w.Line > lines) std::abort();
  }
  int32_t previousTrack = 0;
  int32_t lastFile = 0;
  int64_t lastPosition = 0;
  for (const varnel::RipTrack& t : s.Tracks) {
    if (t.Number <= previousTrack || t.Number > 99 || t.Line < 1 || t.Line > lines) std::abort();
    previousTrack = t.Number;
    if (t.FindIndex(1) == nullptr || t.PreGapSilence < 0 || t.PostGapSilence < 0) std::abort();
    if (t.Indices.front().Number > 1) std::abort();
    for (size_t i = 0; i < t.Indices.size(); ++i) {
      const varnel::RipIndex& index = t.Indices[i];
      if (i > 0 && index.Number != t.Indices[i - 1].Number + 1) std::abort();
      if (index.File < lastFile || index.File >= static_cast<int32_t>(s.Files.size())) std::abort();
      if (index.File == lastFile && index.Position < lastPosition) std::abort();
      if (index.Position < 0 || index.Position % 588 != 0) std::abort();
      if (index.Line <= t.Line || index.Line > lines) std::abort();
      lastFile = index.File;
      lastPosition = index.Position;
    }
  }
  return 0;
}
