#include "app/editors/WavePeaks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <thread>

#include "app/editors/WavePeaksCache.h"
#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::TempDir;

// 16-bit stereo sample frames as (left, right) pairs.
using Frames = std::vector<std::pair<int16_t, int16_t>>;

std::vector<uint8_t> BytesOf(const Frames& frames) {
  std::vector<uint8_t> data;
  data.reserve(frames.size() * 4);
  for (auto [l, r] : frames) {
    test::PutLe16(data, static_cast<uint16_t>(l));
    test::PutLe16(data, static_cast<uint16_t>(r));
  }
  return data;
}

WaveDataInfo WriteFrames(const std::string& path, const Frames& frames) {
  test::WriteBytes(path, test::WaveBytes(BytesOf(frames)));
  return WaveDataInfo{44, static_cast<int32_t>(frames.size() * 4), 2, 16, 44100};
}

// Sound with quiet and loud passages, and runs of digital silence of the given lengths
// (start, length) laid over it.
Frames MakeFrames(size_t count, const std::vector<std::pair<size_t, size_t>>& silences,
                  uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> loud(-32768, 32767);
  std::uniform_int_distribution<int> quiet(-300, 300);
  Frames f(count);
  for (size_t i = 0; i < count; ++i) {
    auto& dist = (i / 5000) % 2 == 0 ? loud : quiet;
    f[i] = {static_cast<int16_t>(dist(rng)), static_cast<int16_t>(dist(rng))};
    if (f[i].first == 0 && f[i].second == 0) f[i].second = 1;
  }
  for (auto [start, length] : silences) {
    for (size_t i = start; i < start + length && i < count; ++i) f[i] = {0, 0};
  }
  return f;
}

// What the table must hold, computed the plain way from the whole data at once.
WavePeaks Expected(const Frames& f, int32_t sampleCount, int32_t columns, int32_t minSilence) {
  WavePeaks e;
  e.SampleCount = sampleCount;
  e.Columns.assign(static_cast<size_t>(columns), PeakColumn{});
  for (int32_t c = 0; c < columns; ++c) {
    const int64_t first = int64_t{c} * sampleCount / columns;
    const int64_t end =
        std::min<int64_t>(int64_t{c + 1} * sampleCount / columns, static_cast<int64_t>(f.size()));
    if (first >= end) continue;
    int16_t mn = 32767, mx = -32768;
    for (int64_t i = first; i < end; ++i) {
      mn = std::min({mn, f[i].first, f[i].second});
      mx = std::max({mx, f[i].first, f[i].second});
    }
    e.Columns[c] = {mn, mx};
  }
  e.MinSilence = std::max<int32_t>(minSilence, (sampleCount + columns - 1) / columns);
  const int64_t n = std::min<int64_t>(sampleCount, static_cast<int64_t>(f.size()));
  for (int64_t i = 0; i < n;) {
    if (f[i].first != 0 || f[i].second != 0) {
      ++i;
      continue;
    }
    int64_t j = i;
    while (j < n && f[j].first == 0 && f[j].second == 0) ++j;
    if (j - i >= e.MinSilence) e.Silences.push_back({int32_t(i), int32_t(j)});
    i = j;
  }
  return e;
}

void ExpectSameTable(const WavePeaks& got, const WavePeaks& want) {
  EXPECT_EQ(got.SampleCount, want.SampleCount);
  EXPECT_EQ(got.MinSilence, want.MinSilence);
  ASSERT_EQ(got.Columns.size(), want.Columns.size());
  for (size_t c = 0; c < got.Columns.size(); ++c) {
    ASSERT_EQ(got.Columns[c], want.Columns[c]) << "column " << c;
  }
  ASSERT_EQ(got.Silences.size(), want.Silences.size());
  for (size_t i = 0; i < got.Silences.size(); ++i) {
    EXPECT_EQ(got.Silences[i], want.Silences[i]) << "stretch " << i;
  }
}

// A file longer than one read block, with silences inside a column, across column borders,
// across a read-block border (at 262 144 sample frames), too short to be listed, at the very start
// and at the very end.
TEST(WavePeaks, MatchesThePlainComputationForManyColumnCounts) {
  TempDir dir;
  const size_t count = 600000;
  const Frames f = MakeFrames(
      count,
      {{0, 700}, {10000, 587}, {20000, 588}, {261900, 1000}, {300000, 40000}, {598000, 2000}}, 7);
  const WaveDataInfo info = WriteFrames(dir / "a.wav", f);
  for (int32_t columns : {1, 3, 7, 640, 1021, 5000, 600000, 700000}) {
    SCOPED_TRACE(columns);
    WavePeaks peaks;
    ASSERT_EQ(ComputeWavePeaks(dir / "a.wav", info, columns, peaks), PeaksResult::Done);
    ExpectSameTable(peaks, Expected(f, int32_t(count), columns, kDefaultMinSilence));
    EXPECT_LE(peaks.Silences.size(), static_cast<size_t>(columns) + 1);
  }
  // With one column per sample frame every silence from one CD frame on is listed.
  WavePeaks fine;
  ComputeWavePeaks(dir / "a.wav", info, int32_t(count), fine);
  EXPECT_EQ(fine.Silences,
            (std::vector<SilentStretch>{
                {0, 700}, {20000, 20588}, {261900, 262900}, {300000, 340000}, {598000, 600000}}));
}

// However the silences are spread, the list stays within the size of the peak table.
TEST(WavePeaks, SilenceListIsBoundedByTheColumns) {
  TempDir dir;
  std::vector<std::pair<size_t, size_t>> silences;
  for (size_t at = 0; at + 600 <= 400000; at += 1200) silences.push_back({at, 600});
  const Frames f = MakeFrames(400000, silences, 3);
  const WaveDataInfo info = WriteFrames(dir / "a.wav", f);
  WavePeaks peaks;
  ASSERT_EQ(ComputeWavePeaks(dir / "a.wav", info, 500, peaks), PeaksResult::Done);
  EXPECT_EQ(peaks.MinSilence, 800);
  EXPECT_TRUE(peaks.Silences.empty());
  ASSERT_EQ(ComputeWavePeaks(dir / "a.wav", info, 4000, peaks), PeaksResult::Done);
  EXPECT_EQ(peaks.MinSilence, 588);
  EXPECT_EQ(peaks.Silences.size(), silences.size());
}

TEST(WavePeaks, DataTheFileDoesNotHoldStaysEmpty) {
  TempDir dir;
  const Frames f = MakeFrames(1000, {{900, 100}}, 5);
  WaveDataInfo info = WriteFrames(dir / "a.wav", f);
  info.DataSize = 4 * 4000;  // declared four times longer than present
  WavePeaks peaks;
  ASSERT_EQ(ComputeWavePeaks(dir / "a.wav", info, 8, peaks, nullptr, 50), PeaksResult::Done);
  EXPECT_EQ(peaks.SampleCount, 4000);
  ExpectSameTable(peaks, Expected(f, 4000, 8, 50));
  for (size_t c = 2; c < 8; ++c) EXPECT_EQ(peaks.Columns[c], PeakColumn{}) << c;
  // The silence at the end of what is present ends there.
  ASSERT_EQ(ComputeWavePeaks(dir / "a.wav", info, 4000, peaks, nullptr, 50), PeaksResult::Done);
  EXPECT_EQ(peaks.Silences, (std::vector<SilentStretch>{{900, 1000}}));
}

TEST(WavePeaks, OddDataOffsetAndSizeAreReadAsDeclared) {
  TempDir dir;
  // 6 bytes before the data, and a data size with a partial sample frame at the end.
  std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6};
  const Frames f = {{-5, 7}, {100, -100}, {0, 0}, {3, 3}};
  std::vector<uint8_t> data = BytesOf(f);
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(0x7f);
  test::WriteBytes(dir / "raw.bin", bytes);
  WavePeaks peaks;
  ASSERT_EQ(
      ComputeWavePeaks(dir / "raw.bin", WaveDataInfo{6, 17, 2, 16, 44100}, 4, peaks, nullptr, 1),
      PeaksResult::Done);
  EXPECT_EQ(peaks.SampleCount, 4);
  EXPECT_EQ(peaks.Columns, (std::vector<PeakColumn>{{-5, 7}, {-100, 100}, {0, 0}, {3, 3}}));
  EXPECT_EQ(peaks.Silences, (std::vector<SilentStretch>{{2, 3}}));
}

TEST(WavePeaks, UnusableInputsEndCleanly) {
  TempDir dir;
  WavePeaks peaks;
  const WaveDataInfo info{44, 4000, 2, 16, 44100};
  EXPECT_EQ(ComputeWavePeaks(dir / "missing.wav", info, 10, peaks), PeaksResult::Unreadable);
  EXPECT_EQ(ComputeWavePeaks(dir.Path(), info, 10, peaks), PeaksResult::Unreadable);
  ASSERT_EQ(mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
  EXPECT_EQ(ComputeWavePeaks(dir / "pipe.wav", info, 10, peaks), PeaksResult::Unreadable);

  // No data at all: every column empty, the strip 0 long.
  test::WriteBytes(dir / "empty.wav", test::WaveBytes({}));
  ASSERT_EQ(ComputeWavePeaks(dir / "empty.wav", WaveDataInfo{44, 0, 2, 16, 44100}, 10, peaks),
            PeaksResult::Done);
  EXPECT_EQ(peaks.SampleCount, 0);
  EXPECT_EQ(peaks.Columns, std::vector<PeakColumn>(10));
  EXPECT_TRUE(peaks.Silences.empty());
  EXPECT_EQ(peaks.ColumnOf(0), 0);

  // Garbage summaries and column counts.
  const WaveDataInfo garbage[] = {
      {-44, 4000, 2, 16, 44100}, {44, -4000, 2, 16, 44100}, {2000000000, 2000000000, 2, 16, 44100}};
  for (const WaveDataInfo& g : garbage) {
    EXPECT_EQ(ComputeWavePeaks(dir / "empty.wav", g, 10, peaks), PeaksResult::Done);
  }
  EXPECT_EQ(ComputeWavePeaks(dir / "empty.wav", info, 0, peaks), PeaksResult::Done);
  EXPECT_TRUE(peaks.Columns.empty());
  EXPECT_EQ(peaks.ColumnOf(5), -1);
  EXPECT_EQ(ComputeWavePeaks(dir / "empty.wav", info, -3, peaks), PeaksResult::Done);
  EXPECT_TRUE(peaks.Columns.empty());
  EXPECT_EQ(ComputeWavePeaks(dir / "empty.wav", info, 2147483647, peaks), PeaksResult::Done);
  EXPECT_EQ(peaks.Columns.size(), static_cast<size_t>(kMaxPeakColumns));
}

TEST(WavePeaks, CancelStopsTheScan) {
  TempDir dir;
  const WaveDataInfo info = WriteFrames(dir / "a.wav", MakeFrames(300000, {}, 1));
  std::atomic<bool> cancel{true};
  WavePeaks peaks;
  EXPECT_EQ(ComputeWavePeaks(dir / "a.wav", info, 100, peaks, &cancel), PeaksResult::Cancelled);
  // From another thread, while it runs: it ends either way, and a finished table is whole.
  cancel = false;
  PeaksResult result = PeaksResult::Unreadable;
  std::thread worker([&] { result = ComputeWavePeaks(dir / "a.wav", info, 100, peaks, &cancel); });
  cancel = true;
  worker.join();
  EXPECT_NE(result, PeaksResult::Unreadable);
}

TEST(WavePeaks, ColumnOfIsTheColumnThatHoldsThePosition) {
  for (int32_t samples : {1, 5, 99, 100, 101, 4567}) {
    for (int32_t columns : {1, 2, 3, 7, 100, 150, 9000}) {
      WavePeaks p;
      p.SampleCount = samples;
      p.Columns.resize(static_cast<size_t>(columns));
      EXPECT_EQ(p.ColumnStart(0), 0);
      EXPECT_EQ(p.ColumnStart(columns), samples);
      for (int32_t pos = 0; pos < samples; ++pos) {
        const int32_t c = p.ColumnOf(pos);
        ASSERT_LE(p.ColumnStart(c), pos) << samples << " " << columns << " " << pos;
        ASSERT_LT(pos, p.ColumnStart(c + 1)) << samples << " " << columns << " " << pos;
      }
      EXPECT_EQ(p.ColumnOf(-10), p.ColumnOf(0));
      EXPECT_EQ(p.ColumnOf(samples + 10), p.ColumnOf(samples - 1));
    }
  }
}

TEST(WavePeaksCache, GivesTablesBackWhileTheFileIsUnchanged) {
  TempDir dir;
  const WaveDataInfo info = WriteFrames(dir / "a.wav", MakeFrames(2000, {}, 1));
  const WaveDataInfo infoB = WriteFrames(dir / "b.wav", MakeFrames(3000, {}, 2));
  WavePeaksCache cache(2);
  auto compute = [](const std::string& path, const WaveDataInfo& i, int32_t columns) {
    auto p = std::make_shared<WavePeaks>();
    EXPECT_EQ(ComputeWavePeaks(path, i, columns, *p), PeaksResult::Done);
    return std::shared_ptr<const WavePeaks>(p);
  };
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 50), nullptr);
  const auto a = compute(dir / "a.wav", info, 50);
  cache.Store(dir / "a.wav", info, a);
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 50), a);
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 51), nullptr);
  WaveDataInfo other = info;
  other.DataSize -= 4;
  EXPECT_EQ(cache.Find(dir / "a.wav", other, 50), nullptr);

  // Room for two: the least recently used goes.
  const auto b = compute(dir / "b.wav", infoB, 50);
  const auto a2 = compute(dir / "a.wav", info, 80);
  cache.Store(dir / "b.wav", infoB, b);
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 50), a);  // a is now the most recent
  cache.Store(dir / "a.wav", info, a2);
  EXPECT_EQ(cache.Find(dir / "b.wav", infoB, 50), nullptr);
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 80), a2);

  // A rewritten file is not served from the cache.
  WriteFrames(dir / "a.wav", MakeFrames(2001, {}, 9));
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 80), nullptr);
  std::filesystem::remove(dir / "a.wav");
  EXPECT_EQ(cache.Find(dir / "a.wav", info, 50), nullptr);
}

}  // namespace
}  // namespace varnel
