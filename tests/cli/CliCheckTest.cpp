#include <gtest/gtest.h>

#include "support/MpegFrames.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::RunProcess;
using test::TempDir;

TEST(CliCheck, PrintsOneLinePerFileAndSucceedsWhenAllAreAccepted) {
  TempDir dir;
  test::WriteBytes(dir / "a.wav", test::WaveBytes(std::vector<uint8_t>(2352, 0)));
  test::WriteBytes(dir / "b.cdg", std::vector<uint8_t>(2448 * 3, 0));
  // 38 frames of 26.0625 ms = 990.375 ms → ceiling(990.375 × 44.1) = 43676 sample frames.
  test::WriteBytes(dir / "c.mp3", test::Mpeg1Layer3Stereo44k(38));
  auto r = RunProcess({VARNEL_CLI_PATH, "check", dir / "a.wav", dir / "b.cdg", dir / "c.mp3"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, "WAVE\t1\t44\t2352\t2\t16\t44100\t" + (dir / "a.wav") + "\n" +
                       "CDG\t1\t0\t7056\t2\t16\t44100\t" + (dir / "b.cdg") + "\n" +
                       "MP3\t1\t0\t174704\t2\t16\t44100\t" + (dir / "c.mp3") + "\n");
}

TEST(CliCheck, RefusedFilesFailTheCommandAndShowWhatWasFilled) {
  TempDir dir;
  test::WriteBytes(dir / "mono.wav", test::WaveBytes(std::vector<uint8_t>(100, 0), 1, 16, 22050));
  test::WriteBytes(dir / "odd.cdg", std::vector<uint8_t>(10, 0));
  auto r = RunProcess(
      {VARNEL_CLI_PATH, "check", dir / "mono.wav", dir / "missing.mp3", dir / "odd.cdg"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, "WAVE\t0\t44\t100\t1\t16\t22050\t" + (dir / "mono.wav") + "\n" +
                       "MP3\t-1\t-\t-\t-\t-\t-\t" + (dir / "missing.mp3") + "\n" +
                       "CDG\t255\t-\t-\t-\t-\t-\t" + (dir / "odd.cdg") + "\n");
}

TEST(CliCheck, NeedsAtLeastOneFile) {
  auto r = RunProcess({VARNEL_CLI_PATH, "check"});
  EXPECT_NE(r.ExitCode, 0);
  EXPECT_TRUE(r.Out.empty());
}

}  // namespace
}  // namespace varnel
