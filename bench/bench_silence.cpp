// Silence scans over a fully silent 100 MiB region of a wave file, against the floor of
// reading the same bytes with a plain read() loop. The file is made in $TMPDIR (or /tmp)
// and removed at the end; one untimed pass warms the page cache.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/Track.h"

namespace {

constexpr int32_t kDataOffset = 44;
constexpr int64_t kDataBytes = int64_t{100} * 1024 * 1024;
constexpr int32_t kFrames = static_cast<int32_t>(kDataBytes / 4);

std::string g_path;
char g_pathForSignal[4096];

// The file goes even when the run is interrupted (Ctrl-C, a closed pipe).
void RemoveFileAndExit(int) {
  ::unlink(g_pathForSignal);
  ::_exit(1);
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// A 44-byte header (its content does not matter to the scans) and 100 MiB of zero
// samples, written out so that the file holds real blocks, not a hole.
bool MakeFile() {
  const char* tmp = std::getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-bench-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  g_path = name.data();
  if (g_path.size() < sizeof g_pathForSignal) {
    std::memcpy(g_pathForSignal, g_path.c_str(), g_path.size() + 1);
    for (int sig : {SIGINT, SIGTERM, SIGPIPE, SIGHUP}) ::signal(sig, RemoveFileAndExit);
  }
  std::vector<char> header(kDataOffset, 'H');
  std::vector<char> zeros(1 << 20, 0);
  bool ok = WriteAll(fd, header.data(), header.size());
  for (int64_t left = kDataBytes; ok && left > 0;) {
    size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(zeros.size())));
    ok = WriteAll(fd, zeros.data(), n);
    left -= static_cast<int64_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

// What `cat` does: read() into a 128 KiB buffer until the end of the file.
int64_t ReadWholeFile(size_t bufferBytes) {
  int fd = ::open(g_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::vector<char> buffer(bufferBytes);
  int64_t total = 0;
  for (;;) {
    ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n <= 0) break;
    total += n;
  }
  ::close(fd);
  return total;
}

void BM_LeadingSilence(benchmark::State& state) {
  for (auto _ : state) {
    int32_t n = varnel::CountLeadingSilenceInFile(g_path, kDataOffset, 0, kFrames);
    if (n != kFrames) state.SkipWithError("wrong leading count");
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(state.iterations() * kDataBytes);
}

void BM_TrailingSilence(benchmark::State& state) {
  for (auto _ : state) {
    int32_t n = varnel::CountTrailingSilenceInFile(g_path, kDataOffset, 0, kFrames);
    if (n != kFrames) state.SkipWithError("wrong trailing count");
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(state.iterations() * kDataBytes);
}

void BM_ReadFloor(benchmark::State& state) {
  for (auto _ : state) {
    int64_t n = ReadWholeFile(static_cast<size_t>(state.range(0)));
    if (n != kDataOffset + kDataBytes) state.SkipWithError("short read");
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(state.iterations() * kDataBytes);
}

BENCHMARK(BM_LeadingSilence)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrailingSilence)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFloor)->Arg(128 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!MakeFile()) {
    std::fprintf(stderr, "cannot make the test file %s\n", g_path.c_str());
    if (!g_path.empty()) ::unlink(g_path.c_str());
    return 1;
  }
  ReadWholeFile(1 << 20);  // warm the page cache
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ::unlink(g_path.c_str());
  return 0;
}
