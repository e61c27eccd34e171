// Decoding compressed and non-CD audio files into CD audio: 44 100 Hz, 16-bit, stereo.
//
// One core serves every caller: the making run decodes an MP3 into a produced TrackNN.wav,
// the track list decodes FLAC, AIFF, Ogg Vorbis and Opus sources into the decode cache.
// MP3 goes through libmpg123 with gapless decoding (the encoder delay and padding that the
// LAME/Xing tag records are removed), so that its 44 100 Hz output is sample for sample what
// `mpg123 -w` writes. The other kinds go through libsndfile.
//
// Conversion rules, the same for every kind:
//   - 44 100 Hz material of at most 16 bits (and MP3 at 44 100 Hz) is taken sample for sample;
//   - more bits, float or lossy material is reduced to 16 bits with TPDF dither (±1 LSB
//     triangular, from a fixed seed so that two decodes of one file are identical). A value
//     that is already a whole 16-bit step (digital silence, 16-bit audio in a 24-bit
//     container) is written as it is, so silence stays silent;
//   - other rates are resampled with libsoxr at its very high quality setting;
//   - mono becomes two identical channels; more than two channels are refused.
// Memory stays bounded whatever the length: the source is read in blocks, and nothing
// grows with it. Sources are opened with PosixFile (regular files only, never blocking).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "model/PosixFile.h"
#include "model/Track.h"

namespace varnel {

// The kinds of source this decoder reads. Wave is a wave file in another format than CD
// audio (another rate, mono, more bits), which is converted like the others.
enum class SourceKind : uint8_t { Mp3, Flac, Aiff, Ogg, Opus, Wave };

// The kind for the lower-cased extension of the file name: .mp3, .flac, .aif/.aiff,
// .ogg/.oga, .opus; nothing for any other name (a wave file included: see
// DecodableKindFromPath).
std::optional<SourceKind> SourceKindFromPath(const std::string& path);
// SourceKindFromPath, and Wave for .wav.
std::optional<SourceKind> DecodableKindFromPath(const std::string& path);
// "MP3", "FLAC", "AIFF", "OGG", "OPUS", "WAVE": the track list's Type text and varnel-cli's
// KIND.
const char* SourceKindText(SourceKind kind);

// The source cannot be decoded. what() is the reason in a few words, without the path,
// e.g. "not a FLAC file", "damaged FLAC data (lost sync)", "5 channels (only mono and
// stereo can be used)"; it reads well after "cannot be decoded: ".
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The cancel flag was seen set; nothing further was written.
class DecodeCanceled : public std::runtime_error {
 public:
  DecodeCanceled() : std::runtime_error("decoding canceled") {}
};

// Where decoded audio goes: interleaved 16-bit stereo frames (left, right), in order.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  virtual void Write(const int16_t* frames, size_t count) = 0;
};

struct DecodeOptions {
  // Appends zero frames up to a whole CD frame (588 sample frames, 2352 bytes).
  bool PadToCdFrames = false;
};

struct DecodeSummary {
  SourceKind Kind = SourceKind::Mp3;
  int32_t SourceRate = 0;
  int32_t SourceChannels = 0;
  // The source's sample depth: 0 for lossy formats, which have none (MP3, Vorbis, Opus);
  // 32 for 32-bit float, 64 for double.
  int32_t SourceBits = 0;
  int64_t SourceFrames = 0;   // sample frames read from the source
  int64_t FramesWritten = 0;  // sample frames handed to the sink, padding included
  int64_t PaddingFrames = 0;
  bool Resampled = false;
  // Reduced to 16 bits with dither: a source of more than 16 bits, float or lossy, and any
  // resampled one (an MP3 at 44 100 Hz is not: its decoder rounds, as mpg123 does).
  bool Dithered = false;

  // What an input check reports for the decoded wave file: DataOffset 44, DataSize the
  // decoded bytes, 2 channels, 16 bits, 44 100 Hz.
  WaveDataInfo WaveInfo() const;
};

// Called with the fraction of the source done, from 0 to 1, at most about every 1 %, on
// the decoding thread.
using DecodeProgress = std::function<void(double)>;

// The longest decoded result: its DataSize must fit the int32 every wave summary holds,
// padding included (about 3 h 22 min). A longer source is refused with DecodeError.
constexpr int64_t kMaxDecodedFrames = (INT32_MAX / 4) / 588 * 588;

// Decodes `path` as `kind` (whatever its name) into `sink`. `cancel`, when given, is polled
// between blocks. Throws FileError when the file cannot be opened or read, DecodeError
// when its content cannot be decoded, DecodeCanceled on cancel; whatever the sink throws
// passes through. The sink may have received part of the audio when an exception leaves.
DecodeSummary DecodeAudio(const std::string& path, SourceKind kind, AudioSink& sink,
                          const DecodeOptions& options = {},
                          const DecodeProgress& progress = nullptr,
                          const std::atomic<bool>* cancel = nullptr);
// The same with the kind taken from the file name (DecodableKindFromPath); a name of no
// known kind throws DecodeError.
DecodeSummary DecodeAudio(const std::string& path, AudioSink& sink,
                          const DecodeOptions& options = {},
                          const DecodeProgress& progress = nullptr,
                          const std::atomic<bool>* cancel = nullptr);

// Decodes `path` (kind from its name) into `out`, an empty file the caller created (for
// instance with PosixFile::CreateExclusive): the 44-byte header at byte 0 with its size fields
// written once the length is known, the audio after it. Throws as DecodeAudio, plus
// FileError for a failing write to `out`. On any exception `out` holds a partial file for
// the caller to remove; its header declares no audio until the decode has ended.
DecodeSummary DecodeToWaveFile(const std::string& path, PosixFile& out,
                               const DecodeOptions& options = {},
                               const DecodeProgress& progress = nullptr,
                               const std::atomic<bool>* cancel = nullptr);

}  // namespace varnel
