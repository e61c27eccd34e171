// Reading the header of an input wave file far enough to know its sample format and
// where its sample data lies, and the 44-byte header of every produced wave file.
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

// The 44-byte PCM header of a wave file in the format of `info` (Channels, BitsPerSample,
// SampleRate), with the sizes 36 and 0 that the writer patches once the data is written.
void BuildWaveHeader(const WaveDataInfo& info, unsigned char out[44]);

}  // namespace varnel
