// The INI engine on the largest file the program writes: a layout of 99 tracks with its
// nineteen keys each, written key by key and read key by key.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "persist/IniFile.h"
#include "persist/LayoutText.h"

namespace {

using varnel::IniFile;

std::string TrackSection(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "Track%02d", i);
  return name;
}

IniFile WriteLayout(int tracks) {
  IniFile ini;
  ini.WriteString("FileInfo", "SoftName", "Varnel");
  ini.WriteString("DiscInfo", "NumTracks", std::to_string(tracks));
  for (int t = 0; t < tracks; ++t) {
    std::string sec = TrackSection(t);
    for (const varnel::TrackKey& k : varnel::kTrackKeys)
      ini.WriteString(sec, k.Name, "/music/some album/track.wav");
  }
  return ini;
}

void BM_WriteLayout(benchmark::State& state) {
  for (auto _ : state) {
    IniFile ini = WriteLayout(static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(ini);
  }
}
BENCHMARK(BM_WriteLayout)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond);

void BM_ReadLayout(benchmark::State& state) {
  const int tracks = static_cast<int>(state.range(0));
  IniFile ini;
  ini.LoadText(WriteLayout(tracks).Text());
  for (auto _ : state) {
    size_t total = 0;
    for (int t = 0; t < tracks; ++t) {
      std::string sec = TrackSection(t);
      for (const varnel::TrackKey& k : varnel::kTrackKeys) {
        total += ini.ReadString(sec, k.Name, "").size();
      }
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadLayout)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
