// Measures MPEG audio files without decoding them: skips ID3v1, Lyrics3 v2, ID3v2 and the
// RIFF "RMP3" / "WAVE" wrappers, checks that a frame header starts exactly where the audio
// starts, and walks the frame chain to count frames and add up their playing time.
//
// A file is never loaded whole: it stays open while the object holds it and is read in
// blocks of kWindowBytes as the parse and the walk reach them, so memory does not grow with
// the file. Every read is bounds-checked against the file's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/PosixFile.h"

namespace varnel {

class MpegAudioFile {
 public:
  // The bytes of a file read at a time.
  static constexpr int64_t kWindowBytes = 256 * 1024;

  // `windowBytes` (at least 16) replaces kWindowBytes: tests use small windows to reach
  // their edges with small files.
  explicit MpegAudioFile(int64_t windowBytes = kWindowBytes)
      : WindowBytes_(windowBytes < 16 ? 16 : windowBytes) {}

  // Opens the file and parses it; false (and an empty object) on any failure, a read error
  // or a file that shrinks while it is read included. Files of 2 GiB and more are refused.
  bool Open(const std::string& path);
  // The same on bytes already in memory (the fuzzer and tests use it); `name` becomes FileName.
  bool OpenBuffer(std::vector<uint8_t> data, const std::string& name = {});
  // Frames counted; 0 on failure. Sets FrameCount and Duration (ms, a float rounded after
  // every frame). A frame is counted when it starts within AudioSize bytes of the first
  // frame, even if it ends beyond them or beyond the file; the walk stops at a non-header or
  // fewer than 4 bytes. A zero-length frame fails and leaves FrameCount and Duration as
  // they were, and so does a file that cannot be read as far as its size said.
  // AudioSize is never negative and never reaches past the end of the file or buffer.
  int32_t CountFrames();
  float GetDuration() const { return Duration; }
  // Releases the file or buffer and clears every field.
  void Reset();
  // Bytes of the file or buffer that is open; 0 when none is.
  int64_t Size() const { return Size_; }

  static bool IsFrameHeader(const uint8_t h[4]);
  static int32_t FrameBitrate(const uint8_t h[4]);     // kbit/s, 0 when not valid
  static int32_t FrameSampleRate(const uint8_t h[4]);  // Hz, 0 when not valid
  static int32_t FrameLength(const uint8_t h[4]);      // bytes, 0 when not valid
  static double FrameDuration(const uint8_t h[4]);     // milliseconds
  static int32_t ChannelMode(const uint8_t h[4]) { return (h[3] >> 6) & 3; }

  std::string FileName;
  // The bytes given to OpenBuffer (empty for a file opened by path).
  std::vector<uint8_t> Data;
  bool HasFirstFrame = false;
  int32_t FirstFrameOffset = 0;
  int32_t AudioSize = 0;
  uint8_t FirstHeader[4] = {0, 0, 0, 0};
  int32_t FrameCount = 0;
  float Duration = 0.0f;

 private:
  bool Parse();
  // The `n` bytes at `pos` (n <= 16 outside the walk), or null when the file or buffer
  // does not hold them all. Valid until the next call.
  const uint8_t* Bytes(int64_t pos, int64_t n);
  bool BytesAre(int64_t pos, const char* text);

  int64_t WindowBytes_;
  PosixFile File_;
  int64_t Size_ = 0;
  bool ReadFailed_ = false;  // a read error, or the file held less than its size
  std::vector<uint8_t> Window_;
  int64_t WindowStart_ = 0;
  int64_t WindowLength_ = 0;
};

}  // namespace varnel
