// One differential check of the MPEG walk: the file read in blocks, the same bytes in memory
// and the MP3 check, each against the whole-file reference.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/audio/InputChecks.h"
#include "formats/audio/MpegAudioFile.h"
#include "support/ReferenceMpegWalk.h"
#include "support/TestFiles.h"

namespace varnel::test {

// Writes `bytes` to `path`, then expects MpegAudioFile (reading the file in blocks of
// `window` bytes, and on the bytes in memory) and the MP3 check to report what the reference
// reports.
inline void ExpectSameAsReference(const std::vector<uint8_t>& bytes, const std::string& path,
                                  int64_t window) {
  SCOPED_TRACE(testing::Message() << bytes.size() << " bytes, window " << window);
  WriteBytes(path, bytes);
  const ReferenceWalk want = ReferenceMpegWalk(bytes);
  for (const bool fromFile : {true, false}) {
    SCOPED_TRACE(fromFile ? "from the file" : "from memory");
    MpegAudioFile m(window);
    const bool opened = fromFile ? m.Open(path) : m.OpenBuffer(bytes, path);
    ASSERT_EQ(opened, want.Opened);
    if (!opened) continue;
    EXPECT_EQ(m.FirstFrameOffset, want.FirstFrameOffset);
    EXPECT_EQ(m.AudioSize, want.AudioSize);
    EXPECT_EQ(std::memcmp(m.FirstHeader, want.FirstHeader, 4), 0);
    EXPECT_EQ(m.CountFrames(), want.Count);
    EXPECT_EQ(m.FrameCount, want.Count);
    uint32_t got = 0, expected = 0;  // the same float, bit for bit
    const float duration = m.GetDuration();
    std::memcpy(&got, &duration, 4);
    std::memcpy(&expected, &want.Duration, 4);
    EXPECT_EQ(got, expected);
  }
  // The check built on the walk: refusal, format and DataSize.
  WaveDataInfo info{-7, -7, -7, -7, -7};
  const int32_t result = CheckMp3File(path, info);
  if (!want.Opened || want.Count == 0) {
    EXPECT_EQ(result, -1);
    EXPECT_EQ(info.DataSize, -7);
    return;
  }
  const int32_t rate = MpegAudioFile::FrameSampleRate(want.FirstHeader);
  const int32_t channels = MpegAudioFile::ChannelMode(want.FirstHeader) == 3 ? 1 : 2;
  EXPECT_EQ(result, rate == 44100 && channels == 2 ? 1 : 0);
  EXPECT_EQ(info, (WaveDataInfo{0, Mp3DataSizeFromDuration(want.Duration), channels, 16, rate}));
}

}  // namespace varnel::test
