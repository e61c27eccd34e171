// The disc check of a 99-track layout of 5-second tracks, just after loading it: its cost beyond
// the load. The layout mixes what the check looks at: tracks that cut their silence (counted while
// loading), hidden audio from another file and from the track's own file (whose silence
// the check asks the track records for), ISRCs and a catalog number. Each iteration loads
// the layout afresh, untimed, and times the check alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/check/DiscCheck.h"
#include "app/commands/LayoutFile.h"
#include "app/ports/Prompter.h"

namespace {

using namespace varnel;

class SilentPrompter : public Prompter {
 public:
  void Show(const MessageBox&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  bool ConfirmOkCancel(const std::string&) override { return true; }
  SaveAnswer AskSaveChanges(const std::string&) override { return SaveAnswer::Discard; }
  void Beep() override {}
  std::vector<std::string> OpenFiles(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> BrowseFolder(const std::string&, const std::string&) override {
    return {};
  }
};

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// A canonical wave file: `lead` silent sample frames, `sound` frames of sound, `trail`
// silent ones.
void WriteWave(const std::string& path, uint32_t lead, uint32_t sound, uint32_t trail) {
  const uint32_t bytes = (lead + sound + trail) * 4;
  std::string h = "RIFF";
  Put32(h, 36 + bytes);
  h += "WAVEfmt ";
  Put32(h, 16);
  h += std::string("\x01\x00\x02\x00", 4);
  Put32(h, 44100);
  Put32(h, 176400);
  h += std::string("\x04\x00\x10\x00", 4);
  h += "data";
  Put32(h, bytes);
  std::string data(bytes, '\0');
  for (uint32_t i = lead * 4; i < (lead + sound) * 4; i += 4)
    data[i] = static_cast<char>(1 + i % 251);
  std::ofstream(path, std::ios::binary) << h << data;
}

struct BenchDisc {
  std::string Dir;
  std::string Layout;

  BenchDisc() {
    char tmpl[] = "/tmp/varnel-bench-check-XXXXXX";
    Dir = mkdtemp(tmpl);
    Layout = Dir + "/disc.txt";
    std::string t =
        "[FileInfo]\r\nSoftName=Varnel\r\nVersion=2.03\r\n\r\n[DiscInfo]\r\n"
        "NumTracks=99\r\nMediaCatalog=4901234567894\r\nCD-Text=0\r\nCdtPath=\r\n";
    WriteWave(Dir + "/gap.wav", 0, 3 * 44100, 0);
    for (int i = 0; i < 99; ++i) {
      const std::string wav = Dir + "/t" + std::to_string(i) + ".wav";
      WriteWave(wav, 22050, 4 * 44100, 22050);
      const int style = i % 3;  // silent pre-gap cutting silence, hidden file, hidden index
      char sec[16];
      std::snprintf(sec, sizeof sec, "Track%.2d", i);
      t += std::string("\r\n[") + sec + "]\r\nTrackFileNmae=" + wav + "\r\nFileMode=0\r\n";
      t += "TrackPreGapPos=0\r\nTrackStartPos=" + std::to_string(style == 2 ? 44100 : 0) + "\r\n";
      t += "TrackEndPos=" + std::to_string(5 * 44100) + "\r\n";
      t += "TrackCutLeading=" + std::string(style == 0 ? "1" : "0") + "\r\n";
      t += "TrackCutTrailing=" + std::string(style == 0 ? "1" : "0") + "\r\n";
      t += "PreGapStyle=" + std::to_string(style) + "\r\n";
      t += "PreGapFileName=" + (style == 1 ? Dir + "/gap.wav" : std::string()) + "\r\n";
      t +=
          "PreGapStartPos=0\r\nPreGapEndPos=" + std::to_string(style == 1 ? 3 * 44100 : 0) + "\r\n";
      t += "PreGapLength=150\r\nISRC=USABC99" + std::to_string(10000 + i) + "\r\n";
    }
    std::ofstream(Layout, std::ios::binary) << t;
  }
  ~BenchDisc() { std::filesystem::remove_all(Dir); }
};

void BM_LoadLayout99(benchmark::State& state) {
  BenchDisc disc;
  SilentPrompter prompter;
  for (auto _ : state) {
    AppContext ctx(prompter);
    LoadLayoutFile(ctx, disc.Layout);
    benchmark::DoNotOptimize(ctx.Layout.TotalBytes);
  }
}
BENCHMARK(BM_LoadLayout99)->Unit(benchmark::kMillisecond);

void BM_CheckAfterLoad99(benchmark::State& state) {
  BenchDisc disc;
  SilentPrompter prompter;
  size_t findings = 0;
  for (auto _ : state) {
    state.PauseTiming();
    AppContext ctx(prompter);
    LoadLayoutFile(ctx, disc.Layout);
    state.ResumeTiming();
    findings = CheckDisc(ctx.Layout, ctx.Settings).size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckAfterLoad99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
