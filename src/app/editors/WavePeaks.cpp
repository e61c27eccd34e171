#include "app/editors/WavePeaks.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "model/CdTime.h"
#include "model/PosixFile.h"
#include "model/SilenceScan.h"

namespace varnel {

namespace {

// Sample frames per read: 512 KiB of data, small enough to stay in the processor's cache
// between the read and the scan.
constexpr size_t kBlockFrames = 131072;

FileStamp StampOfStat(const struct stat& st) {
  FileStamp stamp;
  stamp.Size = static_cast<int64_t>(st.st_size);
  stamp.ModifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                     static_cast<int64_t>(st.st_mtim.tv_nsec);
  return stamp;
}

// Walks the sample data block by block, column by column, and keeps the silence run that
// is open across segment borders.
class PeakScanner {
 public:
  PeakScanner(WavePeaks& out, int32_t columns, int32_t minRun)
      : Out_(out), Columns_(columns), MinRun_(minRun) {
    ColumnEnd_ = Out_.ColumnStart(1);
  }

  // `frames` sample frames (two 16-bit values each) starting at sample frame `first`.
  void Block(const int16_t* samples, size_t frames, int64_t first) {
    size_t done = 0;
    while (done < frames) {
      const int64_t p = first + static_cast<int64_t>(done);
      while (p >= ColumnEnd_ && Column_ + 1 < Columns_) NextColumn();
      const size_t take = static_cast<size_t>(
          std::min<int64_t>(static_cast<int64_t>(frames - done), ColumnEnd_ - p));
      Segment(samples + 2 * done, take, p);
      done += take;
    }
  }

  // The end of the data at sample frame `end`.
  void Finish(int64_t end) {
    CloseRun(end);
    FlushColumn();
  }

 private:
  void NextColumn() {
    FlushColumn();
    ++Column_;
    ColumnEnd_ = Out_.ColumnStart(Column_ + 1);
  }

  void FlushColumn() {
    if (!HasData_) return;
    Out_.Columns[static_cast<size_t>(Column_)] = PeakColumn{Min_, Max_};
    HasData_ = false;
    Min_ = std::numeric_limits<int16_t>::max();
    Max_ = std::numeric_limits<int16_t>::min();
  }

  void CloseRun(int64_t end) {
    if (RunStart_ >= 0 && end - RunStart_ >= MinRun_) {
      Out_.Silences.push_back(
          SilentStretch{static_cast<int32_t>(RunStart_), static_cast<int32_t>(end)});
    }
    RunStart_ = -1;
  }

  void Segment(const int16_t* s, size_t frames, int64_t first) {
    if (frames == 0) return;
    int16_t mn = Min_;
    int16_t mx = Max_;
    const size_t values = 2 * frames;
    for (size_t k = 0; k < values; ++k) {
      mn = std::min(mn, s[k]);
      mx = std::max(mx, s[k]);
    }
    Min_ = mn;
    Max_ = mx;
    HasData_ = true;

    // Silent stretches, run by run: the end of an open run, then the start of the next.
    const auto* bytes = reinterpret_cast<const unsigned char*>(s);
    const auto count = static_cast<int64_t>(frames);
    int64_t f = 0;
    while (f < count) {
      if (RunStart_ >= 0) {
        f += SilentFramesAtFront(bytes + f * kBytesPerSample, count - f);
        if (f < count) CloseRun(first + f);
      } else {
        f += FirstSilentFrame(bytes + f * kBytesPerSample, count - f);
        if (f < count) RunStart_ = first + f;
      }
    }
  }

  WavePeaks& Out_;
  const int32_t Columns_;
  const int64_t MinRun_;
  int32_t Column_ = 0;
  int64_t ColumnEnd_ = 0;
  bool HasData_ = false;
  int16_t Min_ = std::numeric_limits<int16_t>::max();
  int16_t Max_ = std::numeric_limits<int16_t>::min();
  int64_t RunStart_ = -1;
};

}  // namespace

int32_t WavePeaks::ColumnStart(int32_t column) const {
  const int64_t n = static_cast<int64_t>(Columns.size());
  if (n == 0) return 0;
  const int64_t i = std::clamp<int64_t>(column, 0, n);
  return static_cast<int32_t>(i * SampleCount / n);
}

int32_t WavePeaks::ColumnOf(int32_t p) const {
  const int64_t n = static_cast<int64_t>(Columns.size());
  if (n == 0) return -1;
  if (SampleCount <= 0) return 0;
  const int64_t q = std::clamp<int64_t>(p, 0, SampleCount - 1);
  // The last column whose start is at or before q.
  const int64_t i = ((q + 1) * n + SampleCount - 1) / SampleCount - 1;
  return static_cast<int32_t>(std::clamp<int64_t>(i, 0, n - 1));
}

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return FileStamp{};
  return StampOfStat(st);
}

PeaksResult ComputeWavePeaks(const std::string& path, const WaveDataInfo& info, int32_t columns,
                             WavePeaks& out, const std::atomic<bool>* cancel, int32_t minSilence) {
  out = WavePeaks{};
  out.SampleCount = static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerSample));
  columns = std::clamp(columns, 0, kMaxPeakColumns);
  out.Columns.assign(static_cast<size_t>(columns), PeakColumn{});

  // Non-blocking, so that a path naming a pipe fails at once instead of waiting for a writer.
  PosixFile file;
  try {
    file = PosixFile::OpenForReading(path);
    out.Stamp = StampOfStat(file.Status());
  } catch (const FileError&) {
    return PeaksResult::Unreadable;
  }
  if (out.Columns.empty()) return PeaksResult::Done;

  // Silences shorter than a column cannot be seen, and leaving them out bounds the list.
  const int64_t columnWidth = (int64_t{out.SampleCount} + columns - 1) / columns;
  out.MinSilence = static_cast<int32_t>(std::max<int64_t>({1, minSilence, columnWidth}));

  // The sample frames the file really holds.
  const int64_t offset = std::max(0, info.DataOffset);
  const int64_t present = std::max<int64_t>(0, out.Stamp.Size - offset);
  const int64_t frames = std::min<int64_t>(out.SampleCount, present / kBytesPerSample);

  ::posix_fadvise(file.Fd(), static_cast<off_t>(offset), 0, POSIX_FADV_SEQUENTIAL);
  std::unique_ptr<int16_t[]> buffer(new int16_t[kBlockFrames * 2]);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(buffer.get());
  PeakScanner scanner(out, columns, out.MinSilence);
  int64_t done = 0;
  while (done < frames) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
      return PeaksResult::Cancelled;
    }
    const size_t want =
        static_cast<size_t>(std::min<int64_t>(frames - done, static_cast<int64_t>(kBlockFrames)));
    int64_t got = 0;
    try {
      got = static_cast<int64_t>(
          file.ReadAt(offset + done * kBytesPerSample, bytes, want * kBytesPerSample));
    } catch (const FileError&) {
      return PeaksResult::Unreadable;
    }
    const size_t whole = static_cast<size_t>(got / kBytesPerSample);
    if constexpr (std::endian::native == std::endian::big) {
      for (size_t k = 0; k < whole * 2; ++k) {
        const auto u = static_cast<uint16_t>(buffer[k]);
        buffer[k] = static_cast<int16_t>(static_cast<uint16_t>((u >> 8) | (u << 8)));
      }
    }
    scanner.Block(buffer.get(), whole, done);
    done += static_cast<int64_t>(whole);
    if (whole < want) break;  // the file ended early (it shrank while being read)
  }
  scanner.Finish(done);
  return PeaksResult::Done;
}

}  // namespace varnel
