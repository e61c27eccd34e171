// The acceptance checks every file offered as a track passes, chosen by its extension.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "formats/audio/DecodedCache.h"
#include "model/Track.h"

namespace varnel {

// From the lower-cased path: ".wav" → wave, ".mp3" → MP3, a decoded source (below) → wave,
// anything else → CD+G.
int32_t FileModeFromPath(const std::string& path);

// A FLAC (.flac), AIFF (.aif, .aiff), Ogg Vorbis (.ogg, .oga) or Opus (.opus) file, by its
// lower-cased extension: such a file is a wave track whose audio is its decoded copy in the
// decode cache, never checked as a wave file itself.
bool IsDecodedSourcePath(const std::string& path);

// The check of a decoded source: its entry in the cache, decoded now when there is none for
// the file as it is (see DecodedCache). Result 1: `info` is the decoded copy's summary
// (DataOffset 44, DataSize, 2 channels, 16 bits, 44 100 Hz) and AudioFile its path. Result
// −1: the file cannot be read or decoded, `info` untouched, and Reason is the text that
// follows the quoted path, e.g. " cannot be decoded: not a FLAC file." or " cannot be read:
// No such file or directory.". A canceled decode throws DecodeCanceled.
struct DecodedCheck {
  int32_t Result = -1;
  std::string AudioFile;
  std::string Reason;
};
// Only what Lookup does: an entry for the file as it is, or nothing (Result 0, no Reason)
// when it must be decoded first; an unreadable source is refused as above.
DecodedCheck LookupDecodedFile(const DecodedCache& cache, const std::string& path,
                               WaveDataInfo& info);
DecodedCheck CheckDecodedFile(DecodedCache& cache, const std::string& path, WaveDataInfo& info,
                              const DecodeProgress& progress = nullptr,
                              const std::atomic<bool>* cancel = nullptr);

// 1 accepted (44 100 Hz, stereo, 16-bit); 0 a wave file in another format; −1 missing,
// unreadable or not a PCM wave file.
int32_t CheckWaveFile(const std::string& path, WaveDataInfo& info);
// Whether the file begins as a wave file does ("RIFF" or "RF64", then "WAVE"), whatever its
// encoding: one CheckWaveFile refuses may still be converted.
bool HasWaveSignature(const std::string& path);
// 1 accepted (44 100 Hz stereo); 0 another rate or mono; −1 missing or not MP3.
// DataSize = 4 × ceiling(duration ms × 44.1) as the system rounds it. A playing time of more
// sample frames than a 32-bit position can reach (over about 13 h 31 min) is refused with −1,
// DataSize untouched.
int32_t CheckMp3File(const std::string& path, WaveDataInfo& info);
// 1 accepted (a whole number of 2448-byte sectors); −1 cannot be opened; 255 otherwise.
// A file whose DataSize (sectors × 2352) would not fit in 32 bits (over 913 045 sectors,
// about 2.2 GB) is refused with 255 like any other unusable size.
int32_t CheckCdgFile(const std::string& path, WaveDataInfo& info);

// The MP3 DataSize rounding: the float duration in ms times the double 44.1, the product in
// extended precision, rounded up to whole sample frames, times 4. Because that double lies
// slightly above 44.1, a duration that is a multiple of 10 ms gets one sample frame more
// than the exact product (1000 ms → 176 404). −1 when the duration is negative or not
// finite, or its sample frames would not fit in an int32.
int64_t Mp3DataSizeFromDuration(float ms);

// Runs the check for the kind; returns its result and sets `mode`.
int32_t CheckFileOfKind(const std::string& path, int32_t& mode, WaveDataInfo& info);
// Runs the check of a kind already known (a layout file names each track's kind).
int32_t CheckFileOfMode(int32_t mode, const std::string& path, WaveDataInfo& info);

// The text that follows the quoted path in the refusal question for a kind and result,
// beginning with a blank, e.g. " is not MP3 file or doesnot exist. Do you want to continue?";
// empty for a result of 1 (accepted).
std::string RefusalMessage(int32_t mode, int32_t result);

}  // namespace varnel
