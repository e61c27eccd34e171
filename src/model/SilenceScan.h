// Digital silence in sample data taken as 16-bit stereo: a sample frame (4 bytes) is silent
// when all four of its bytes are zero; there is no threshold. One scanner for every reader
// that asks: the track record's silence counts, the making run's cuts and the waveform's
// silent stretches.
//
// The tests in memory look at eight bytes at a time. The scans of a file read it in blocks
// of kSilenceReadBytes, the same size whichever way they go, and a backward scan asks the
// kernel for the bytes below it in advance (it reads ahead only forwards by itself), so a
// trailing scan costs what a leading one does; they stop at the first sound and never read
// beyond their region.
#pragma once

#include <cstdint>
#include <string>

#include "model/PosixFile.h"

namespace varnel {

// Bytes per read of a file scan: whole sample frames, and small enough that the scan of a
// block finds it still in the processor's cache.
inline constexpr int64_t kSilenceReadBytes = 256 * 1024;

// Silent sample frames at the start / at the end of the `frames` frames at `bytes`.
int64_t SilentFramesAtFront(const unsigned char* bytes, int64_t frames);
int64_t SilentFramesAtBack(const unsigned char* bytes, int64_t frames);
// The index of the first silent frame among the `frames` frames at `bytes`; `frames` when
// there is none.
int64_t FirstSilentFrame(const unsigned char* bytes, int64_t frames);

// What a file scan does when a read fails: end the run there, as the end of the file does
// (a count for the screen), or throw the FileError (a reader that must not take a read
// error for sound).
enum class ReadErrors { EndTheRun, Throw };

// Silent sample frames of `file` from byte `start` (not below 0) forwards, at most `limit`.
// The end of the file ends the run (a partial frame there is not counted); so does a read
// error, unless `errors` says Throw.
int64_t ScanSilenceForwards(const PosixFile& file, int64_t start, int64_t limit,
                            ReadErrors errors = ReadErrors::EndTheRun);
// Silent sample frames that end at byte `top`, counted backwards down to byte `bottom` (not
// below 0; top − bottom a multiple of 4). Frames that do not exist are not silence: when the
// file ends before `top`, or a read fails (unless `errors` says Throw), the run ends above
// the block that could not be read whole.
int64_t ScanSilenceBackwards(const PosixFile& file, int64_t bottom, int64_t top,
                             ReadErrors errors = ReadErrors::EndTheRun);

// The silent sample frames of the region [first, end) of a file whose sample data starts at
// byte dataOffset, counted from the front (leading) or from the back (trailing), as the track
// record defines them. Returns −1 when the file cannot be opened (or is not a regular file).
//
// The result is at most end − first; a region with end <= first yields 0. Frames that do
// not exist are not silence: a leading scan that meets the end of the file counts the
// whole frames before it (a read error ends a scan the same way); a trailing scan whose
// end lies beyond the end of the file yields 0. The trailing scan steps back in blocks of
// 735 sample frames from the region's end and never reaches before dataOffset, nor before
// byte 0 (a block that would start at a negative offset reads nothing), so the trailing
// count can be less than the region when the region starts before the sample data. A
// leading scan whose first byte would lie before byte 0 yields 0. Offsets are 64-bit: no
// position overflows.
int32_t CountLeadingSilenceInFile(const std::string& path, int32_t dataOffset, int32_t first,
                                  int32_t end);
int32_t CountTrailingSilenceInFile(const std::string& path, int32_t dataOffset, int32_t first,
                                   int32_t end);

}  // namespace varnel
