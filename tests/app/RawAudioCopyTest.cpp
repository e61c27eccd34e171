// Wave copies of raw sample files: sox reads them as the samples the raw file holds in its
// byte order; an unchanged file is copied once, a changed one again.
#include "app/import/RawAudioCopy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/AudioTools.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RawAudioCopy, SoxReadsTheSamplesInEitherByteOrder) {
  if (!test::OnPath("sox")) GTEST_SKIP() << "sox is not installed";
  test::TempDir dir;
  // Two whole sample frames and a partial one, which is left out.
  const Bytes raw = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  test::WriteBytes(dir / "a.bin", raw);
  const struct {
    bool BigEndian;
    const char* SoxOrder;
  } rows[] = {{false, "-L"}, {true, "-B"}};
  for (const auto& row : rows) {
    const RawCopy copy = CopyRawAudio(dir / "a.bin", row.BigEndian, dir / "copies");
    EXPECT_EQ(copy.Info.DataSize, 8);
    // sox reads the raw file in the stated order and the copy as a wave file; both give
    // the same samples.
    const auto fromRaw =
        test::RunProcess({"sox", "-t", "raw", "-r", "44100", "-c", "2", "-b", "16", "-e", "signed",
                          row.SoxOrder, dir / "a.bin", "-t", "raw", "-L", "-"});
    const auto fromCopy = test::RunProcess({"sox", copy.Path, "-t", "raw", "-L", "-"});
    ASSERT_EQ(fromCopy.ExitCode, 0) << fromCopy.Err;
    EXPECT_EQ(fromCopy.Out, fromRaw.Out.substr(0, 8)) << row.SoxOrder;
    EXPECT_EQ(fromCopy.Out.size(), 8u);
  }
}

TEST(RawAudioCopy, AnUnchangedFileIsCopiedOnceAChangedOneAgain) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.bin", Bytes(16, 3));
  const RawCopy first = CopyRawAudio(dir / "a.bin", false, dir / "copies");
  test::WriteBytes(first.Path, test::WaveBytes(Bytes(16, 9)));  // same size, marked
  EXPECT_EQ(CopyRawAudio(dir / "a.bin", false, dir / "copies").Path, first.Path);
  EXPECT_EQ(test::ReadBytes(first.Path), test::WaveBytes(Bytes(16, 9)));

  test::WriteBytes(dir / "a.bin", Bytes(20, 4));
  const RawCopy changed = CopyRawAudio(dir / "a.bin", false, dir / "copies");
  EXPECT_NE(changed.Path, first.Path);
  EXPECT_EQ(test::ReadBytes(changed.Path), test::WaveBytes(Bytes(20, 4)));
  // No temporary file is left beside the copies.
  for (const auto& entry : std::filesystem::directory_iterator(dir / "copies")) {
    EXPECT_EQ(entry.path().extension(), ".wav") << entry.path();
  }
  EXPECT_THROW(CopyRawAudio(dir / "missing.bin", false, dir / "copies"), std::exception);
}

}  // namespace
}  // namespace varnel
