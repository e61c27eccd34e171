// How fast MpegAudioFile measures a long MP3: a 60-minute 128 kbit/s file made by lame
// from a sox sine (cached in $TMPDIR), loaded and walked frame by frame. For comparison,
// libmpg123 counts the frames of the same file without decoding them
// (mpg123_framebyframe_next), loaded at run time so that the benchmark needs no link to it.
// The counters report both frame counts: ours is libmpg123's + 1 (lame's Info frame, which
// libmpg123 reads as metadata).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <mpg123.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/audio/MpegAudioFile.h"

namespace {

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

// The cached test file; made on first use (about a minute of lame). Empty on failure.
const std::string& LongMp3() {
  static const std::string path = [] {
    const std::string file = TempFolder() + "/varnel-bench-60min-128k.mp3";
    struct stat st {};
    if (stat(file.c_str(), &st) == 0 && st.st_size > 0) return file;
    const std::string part = file + ".part";
    const std::string cmd =
        "sox -n -r 44100 -c 2 -b 16 -t wav - synth 3600 sine 440 2>/dev/null"
        " | lame --quiet -b 128 - '" +
        part + "' && mv '" + part + "' '" + file + "'";
    std::fprintf(stderr, "making %s ...\n", file.c_str());
    if (std::system(cmd.c_str()) != 0) return std::string();
    return file;
  }();
  return path;
}

// The few libmpg123 entry points the frame counter needs, resolved with dlopen; mpg123.h
// supplies only their types and constants.
struct Mpg123 {
  decltype(&mpg123_init) Init = nullptr;
  decltype(&mpg123_new) New = nullptr;
  decltype(&mpg123_param) Param = nullptr;
  decltype(&mpg123_open) Open = nullptr;
  decltype(&mpg123_framebyframe_next) Next = nullptr;
  decltype(&mpg123_close) Close = nullptr;
  decltype(&mpg123_delete) Delete = nullptr;
  bool Ok = false;

  Mpg123() {
    void* lib = dlopen("libmpg123.so.0", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return;
    Init = reinterpret_cast<decltype(Init)>(dlsym(lib, "mpg123_init"));
    New = reinterpret_cast<decltype(New)>(dlsym(lib, "mpg123_new"));
    Param = reinterpret_cast<decltype(Param)>(dlsym(lib, "mpg123_param"));
    Open = reinterpret_cast<decltype(Open)>(dlsym(lib, "mpg123_open"));
    Next = reinterpret_cast<decltype(Next)>(dlsym(lib, "mpg123_framebyframe_next"));
    Close = reinterpret_cast<decltype(Close)>(dlsym(lib, "mpg123_close"));
    Delete = reinterpret_cast<decltype(Delete)>(dlsym(lib, "mpg123_delete"));
    Ok = Init && New && Param && Open && Next && Close && Delete;
    if (Ok) Init();
  }

  // Frames of the file, counted without decoding; −1 on failure.
  long CountFrames(const std::string& path) const {
    int err = 0;
    mpg123_handle* h = New(nullptr, &err);
    if (h == nullptr) return -1;
    Param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    long frames = -1;
    if (Open(h, path.c_str()) == MPG123_OK) {
      long n = 0;
      int rc = MPG123_OK;
      while ((rc = Next(h)) == MPG123_OK || rc == MPG123_NEW_FORMAT) ++n;
      if (rc == MPG123_DONE) frames = n;
      Close(h);
    }
    Delete(h);
    return frames;
  }
};

const Mpg123& Library() {
  static const Mpg123 lib;
  return lib;
}

void SetFileCounters(benchmark::State& state, const std::string& file, int64_t iterations) {
  struct stat st {};
  stat(file.c_str(), &st);
  state.SetBytesProcessed(iterations * static_cast<int64_t>(st.st_size));
}

void BM_OpenAndCountFrames(benchmark::State& state) {
  const std::string& file = LongMp3();
  if (file.empty()) return state.SkipWithError("cannot make the MP3 (sox, lame)");
  int32_t frames = 0;
  for (auto _ : state) {
    varnel::MpegAudioFile m;
    if (!m.Open(file)) return state.SkipWithError("Open failed");
    frames = m.CountFrames();
    benchmark::DoNotOptimize(frames);
  }
  state.counters["frames"] = frames;
  SetFileCounters(state, file, state.iterations());
}
BENCHMARK(BM_OpenAndCountFrames)->Unit(benchmark::kMillisecond);

void BM_CountFramesLoaded(benchmark::State& state) {
  const std::string& file = LongMp3();
  if (file.empty()) return state.SkipWithError("cannot make the MP3 (sox, lame)");
  varnel::MpegAudioFile m;
  if (!m.Open(file)) return state.SkipWithError("Open failed");
  int32_t frames = 0;
  for (auto _ : state) {
    frames = m.CountFrames();
    benchmark::DoNotOptimize(frames);
  }
  state.counters["frames"] = frames;
  SetFileCounters(state, file, state.iterations());
}
BENCHMARK(BM_CountFramesLoaded)->Unit(benchmark::kMillisecond);

void BM_Libmpg123FrameScan(benchmark::State& state) {
  const std::string& file = LongMp3();
  if (file.empty()) return state.SkipWithError("cannot make the MP3 (sox, lame)");
  if (!Library().Ok) return state.SkipWithError("libmpg123.so.0 not available");
  long frames = 0;
  for (auto _ : state) {
    frames = Library().CountFrames(file);
    benchmark::DoNotOptimize(frames);
  }
  varnel::MpegAudioFile m;
  const int32_t ours = m.Open(file) ? m.CountFrames() : -1;
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["ours_minus_theirs"] = static_cast<double>(ours - frames);
  SetFileCounters(state, file, state.iterations());
}
BENCHMARK(BM_Libmpg123FrameScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
