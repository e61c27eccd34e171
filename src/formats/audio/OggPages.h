// The Ogg framing of an Ogg Vorbis or Opus file, checked before it is decoded: the
// libraries skip a page that fails its checksum and stop quietly where a cut file ends, so
// a damaged file would decode into a shorter (or empty) track without a word. Every page
// must begin where the one before it ends, carry a matching CRC, and the last one must end
// its stream.
#pragma once

#include "model/PosixFile.h"

namespace varnel {

// Throws DecodeError ("damaged <KIND> data (...)", with what and at which byte) for the
// first fault; `kind` is the text that names the kind of file. A file that does not begin
// with an Ogg page passes: it is no Ogg file, which the decoder says itself.
void CheckOggPages(const PosixFile& file, const char* kind);

}  // namespace varnel
