// Raw sample files of a rip (a cue sheet's BINARY and MOTOROLA files, the files of a cdrdao
// TOC whose names do not end in ".wav", as cdrdao read-cd writes "data.bin") as wave files:
// a canonical wave copy of the file's bytes from the first, 16-bit stereo, with the sample
// bytes in little-endian order (swapped when the file holds them high byte first).
//
// Copies live in `folder`, named for the file's path, size, modification time and byte
// order, so an unchanged file is copied once and a changed one gets a new copy. A copy
// appears only whole (written beside, then renamed). A trailing partial sample frame is left
// out.
#pragma once

#include <string>

#include "model/Track.h"

namespace varnel {

struct RawCopy {
  std::string Path;
  WaveDataInfo Info;  // DataOffset 44, 2 channels, 16 bits, 44 100 Hz
};

// Throws FileError when the file cannot be read or the copy cannot be written, and
// std::runtime_error when the file holds more than a wave file can (4 GiB).
RawCopy CopyRawAudio(const std::string& path, bool bigEndian, const std::string& folder);

}  // namespace varnel
