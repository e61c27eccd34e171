// Reads the cue sheet a FLAC file carries about itself (libFLAC): its CUESHEET metadata
// block and a "CUESHEET=" Vorbis comment holding a cue sheet text, as rippers embed them.
//
// The result describes the FLAC file alone: Files has one entry, the FLAC file (type Flac,
// Length its total sample frames when the stream says, else −1), and every index lies in
// it.
// - From the block: Catalog, LeadIn, IsCd, and per track its number, AUDIO or DATA, the
//   pre-emphasis flag, the ISRC and the indices at track offset + index offset (sample
//   exact); the lead-out track (170 on a CD) gives LeadOut and is not a track. The block
//   must pass libFLAC's legality check (with the CD rules when it says it is a CD).
// - From the tag: the text is read by the cue sheet reader; its FILE lines must name one
//   file, which is taken to be this one. When a block exists too, the block's positions
//   hold and the tag adds what the block cannot hold: the disc's and each track's CD-Text
//   and REM lines, the CD-Text file, the DCP, 4CH and SCMS flags, and a catalog or ISRC
//   the block leaves empty. A tag that cannot be
//   read then gives a warning; without a block it gives the error, its line counted
//   within the tag.
// Refused: a file that cannot be opened (never blocking: regular files only), is not FLAC,
// has neither block nor tag, is not 44 100 Hz (the positions of a CD sheet assume that
// rate), or has an index beyond the end of the stream or outside 64-bit positions.
#pragma once

#include <string>

#include "formats/sheets/RipSheet.h"

namespace varnel {

RipResult ReadFlacCueSheet(const std::string& path);

}  // namespace varnel
