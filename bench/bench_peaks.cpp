// Time to the full waveform peak table of an 80-minute wave file that sits in the page
// cache, against reading the same file with `cat file >/dev/null`. The file (~846 MB) is
// made in $TMPDIR (or /tmp) when the program starts and removed when it ends.
//
// The peak table of a 10-minute stretch of the same file is measured too: the process's
// peak resident memory after each run shows that the scan's memory does not grow with
// the file's length.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/editors/WavePeaks.h"

namespace {

constexpr int64_t kBytesPerMinute = 10584000;
constexpr int64_t kFileMinutes = 80;
constexpr int32_t kColumns = 2000;

std::string gPath;
varnel::WaveDataInfo gInfo;

void PutLe32(std::vector<char>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<char>(x >> (8 * i)));
}

// 16-bit stereo noise at changing levels, with a second of digital silence every minute.
bool MakeFile(const std::string& path) {
  const int64_t dataSize = kFileMinutes * kBytesPerMinute;
  std::vector<char> header;
  auto tag = [&header](const char* text) { header.insert(header.end(), text, text + 4); };
  tag("RIFF");
  PutLe32(header, static_cast<uint32_t>(36 + dataSize));
  tag("WAVE");
  tag("fmt ");
  PutLe32(header, 16);
  header.insert(header.end(), {1, 0, 2, 0});
  PutLe32(header, 44100);
  PutLe32(header, 176400);
  header.insert(header.end(), {4, 0, 16, 0});
  tag("data");
  PutLe32(header, static_cast<uint32_t>(dataSize));

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  std::mt19937 rng(12345);
  std::vector<int16_t> block(kBytesPerMinute / 2);  // one minute of samples
  for (int64_t minute = 0; minute < kFileMinutes && out; ++minute) {
    const int level = 1000 + static_cast<int>(rng() % 30000);
    for (size_t i = 0; i < block.size(); ++i) {
      block[i] = static_cast<int16_t>(static_cast<int>(rng() % (2 * level + 1)) - level);
    }
    std::fill(block.begin() + 20 * 88200, block.begin() + 21 * 88200, int16_t{0});
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size() * 2));
  }
  gInfo = varnel::WaveDataInfo{44, static_cast<int32_t>(dataSize), 2, 16, 44100};
  return static_cast<bool>(out);
}

double MaxRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_CatToDevNull(benchmark::State& state) {
  const std::string command = "cat '" + gPath + "' >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");
  }
  state.SetBytesProcessed(state.iterations() * (gInfo.DataSize + 44));
}

void BM_WavePeaks(benchmark::State& state) {
  varnel::WaveDataInfo info = gInfo;
  info.DataSize = static_cast<int32_t>(state.range(0) * kBytesPerMinute);
  for (auto _ : state) {
    varnel::WavePeaks peaks;
    if (varnel::ComputeWavePeaks(gPath, info, kColumns, peaks) != varnel::PeaksResult::Done) {
      state.SkipWithError("peaks failed");
    }
    benchmark::DoNotOptimize(peaks.Columns.data());
    state.counters["silences"] = static_cast<double>(peaks.Silences.size());
  }
  state.SetBytesProcessed(state.iterations() * info.DataSize);
  state.counters["max_rss_MB"] = MaxRssMb();
}

}  // namespace

BENCHMARK(BM_WavePeaks)->Arg(10)->Arg(kFileMinutes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  std::error_code ec;
  const auto space = std::filesystem::space(folder, ec);
  if (ec || space.available < static_cast<uintmax_t>(kFileMinutes * kBytesPerMinute * 2)) {
    std::fprintf(stderr, "not enough room in %s for the %lld-minute test file\n", folder.c_str(),
                 static_cast<long long>(kFileMinutes));
    return 1;
  }
  gPath = (folder / ("varnel-bench-peaks-" + std::to_string(getpid()) + ".wav")).string();
  const bool made = MakeFile(gPath);
  if (made) {
    // Into the page cache before anything is timed.
    std::system(("cat '" + gPath + "' >/dev/null").c_str());
    benchmark::RunSpecifiedBenchmarks();
  } else {
    std::fprintf(stderr, "cannot write %s\n", gPath.c_str());
  }
  std::filesystem::remove(gPath, ec);
  benchmark::Shutdown();
  return made ? 0 : 1;
}
