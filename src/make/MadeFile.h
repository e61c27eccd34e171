// A file that one track of a Make run makes, described before anything is written. Most are
// an optional 44-byte wave header followed by pieces that are either zero bytes or a stretch
// of a source file; two kinds are made from a source as a whole: the wave file decoded from
// an MP3 track, and the copy of a CD+G file whose audio bytes are swapped for cdrdao. The
// track writers describe the file while they scan their sources; the run writes it once
// every track has been planned and no output clashes with an input. Each source stays open
// from its scan to its copy, so what was scanned is what is copied.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Track.h"

namespace varnel {

class SourceFile;

enum class MadeKind : uint8_t {
  Pieces,       // the pieces, behind a wave header when WaveHeader is set
  DecodedWave,  // Decoded decoded to 44 100 Hz 16-bit stereo, padded to whole CD frames
  SwappedCdg,   // the pieces (whole CD+G sectors), each sector's audio bytes swapped pairwise
};

struct MadeFile {
  struct Piece {
    std::shared_ptr<const SourceFile> Source;  // none: Length zero bytes
    int64_t Start = 0;                         // first byte in the source
    int64_t Length = 0;
  };

  std::string Path;  // the produced file name
  int32_t TrackNumber = 0;
  MadeKind Kind = MadeKind::Pieces;
  bool WaveHeader = true;  // Pieces only; false: a plain copy (MP3, CD+G)
  WaveDataInfo Format;     // format fields of the header
  std::vector<Piece> Pieces;
  std::string Decoded;  // DecodedWave: the compressed source

  void AddZeros(int64_t count) {
    if (count > 0) Pieces.push_back({nullptr, 0, count});
  }
  void AddSegment(std::shared_ptr<const SourceFile> source, int64_t start, int64_t length) {
    Pieces.push_back({std::move(source), start, length});
  }
};

}  // namespace varnel
