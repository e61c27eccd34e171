// The making run takes the silence counts that the layout's track records already hold
// instead of scanning the sources again. On random sources, regions (hostile ones among
// them) and cut options of every kind of wave track, a run whose records have counted their
// silence makes the same sheets, files and message as a run whose records have not; and a
// layout whose records have counted is made as they counted, the lengths the window showed.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "support/MakeFixtures.h"

namespace varnel {
namespace {

using test::Cat;
using test::RunExport;
using test::Sound;
using test::TempDir;
using test::Zeros;

namespace fs = std::filesystem;

// Every file under `folder` by its path below it, the text of sheets with `folder` taken
// out of the paths they name.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = test::ReadText(entry.path());
    for (size_t at = bytes.find(folder); at != std::string::npos; at = bytes.find(folder, at)) {
      bytes.replace(at, folder.size(), "<run>");
    }
    files[fs::relative(entry.path(), folder).string()] = bytes;
  }
  return files;
}

struct OutcomeCase {
  RunState State = RunState::Idle;
  std::string Message;
  std::map<std::string, std::string> Files;
};

// A Make run of a layout of `track` alone into the folder `folder`; with `counted`, the
// track's record has counted its silence first, as loading or editing a layout does.
OutcomeCase MakeInto(const Track& track, bool counted, const std::string& folder,
                     const AppSettings& base) {
  fs::create_directories(folder);
  DiscLayout layout;
  layout.Append(std::make_unique<Track>(track));
  if (counted) layout.TotalBytes = layout.At(0).GetTotalBytes();
  AppSettings settings = base;
  settings.WorkDir = folder + "/work";
  const auto run = RunExport(layout, settings, folder + "/disc.cue", false);
  OutcomeCase outcome{run.State, run.Message, Tree(folder)};
  std::string& message = outcome.Message;
  for (size_t at = message.find(folder); at != std::string::npos; at = message.find(folder, at)) {
    message.replace(at, folder.size(), "<run>");
  }
  return outcome;
}

// A source of `header` bytes (zeros or not) before runs of silence and sound.
std::vector<uint8_t> RandomSource(std::mt19937& rng, size_t header, bool zeroHeader) {
  auto below = [&rng](uint32_t n) { return rng() % n; };
  std::vector<uint8_t> bytes(header, zeroHeader ? 0 : 0x5a);
  const int runs = 1 + static_cast<int>(below(4));
  for (int r = 0; r < runs; ++r) {
    if (below(2) == 0) {
      bytes.resize(bytes.size() + 4 * size_t{below(2500)}, 0);
    } else {
      const auto sound = Sound(1 + below(600), rng());
      bytes.insert(bytes.end(), sound.begin(), sound.end());
    }
  }
  return bytes;
}

TEST(SilenceCountsTest, CountedRecordsMakeWhatAScanMakesOnRandomTracks) {
  TempDir dir;
  std::mt19937 rng(20261208);
  auto below = [&rng](int64_t n) { return static_cast<int64_t>(rng() % static_cast<uint32_t>(n)); };
  const AppSettings defaults;
  for (int no = 0; no < 90; ++no) {
    const int32_t style = static_cast<int32_t>(no % 3);  // Normal, File, Index
    const size_t header = below(3) == 0 ? size_t(below(40)) * 4 : 44;
    const std::string path = dir / ("s" + std::to_string(no) + ".raw");
    const auto bytes = RandomSource(rng, header, below(2) == 0);
    test::WriteBytes(path, bytes);
    WaveDataInfo info = test::CanonicalInfo(bytes.size() - header);
    info.DataOffset = static_cast<int32_t>(header);
    const int64_t frames = info.DataSize / 4;

    Track track(path, FileModeWave, info);
    // Mostly regions in order; a few hostile ones (negative, inverted, past the end).
    auto position = [&] {
      return static_cast<int32_t>(below(frames + 20) - (below(8) == 0 ? 30 : 0));
    };
    int32_t start = position();
    int32_t end = below(3) == 0 ? static_cast<int32_t>(frames) : position();
    if (below(6) != 0 && end < start) std::swap(start, end);
    track.SetTrackEndPos(end);
    track.SetTrackStartPos(start);
    track.TrackCutLeading = below(3) != 0;
    track.TrackCutTrailing = below(3) != 0;
    track.TrackPaddingHead = below(2) == 0;
    track.SetPreGapStyle(static_cast<uint8_t>(style));
    if (style == PreGapIndex) {
      int32_t gap = below(8) == 0 ? position() : static_cast<int32_t>(below(start + 1));
      track.SetTrackPreGapPos(gap);
    }
    if (style == PreGapFile) {
      const std::string gapPath = dir / ("g" + std::to_string(no) + ".raw");
      const auto gapBytes = RandomSource(rng, 44, false);
      test::WriteBytes(gapPath, gapBytes);
      const WaveDataInfo gapInfo = test::CanonicalInfo(gapBytes.size() - 44);
      track.SetPreGapFile(gapPath, gapInfo);
      const auto gapFrames = static_cast<int32_t>(gapInfo.DataSize / 4);
      track.SetPreGapStartPos(static_cast<int32_t>(below(gapFrames + 1)));
      track.SetPreGapEndPos(static_cast<int32_t>(track.PreGapStartPos() +
                                                 below(gapFrames - track.PreGapStartPos() + 1)));
      track.PreGapCutLeading = below(2) == 0;
      track.PreGapCutTrailing = below(2) == 0;
      track.PreGapPaddingHead = below(2) == 0;
    }
    AppSettings settings = defaults;
    settings.MakeAlways = below(4) == 0;
    settings.AddFrames = below(2) == 0;

    SCOPED_TRACE(testing::Message()
                 << "track " << no << " style " << style << " offset " << header << " region ["
                 << track.TrackPreGapPos() << ", " << start << ", " << end << ") of " << frames
                 << " cuts " << track.TrackCutLeading << track.TrackCutTrailing);
    const std::string tag = std::to_string(no);
    const OutcomeCase scanned = MakeInto(track, false, dir / ("scan" + tag), settings);
    const OutcomeCase counted = MakeInto(track, true, dir / ("known" + tag), settings);
    ASSERT_EQ(counted.State, scanned.State) << scanned.Message;
    ASSERT_EQ(counted.Message, scanned.Message);
    ASSERT_EQ(counted.Files, scanned.Files);
  }
}

// Regions that the record and the run count each in its own way: the run scans them as it
// always has, whatever the record holds.
TEST(SilenceCountsTest, RegionsOutOfOrderAreScannedAsBefore) {
  struct Row {
    const char* Name;
    uint8_t Style;
    int32_t PreGapPos, Start, End;
    size_t SoundFrames;  // sound before 100 − SoundFrames silent frames
  } rows[] = {
      // Backwards the record stops at the sample data, the run goes on into the zero bytes
      // before it: the whole region is silent to the run only.
      {"region before the sample data", PreGapNormal, 0, -5, 100, 0},
      // The record counts the trailing silence of [20, 100), the run that of [50, 100).
      {"pre-gap after the track's start", PreGapIndex, 50, 20, 100, 20},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    TempDir dir;
    const auto bytes = Cat({Zeros(40), Sound(row.SoundFrames), Zeros(4 * (100 - row.SoundFrames))});
    test::WriteBytes(dir / "t.raw", bytes);
    WaveDataInfo info = test::CanonicalInfo(400);
    info.DataOffset = 40;
    Track track(dir / "t.raw", FileModeWave, info);
    track.SetPreGapStyle(row.Style);
    track.SetTrackPreGapPos(row.PreGapPos);
    track.SetTrackStartPos(row.Start);
    track.SetTrackEndPos(row.End);
    track.TrackCutTrailing = true;
    const AppSettings settings;
    const OutcomeCase scanned = MakeInto(track, false, dir / "scan", settings);
    const OutcomeCase counted = MakeInto(track, true, dir / "known", settings);
    EXPECT_EQ(counted.State, scanned.State);
    EXPECT_EQ(counted.Message, scanned.Message);
  }
}

// The window shows each track's length from its record's counts; the disc is made from the
// same counts, even when the file's silence has changed since they were taken. A record that
// has not counted yet is made from the file as it is now.
TEST(SilenceCountsTest, DiscIsMadeFromTheCountsTheLayoutShows) {
  struct Row {
    const char* Name;
    bool CountedBeforeTheChange;
    size_t CutFrames;  // frames the made track starts after
  } rows[] = {
      {"counted while 1000 frames were silent", true, 1000},
      {"not counted before 400 of them became sound", false, 600},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    TempDir dir;
    const auto sound = Sound(3000);
    const auto before = Cat({Zeros(4 * 1000), sound});
    const auto after = Cat({Zeros(4 * 600), Sound(400, 7), sound});
    DiscLayout layout;
    layout.Append(test::WaveTrack(dir / "t.wav", before));
    Track& track = layout.At(0);
    track.TrackCutLeading = true;
    if (row.CountedBeforeTheChange) layout.TotalBytes = track.GetTotalBytes();
    test::WriteBytes(dir / "t.wav", test::WaveBytes(after));

    const auto run =
        RunExport(layout, test::SettingsWithWorkDir(dir / "work"), dir / "disc.cue", false);
    ASSERT_EQ(run.State, RunState::Succeeded) << run.Message;
    const auto kept = test::Slice(after, 4 * row.CutFrames, after.size() - 4 * row.CutFrames);
    // The track's own padding at the tail fills out the last CD frame.
    const size_t padding = (2352 - kept.size() % 2352) % 2352;
    EXPECT_EQ(test::ReadBytes(dir / "work/disc/Track01.wav"),
              test::WaveBytes(Cat({kept, Zeros(padding)})));
  }
}

}  // namespace
}  // namespace varnel
