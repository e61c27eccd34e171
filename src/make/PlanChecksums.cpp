#include "make/PlanChecksums.h"

#include <fcntl.h>
#include <immintrin.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "formats/audio/AudioDecoder.h"
#include "model/CdTime.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr size_t kBlockBytes = 1 << 20;
constexpr int64_t kProgressStep = 8 << 20;
constexpr uint32_t kSkipSamples = 5 * 588;

// One 128-bit lane `a` folded by the constants `k` onto the next `b`.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i a, __m128i b, __m128i k) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x11), b),
                       _mm_clmulepi64_si128(a, k, 0x00));
}

// CRC32 of a multiple of 16 bytes (64 at least) by carry-less multiplication, folding four
// 128-bit lanes at a time, then a Barrett reduction: the method of Intel's "Fast CRC
// Computation for Generic Polynomials Using PCLMULQDQ", with the constants of the reflected
// CRC32 polynomial. Takes and gives the CRC's register (not inverted).
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldCrc32(const unsigned char* buf, size_t len,
                                                            uint32_t crc) {
  alignas(16) static const uint64_t k1k2[] = {0x0154442bd4, 0x01c6e41596};
  alignas(16) static const uint64_t k3k4[] = {0x01751997d0, 0x00ccaa009e};
  alignas(16) static const uint64_t k5k0[] = {0x0163cd6124, 0x0000000000};
  alignas(16) static const uint64_t poly[] = {0x01db710641, 0x01f7011641};
  const auto load = [](const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  };
  __m128i x1 = _mm_xor_si128(load(buf), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = load(buf + 16);
  __m128i x3 = load(buf + 32);
  __m128i x4 = load(buf + 48);
  __m128i x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
  buf += 64;
  len -= 64;
  for (; len >= 64; buf += 64, len -= 64) {
    const __m128i x5 = _mm_clmulepi64_si128(x1, x0, 0x00);
    const __m128i x6 = _mm_clmulepi64_si128(x2, x0, 0x00);
    const __m128i x7 = _mm_clmulepi64_si128(x3, x0, 0x00);
    const __m128i x8 = _mm_clmulepi64_si128(x4, x0, 0x00);
    x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, x0, 0x11), x5), load(buf));
    x2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x2, x0, 0x11), x6), load(buf + 16));
    x3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x3, x0, 0x11), x7), load(buf + 32));
    x4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x4, x0, 0x11), x8), load(buf + 48));
  }
  x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
  x1 = Fold(x1, x2, x0);
  x1 = Fold(x1, x3, x0);
  x1 = Fold(x1, x4, x0);
  for (; len >= 16; buf += 16, len -= 16) x1 = Fold(x1, load(buf), x0);
  // 128 bits to 64, then the Barrett reduction to 32.
  x2 = _mm_clmulepi64_si128(x1, x0, 0x10);
  x3 = _mm_setr_epi32(~0, 0, ~0, 0);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
  x0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
  x2 = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, x3), x0, 0x00), x2);
  x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
  x2 = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, x3), x0, 0x10), x3);
  x2 = _mm_clmulepi64_si128(x2, x0, 0x00);
  return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x1, x2), 1));
}

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}

// The sums of the products sample × multiplier over words [lo, hi) of a block whose word 0 has
// the multiplier `base`: of their low and of their high 32 bits.
struct ArSums {
  uint32_t Low = 0;
  uint32_t High = 0;
};

ArSums SumsPlain(const unsigned char* words, uint32_t base, uint64_t lo, uint64_t hi) {
  ArSums sums;
  for (uint64_t k = lo; k < hi; ++k) {
    uint32_t s;
    std::memcpy(&s, words + 4 * k, 4);
    const uint64_t product = uint64_t{s} * (base + static_cast<uint32_t>(k));
    sums.Low += static_cast<uint32_t>(product);
    sums.High += static_cast<uint32_t>(product >> 32);
  }
  return sums;
}

// The same, four products at a time in 64-bit lanes: the low halves summed modulo 2^64 (their
// sum modulo 2^32 is that of the low halves), the high halves apart.
__attribute__((target("avx2"))) ArSums SumsAvx2(const unsigned char* words, uint32_t base,
                                                uint64_t lo, uint64_t hi) {
  __m256i low = _mm256_setzero_si256();
  __m256i high = _mm256_setzero_si256();
  __m256i mul = _mm256_setr_epi64x(
      base + static_cast<uint32_t>(lo), base + static_cast<uint32_t>(lo) + 1,
      base + static_cast<uint32_t>(lo) + 2, base + static_cast<uint32_t>(lo) + 3);
  const __m256i four = _mm256_set1_epi64x(4);
  const __m256i mask = _mm256_set1_epi64x(0xFFFFFFFF);
  uint64_t k = lo;
  for (; k + 4 <= hi; k += 4) {
    const __m256i s =
        _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * k)));
    // The multipliers wrap at 2^32 as the plain sum's do.
    const __m256i product = _mm256_mul_epu32(s, _mm256_and_si256(mul, mask));
    low = _mm256_add_epi64(low, product);
    high = _mm256_add_epi64(high, _mm256_srli_epi64(product, 32));
    mul = _mm256_add_epi64(mul, four);
  }
  alignas(32) uint64_t l[4];
  alignas(32) uint64_t h[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(l), low);
  _mm256_store_si256(reinterpret_cast<__m256i*>(h), high);
  ArSums sums = SumsPlain(words, base, k, hi);
  for (int j = 0; j < 4; ++j) {
    sums.Low += static_cast<uint32_t>(l[j]);
    sums.High += static_cast<uint32_t>(h[j]);
  }
  return sums;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// Sums one block on a thread of its own while the caller reads the next: the CRC and the
// AccurateRip sums of a block take about as long as reading it, and the machine has a second
// core.
class BlockWorker {
 public:
  BlockWorker() : Thread_([this] { Run(); }) {}
  ~BlockWorker() {
    {
      std::lock_guard<std::mutex> lock(Mutex_);
      Stop_ = true;
    }
    Wake_.notify_all();
    Thread_.join();
  }
  BlockWorker(const BlockWorker&) = delete;
  BlockWorker& operator=(const BlockWorker&) = delete;

  // `job` must not throw.
  void Start(std::function<void()> job) {
    {
      std::lock_guard<std::mutex> lock(Mutex_);
      Job_ = std::move(job);
      Busy_ = true;
    }
    Wake_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(Mutex_);
    Done_.wait(lock, [this] { return !Busy_; });
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(Mutex_);
    for (;;) {
      Wake_.wait(lock, [this] { return Busy_ || Stop_; });
      if (Busy_) {
        lock.unlock();
        Job_();
        lock.lock();
        Busy_ = false;
        Done_.notify_all();
      }
      if (Stop_) return;
    }
  }

  std::mutex Mutex_;
  std::condition_variable Wake_;
  std::condition_variable Done_;
  std::function<void()> Job_;
  bool Busy_ = false;
  bool Stop_ = false;
  std::thread Thread_;
};

// One track's sums, fed its bytes in order.
class TrackSums {
 public:
  TrackSums(int32_t number, int64_t bytes, bool first, bool last)
      : Number_(number),
        Samples_(static_cast<uint32_t>(bytes / 4)),
        From_(first ? kSkipSamples : 1),
        To_(last ? (Samples_ > kSkipSamples ? Samples_ - kSkipSamples : 0) : Samples_) {}

  // A large block is summed by the worker. `stable`: the block stays as it is until the next
  // call, which waits for the worker first (the caller reads the next block meanwhile); else
  // the worker is waited for before returning.
  void Add(const unsigned char* data, size_t size, BlockWorker& worker, bool stable) {
    Settle(worker);
    if (size < kApartBytes) {
      Sum(data, size);
      return;
    }
    worker.Start([this, data, size] { Sum(data, size); });
    Pending_ = true;
    if (!stable) Settle(worker);
  }

  // Waits for a block the worker still sums.
  void Settle(BlockWorker& worker) {
    if (!Pending_) return;
    worker.Wait();
    Pending_ = false;
  }

  TrackChecksums Result() const { return {Number_, V1_, V2_, Crc_}; }

 private:
  static constexpr size_t kApartBytes = 256 * 1024;

  void Sum(const unsigned char* data, size_t size) {
    Crc_ = Crc32(Crc_, data, size);
    size_t i = 0;
    // A sample split between two blocks.
    while (CarryBytes_ > 0 && CarryBytes_ < 4 && i < size) Carry_[CarryBytes_++] = data[i++];
    if (CarryBytes_ == 4) {
      Sample(Carry_);
      CarryBytes_ = 0;
    }
    // The whole samples: those within [From_, To_] without a test each.
    const size_t words = (size - i) / 4;
    const uint64_t first = uint64_t{Mul_} + 1;  // the multiplier of the first word
    const uint64_t lo = From_ > first ? std::min<uint64_t>(From_ - first, words) : 0;
    const uint64_t hi = To_ + uint64_t{1} > first ? std::min<uint64_t>(To_ + 1 - first, words) : 0;
    // 32-bit multipliers and sums (a track has fewer than 2^32 samples): a loop the compiler
    // turns into vector multiplications.
    const ArSums sums = HasAvx2() ? SumsAvx2(data + i, static_cast<uint32_t>(first), lo, hi)
                                  : SumsPlain(data + i, static_cast<uint32_t>(first), lo, hi);
    V1_ += sums.Low;
    V2_ += sums.Low + sums.High;
    Mul_ += static_cast<uint32_t>(words);
    i += 4 * words;
    while (i < size) Carry_[CarryBytes_++] = data[i++];
  }

  void Sample(const unsigned char* p) {
    ++Mul_;
    if (Mul_ < From_ || Mul_ > To_) return;
    uint32_t s;
    std::memcpy(&s, p, 4);
    const uint64_t product = static_cast<uint64_t>(s) * Mul_;
    V1_ += static_cast<uint32_t>(product);
    V2_ += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
  }

  int32_t Number_;
  uint32_t Samples_;
  uint32_t From_;
  uint32_t To_;
  uint32_t Mul_ = 0;
  uint32_t V1_ = 0;
  uint32_t V2_ = 0;
  uint32_t Crc_ = 0;
  unsigned char Carry_[4] = {};
  int CarryBytes_ = 0;
  bool Pending_ = false;
};

// The audio of the disc pushed in order, from the first audio track's index 01 to the end
// of the audio, to each track's sums in turn.
class DiscFeed {
 public:
  DiscFeed(const PlannedDisc& disc, const ChecksumProgress& progress,
           const std::atomic<bool>* cancel)
      : Progress_(progress), Cancel_(cancel) {
    std::vector<const PlannedTrackSpan*> audio;
    for (const PlannedTrackSpan& span : disc.Tracks) {
      if (span.Audio) audio.push_back(&span);
    }
    for (size_t i = 0; i < audio.size(); ++i) {
      const int64_t end =
          i + 1 < audio.size() ? audio[i + 1]->Index1 : audio[i]->FileStart + audio[i]->FileFrames;
      Bounds_.push_back(end * kBytesPerCdFrame);
      Sums_.emplace_back(audio[i]->Number, (end - audio[i]->Index1) * kBytesPerCdFrame, i == 0,
                         i + 1 == audio.size());
    }
    if (!audio.empty()) {
      Pos_ = audio.front()->Index1 * kBytesPerCdFrame;
      Start_ = Pos_;
      Total_ = Bounds_.back() - Pos_;
    }
  }

  // `size` bytes at disc byte `at` (at or after where the feed stands). `stable`: the bytes
  // stay as they are until the next Push but one.
  void Push(int64_t at, const unsigned char* data, size_t size, bool stable = false) {
    if (at < Pos_) {
      const int64_t skip = std::min<int64_t>(Pos_ - at, static_cast<int64_t>(size));
      data += skip;
      size -= static_cast<size_t>(skip);
    }
    while (size > 0 && Track_ < Sums_.size()) {
      const auto room = static_cast<size_t>(std::min<int64_t>(Bounds_[Track_] - Pos_, SIZE_MAX));
      const size_t n = std::min(size, room);
      Sums_[Track_].Add(data, n, Worker_, stable);
      data += n;
      size -= n;
      Pos_ += static_cast<int64_t>(n);
      if (Pos_ == Bounds_[Track_]) Sums_[Track_++].Settle(Worker_);
    }
    if (Cancel_ && Cancel_->load()) throw ChecksumsCanceled();
    if (Progress_ && Pos_ - Reported_ >= kProgressStep) {
      Reported_ = Pos_;
      Progress_(Pos_ - Start_, Total_);
    }
  }

  // Zero bytes from the feed's position up to disc byte `end`.
  void Zeros(int64_t end) {
    static const unsigned char kZeros[64 * 1024] = {};
    while (Pos_ < end && Track_ < Sums_.size()) {
      Push(Pos_, kZeros, static_cast<size_t>(std::min<int64_t>(end - Pos_, sizeof kZeros)), true);
    }
  }

  int64_t Position() const { return Pos_; }
  bool Done() const { return Track_ >= Sums_.size(); }

  std::vector<TrackChecksums> Results() {
    if (Progress_) Progress_(Total_, Total_);
    std::vector<TrackChecksums> out;
    for (TrackSums& s : Sums_) {
      s.Settle(Worker_);
      out.push_back(s.Result());
    }
    return out;
  }

 private:
  const ChecksumProgress& Progress_;
  const std::atomic<bool>* Cancel_;
  std::vector<int64_t> Bounds_;  // disc byte where each audio track's span ends
  std::vector<TrackSums> Sums_;
  BlockWorker Worker_;
  size_t Track_ = 0;
  int64_t Pos_ = 0;
  int64_t Start_ = 0;
  int64_t Total_ = 0;
  int64_t Reported_ = 0;
};

// `length` bytes of `path` from byte `start` (−1: to its end) pushed at disc byte `at`;
// returns the bytes pushed. A file that ends early gives what it holds.
int64_t FeedStretch(DiscFeed& feed, const FileStretch& s, int64_t at, int64_t limit,
                    std::vector<unsigned char> (&buffers)[2], int& next) {
  if (s.Source.empty()) {
    const int64_t n = std::min(s.Bytes, limit);
    feed.Zeros(at + n);
    return n;
  }
  PosixFile file = PosixFile::OpenForReading(s.Source);
  ::posix_fadvise(file.Fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
  int64_t want = s.Bytes >= 0 ? std::min(s.Bytes, limit) : limit;
  // What lies before the feed's position is not read at all.
  const int64_t skip = std::clamp<int64_t>(feed.Position() - at, 0, want);
  int64_t done = skip;
  // Two buffers in turn: one is read into while the CRC of the other is still made.
  while (done < want && !feed.Done()) {
    std::vector<unsigned char>& buffer = buffers[next];
    next = 1 - next;
    const auto n = static_cast<size_t>(std::min<int64_t>(want - done, buffer.size()));
    const size_t got = file.ReadAt(s.Start + done, buffer.data(), n);
    if (got == 0) break;
    feed.Push(at + done, buffer.data(), got, true);
    done += static_cast<int64_t>(got);
  }
  return done;
}

// Decoded audio pushed at the feed's position, cut to `limit` bytes.
class FeedSink : public AudioSink {
 public:
  FeedSink(DiscFeed& feed, int64_t at, int64_t limit) : Feed_(feed), At_(at), Limit_(limit) {}
  void Write(const int16_t* frames, size_t count) override {
    auto bytes = static_cast<int64_t>(count * 4);
    bytes = std::min(bytes, Limit_ - Done_);
    if (bytes <= 0) return;
    Feed_.Push(At_ + Done_, reinterpret_cast<const unsigned char*>(frames),
               static_cast<size_t>(bytes));
    Done_ += bytes;
  }
  int64_t Done() const { return Done_; }

 private:
  DiscFeed& Feed_;
  int64_t At_;
  int64_t Limit_;
  int64_t Done_ = 0;
};

}  // namespace

uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t size) {
  if (size >= 64 && HasClmul()) {
    const size_t whole = size & ~size_t{15};
    crc = ~FoldCrc32(data, whole, ~crc);
    data += whole;
    size -= whole;
  }
  return size == 0 ? crc : static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(size)));
}

std::vector<TrackChecksums> PlanChecksums(const PlannedDisc& disc, const ChecksumProgress& progress,
                                          const std::atomic<bool>* cancel) {
  // The buffers outlive the feed, whose worker may still read one when an error leaves.
  std::vector<unsigned char> buffers[2] = {std::vector<unsigned char>(kBlockBytes),
                                           std::vector<unsigned char>(kBlockBytes)};
  int next = 0;
  DiscFeed feed(disc, progress, cancel);
  for (const PlannedTrackSpan& span : disc.Tracks) {
    if (!span.Audio || feed.Done()) continue;
    const int64_t fileAt = span.FileStart * kBytesPerCdFrame;
    const int64_t fileEnd = fileAt + span.FileFrames * kBytesPerCdFrame;
    if (fileEnd <= feed.Position()) continue;
    feed.Zeros(fileAt);  // the silent pre-gap
    int64_t at = fileAt;
    const TrackPlan& plan = *span.Plan;
    if (plan.Kind == TrackKind::Mp3) {
      FeedSink sink(feed, at, span.FileBytes);
      try {
        DecodeAudio(plan.Content.front().Source, sink, {}, nullptr, cancel);
      } catch (const DecodeCanceled&) {
        throw ChecksumsCanceled();
      }
      at += sink.Done();
    } else {
      for (const FileStretch& s : plan.Content) {
        const int64_t limit = fileAt + span.FileBytes - at;
        if (limit <= 0) break;
        at += FeedStretch(feed, s, at, limit, buffers, next);
      }
    }
    feed.Zeros(fileEnd);  // a short source, and the padding to a whole frame
  }
  return feed.Results();
}

}  // namespace varnel
