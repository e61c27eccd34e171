// Measures MPEG audio files without decoding them: loads the file, skips ID3v1, Lyrics3
// v2, ID3v2 and the RIFF "RMP3" / "WAVE" wrappers, checks that a frame header starts
// exactly where the audio starts, and walks the frame chain to count frames and add up
// their playing time. Every read is bounds-checked against the loaded buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class MpegAudioFile {
 public:
  // Loads the file and parses it; false (and an empty object) on any failure.
  bool Open(const std::string& path);
  // The same on bytes already in memory (the fuzzer and tests use it); `name` becomes FileName.
  bool OpenBuffer(std::vector<uint8_t> data, const std::string& name = {});
  // Frames counted; 0 on failure. Sets FrameCount and Duration (ms, a float rounded after
  // every frame). A frame is counted when it starts within AudioSize bytes of the first
  // frame, even if it ends beyond them or beyond the file; the walk stops at a non-header or
  // fewer than 4 bytes. A zero-length frame fails and leaves FrameCount and Duration as
  // they were. AudioSize is never negative and never reaches past the end of Data.
  int32_t CountFrames();
  float GetDuration() const { return Duration; }
  void Reset();

  static bool IsFrameHeader(const uint8_t h[4]);
  static int32_t FrameBitrate(const uint8_t h[4]);     // kbit/s, 0 when not valid
  static int32_t FrameSampleRate(const uint8_t h[4]);  // Hz, 0 when not valid
  static int32_t FrameLength(const uint8_t h[4]);      // bytes, 0 when not valid
  static double FrameDuration(const uint8_t h[4]);     // milliseconds
  static int32_t ChannelMode(const uint8_t h[4]) { return (h[3] >> 6) & 3; }

  std::string FileName;
  std::vector<uint8_t> Data;
  bool HasFirstFrame = false;
  int32_t FirstFrameOffset = 0;
  int32_t AudioSize = 0;
  uint8_t FirstHeader[4] = {0, 0, 0, 0};
  int32_t FrameCount = 0;
  float Duration = 0.0f;

 private:
  bool Parse();
};

}  // namespace varnel
