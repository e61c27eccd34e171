// A small driver for bench/decode_vs_tools.sh: decodes one source, or looks up many in the
// decode cache, and prints what it measured on one line. Peak memory is measured from
// outside (/usr/bin/time), so the driver holds nothing beyond what decoding needs.
//
//   bench_decode null FILE              decode into a sink that drops the audio
//   bench_decode wave FILE OUT          decode into a new canonical wave file OUT
//   bench_decode fill FOLDER FILE...    decode every FILE into the cache in FOLDER
//   bench_decode lookup FOLDER FILE...  time warm lookups of every FILE (all must hit)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formats/audio/AudioDecoder.h"
#include "formats/audio/DecodedCache.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

class DropSink : public varnel::AudioSink {
 public:
  void Write(const int16_t* frames, size_t count) override {
    // Read the data, as a writer would, so that nothing is optimised away.
    if (count > 0) Check += frames[0] ^ frames[2 * count - 1];
  }
  int Check = 0;
};

void PrintSummary(const char* what, const varnel::DecodeSummary& s, double seconds) {
  std::printf(
      "%s frames=%lld source_frames=%lld rate=%d channels=%d bits=%d seconds=%.4f "
      "samples_per_second=%.0f\n",
      what, static_cast<long long>(s.FramesWritten), static_cast<long long>(s.SourceFrames),
      s.SourceRate, s.SourceChannels, s.SourceBits, seconds,
      static_cast<double>(s.SourceFrames) / seconds);
}

int Run(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "null" && argc == 3) {
    DropSink sink;
    const auto start = Clock::now();
    const varnel::DecodeSummary s = varnel::DecodeAudio(argv[2], sink);
    PrintSummary("null", s, Seconds(start));
    return sink.Check == 12345678 ? 3 : 0;
  }
  if (mode == "wave" && argc == 4) {
    const auto start = Clock::now();
    varnel::PosixFile out = varnel::PosixFile::CreateExclusive(argv[3]);
    const varnel::DecodeSummary s = varnel::DecodeToWaveFile(argv[2], out);
    out.Close();
    PrintSummary("wave", s, Seconds(start));
    return 0;
  }
  if ((mode == "fill" || mode == "lookup") && argc >= 4) {
    varnel::DecodedCache cache(argv[2]);
    const auto start = Clock::now();
    int hits = 0;
    for (int i = 3; i < argc; ++i) {
      if (mode == "fill") {
        cache.Decode(argv[i]);
        ++hits;
      } else if (cache.Lookup(argv[i])) {
        ++hits;
      }
    }
    const double seconds = Seconds(start);
    std::printf("%s files=%d found=%d ms=%.3f\n", mode.c_str(), argc - 3, hits, seconds * 1e3);
    return hits == argc - 3 ? 0 : 1;
  }
  std::fprintf(stderr,
               "usage: bench_decode null FILE | wave FILE OUT | fill|lookup FOLDER FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_decode: %s\n", e.what());
    return 1;
  }
}
