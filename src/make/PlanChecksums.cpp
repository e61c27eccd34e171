#include "make/PlanChecksums.h"

#include <fcntl.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "formats/audio/AudioDecoder.h"
#include "model/CdTime.h"
#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr size_t kBlockBytes = 1 << 20;
constexpr int64_t kProgressStep = 8 << 20;
constexpr uint32_t kSkipSamples = 5 * 588;

// One track's sums, fed its bytes in order.
class TrackSums {
 public:
  TrackSums(int32_t number, int64_t bytes, bool first, bool last)
      : Number_(number),
        Samples_(static_cast<uint32_t>(bytes / 4)),
        From_(first ? kSkipSamples : 1),
        To_(last ? (Samples_ > kSkipSamples ? Samples_ - kSkipSamples : 0) : Samples_) {}

  void Add(const unsigned char* data, size_t size) {
    Crc_ = static_cast<uint32_t>(crc32(Crc_, data, static_cast<uInt>(size)));
    size_t i = 0;
    // A sample split between two blocks.
    while (CarryBytes_ > 0 && CarryBytes_ < 4 && i < size) Carry_[CarryBytes_++] = data[i++];
    if (CarryBytes_ == 4) {
      Sample(Carry_);
      CarryBytes_ = 0;
    }
    for (; i + 4 <= size; i += 4) Sample(data + i);
    while (i < size) Carry_[CarryBytes_++] = data[i++];
  }

  TrackChecksums Result() const { return {Number_, V1_, V2_, Crc_}; }

 private:
  void Sample(const unsigned char* p) {
    ++Mul_;
    if (Mul_ < From_ || Mul_ > To_) return;
    const uint32_t s = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                       static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
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
  uint32_t Crc_ = static_cast<uint32_t>(crc32(0, nullptr, 0));
  unsigned char Carry_[4] = {};
  int CarryBytes_ = 0;
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

  // `size` bytes at disc byte `at` (at or after where the feed stands).
  void Push(int64_t at, const unsigned char* data, size_t size) {
    if (at < Pos_) {
      const int64_t skip = std::min<int64_t>(Pos_ - at, static_cast<int64_t>(size));
      data += skip;
      size -= static_cast<size_t>(skip);
    }
    while (size > 0 && Track_ < Sums_.size()) {
      const auto room = static_cast<size_t>(std::min<int64_t>(Bounds_[Track_] - Pos_, SIZE_MAX));
      const size_t n = std::min(size, room);
      Sums_[Track_].Add(data, n);
      data += n;
      size -= n;
      Pos_ += static_cast<int64_t>(n);
      if (Pos_ == Bounds_[Track_]) ++Track_;
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
      Push(Pos_, kZeros, static_cast<size_t>(std::min<int64_t>(end - Pos_, sizeof kZeros)));
    }
  }

  int64_t Position() const { return Pos_; }
  bool Done() const { return Track_ >= Sums_.size(); }

  std::vector<TrackChecksums> Results() const {
    if (Progress_) Progress_(Total_, Total_);
    std::vector<TrackChecksums> out;
    for (const TrackSums& s : Sums_) out.push_back(s.Result());
    return out;
  }

 private:
  const ChecksumProgress& Progress_;
  const std::atomic<bool>* Cancel_;
  std::vector<int64_t> Bounds_;  // disc byte where each audio track's span ends
  std::vector<TrackSums> Sums_;
  size_t Track_ = 0;
  int64_t Pos_ = 0;
  int64_t Start_ = 0;
  int64_t Total_ = 0;
  int64_t Reported_ = 0;
};

// `length` bytes of `path` from byte `start` (−1: to its end) pushed at disc byte `at`;
// returns the bytes pushed. A file that ends early gives what it holds.
int64_t FeedStretch(DiscFeed& feed, const FileStretch& s, int64_t at, int64_t limit,
                    std::vector<unsigned char>& buffer) {
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
  while (done < want && !feed.Done()) {
    const auto n = static_cast<size_t>(std::min<int64_t>(want - done, buffer.size()));
    const size_t got = file.ReadAt(s.Start + done, buffer.data(), n);
    if (got == 0) break;
    feed.Push(at + done, buffer.data(), got);
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

std::vector<TrackChecksums> PlanChecksums(const PlannedDisc& disc, const ChecksumProgress& progress,
                                          const std::atomic<bool>* cancel) {
  DiscFeed feed(disc, progress, cancel);
  std::vector<unsigned char> buffer(kBlockBytes);
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
        at += FeedStretch(feed, s, at, limit, buffer);
      }
    }
    feed.Zeros(fileEnd);  // a short source, and the padding to a whole frame
  }
  return feed.Results();
}

}  // namespace varnel
