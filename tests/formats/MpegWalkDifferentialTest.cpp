// The MPEG walk that reads a file in blocks against the reference that held the whole file in
// memory: the same refusals, the same first frame and audio size, the same count and the
// bit-for-bit same duration, and so the same check, for the seeds of the fuzz corpus, every
// cut of them, long files that cross many blocks, and (in Mp3RealFilesTest) lame's files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "formats/audio/InputChecks.h"
#include "formats/audio/MpegAudioFile.h"
#include "support/MpegHeaders.h"
#include "support/MpegWalkCheck.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::AppendFrames;
using test::ExpectSameAsReference;
using test::MpegHeader;

std::vector<std::vector<uint8_t>> CorpusFiles() {
  std::vector<std::vector<uint8_t>> files;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(VARNEL_TEST_SOURCE_DIR) +
                                                               "/fuzz/corpus/mpeg")) {
    files.push_back(test::ReadBytes(entry.path().string()));
  }
  return files;
}

TEST(MpegWalkDifferential, CorpusSeedsAndTheirCuts) {
  const auto files = CorpusFiles();
  ASSERT_GE(files.size(), 5u) << "the seeds of fuzz/corpus/mpeg";
  test::TempDir dir;
  for (const auto& file : files) {
    // Every cut where the wrappers, the ID3v2 tag and the first frame lie and where the tags
    // at the end lie; between them, a cut every 29 bytes.
    for (size_t n = 0; n <= file.size(); n += n < 48 || n + 160 > file.size() ? 1 : 29) {
      const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      // Windows small enough that every read of the parse and the walk meets an edge.
      ExpectSameAsReference(cut, dir / "cut.mp3", n % 2 == 0 ? 16 : 37);
    }
  }
}

TEST(MpegWalkDifferential, LongFilesAcrossManyBlocks) {
  // Frames of several sizes (so that headers straddle block edges at every offset) behind an
  // ID3v2 tag larger than a block, ahead of a Lyrics3 block and an ID3v1 tag, and the same
  // audio in the two RIFF wrappers.
  std::mt19937 rng(1311);
  const std::array<uint8_t, 4> headers[] = {
      MpegHeader({}), MpegHeader({.Padding = true}), MpegHeader({.BitrateIndex = 14}),
      MpegHeader({.LayerCode = test::kLayerII, .BitrateIndex = 14, .RateIndex = 1}),
      MpegHeader({.Mpeg1 = false, .BitrateIndex = 1, .RateIndex = 2})};
  std::vector<uint8_t> audio;
  while (audio.size() < 900 * 1024) {
    const auto& h = headers[rng() % 5];
    AppendFrames(audio, h, static_cast<size_t>(MpegAudioFile::FrameLength(h.data())));
  }
  std::vector<uint8_t> tagged =
      test::Id3v2Tag({0, 0x12, 0x34, 0x56}, 0x12 * 16384 + 0x34 * 128 + 0x56);
  tagged.insert(tagged.end(), audio.begin(), audio.end());
  const auto lyrics = test::Lyrics3v2Block();
  tagged.insert(tagged.end(), lyrics.begin(), lyrics.end());
  const auto id3v1 = test::Id3v1Tag();
  tagged.insert(tagged.end(), id3v1.begin(), id3v1.end());

  // A walk that ends early: a broken header in the middle, and the file cut inside a frame.
  std::vector<uint8_t> broken = audio;
  broken[broken.size() / 2 | 1] ^= 0xFF;
  std::vector<uint8_t> cut(audio.begin(), audio.end() - 100);

  test::TempDir dir;
  for (const auto* bytes : {&audio, &tagged, &broken, &cut}) {
    for (const int64_t window : {int64_t{16}, int64_t{4093}, MpegAudioFile::kWindowBytes}) {
      ExpectSameAsReference(*bytes, dir / "long.mp3", window);
    }
  }
  for (const auto& wrapped : {test::Rmp3Wrapper(audio), test::WaveWrapper(audio, true)}) {
    ExpectSameAsReference(wrapped, dir / "wrapped.mp3", MpegAudioFile::kWindowBytes);
  }
}

TEST(MpegWalkDifferential, AFileThatShrinksWhileItIsWalkedIsNotMeasured) {
  // The reference read the file once; a file that turns out shorter than its size said
  // was refused. The blocks do the same instead of counting what they found.
  std::vector<uint8_t> audio;
  AppendFrames(audio, MpegHeader({}), 417, 2000);
  test::TempDir dir;
  const std::string path = dir / "shrinks.mp3";
  test::WriteBytes(path, audio);
  MpegAudioFile m(4096);
  ASSERT_TRUE(m.Open(path));
  std::filesystem::resize_file(path, audio.size() / 2);
  EXPECT_EQ(m.CountFrames(), 0);
  EXPECT_EQ(m.FrameCount, 0);
}

}  // namespace
}  // namespace varnel
