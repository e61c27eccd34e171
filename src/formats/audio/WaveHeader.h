// Reading the header of an input wave file far enough to know its sample format and
// where its sample data lies, and writing the 44-byte header of every produced wave file.
#pragma once

#include <cstdint>
#include <string>

#include "model/Track.h"

namespace varnel {

// 1: a PCM wave file (1 or 2 channels, 8 or 16 bits, consistent block align and byte
// rate) with a "data" chunk; `info` is filled. 0: the file exists and opens but is not
// such a file. −1: no file at the path, or it cannot be opened.
// Chunk sizes are unsigned; the walk always ends and never reads outside the file. A
// declared data size larger than the bytes present gives the bytes present.
int32_t ReadWaveHeader(const std::string& path, WaveDataInfo& info);

// Writes the 44-byte PCM header (sizes 36 and 0, patched after the data is written),
// creating missing parent folders. With overwrite false an existing file is left alone
// and false returned. Uses Channels, BitsPerSample and SampleRate of `info`.
bool WriteWaveHeader(const std::string& path, const WaveDataInfo& info, bool overwrite);

// The 44 header bytes WriteWaveHeader writes, for callers that write the header into an
// open stream themselves.
void BuildWaveHeader(const WaveDataInfo& info, unsigned char out[44]);

}  // namespace varnel
