// The overview of a whole wave file for a waveform strip: for each of N columns the
// smallest and largest sample value found in it, and the stretches of digital silence
// (sample frames whose four bytes are all zero) that are long enough to be seen.
//
// ComputeWavePeaks reads the file once from front to back in fixed-size blocks, so it
// needs no memory beyond one read buffer and the table it returns, whatever the file's
// length; it may run on a worker thread and stops soon after a cancel request. The data is
// taken as 16-bit stereo, as everywhere in the system: a sample frame is 4 bytes.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "model/CdTime.h"
#include "model/Track.h"

namespace varnel {

// The smallest and largest 16-bit sample value (both channels together) of one column;
// both 0 for a column that holds no data.
struct PeakColumn {
  int16_t Min = 0;
  int16_t Max = 0;
  friend bool operator==(const PeakColumn&, const PeakColumn&) = default;
};

// Sample frames [First, End) that are all silent.
struct SilentStretch {
  int32_t First = 0;
  int32_t End = 0;
  friend bool operator==(const SilentStretch&, const SilentStretch&) = default;
};

// What identifies the content a table was computed from.
struct FileStamp {
  int64_t Size = -1;
  int64_t ModifiedNs = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct WavePeaks {
  // The sample frames the strip spans: DataSize / 4 (a position equal to it is the end).
  int32_t SampleCount = 0;
  // Column i covers sample frames [ColumnStart(i), ColumnStart(i + 1)).
  std::vector<PeakColumn> Columns;
  // In file order, none overlapping, each at least MinSilence sample frames long.
  std::vector<SilentStretch> Silences;
  int32_t MinSilence = 0;
  // The file as it was when the table was computed.
  FileStamp Stamp;

  // i × SampleCount / columns, rounded down; SampleCount for i = columns.
  int32_t ColumnStart(int32_t column) const;
  // The column that holds sample frame p (p held within the strip); −1 without columns.
  int32_t ColumnOf(int32_t p) const;
};

enum class PeaksResult {
  Done,        // the whole table is filled
  Cancelled,   // stopped by the cancel flag; the table is incomplete
  Unreadable,  // the file could not be opened or read
};

// The most columns a table has; more asked for give this many.
inline constexpr int32_t kMaxPeakColumns = 1 << 22;

// The shortest silence listed by default: one CD frame.
inline constexpr int32_t kDefaultMinSilence = 588;

// Computes the table of the sample data that `info` describes (DataOffset, DataSize) into
// `out`, with `columns` columns (none when columns < 1, at most kMaxPeakColumns). Data the file
// does not hold (a declared size beyond its end) reads as no data: those columns stay 0. Silences
// shorter than `minSilence` sample frames, or than one column, are left out, so the list never
// holds more than columns + 1 stretches. `cancel` (may be null) is polled between blocks.
PeaksResult ComputeWavePeaks(const std::string& path, const WaveDataInfo& info, int32_t columns,
                             WavePeaks& out, const std::atomic<bool>* cancel = nullptr,
                             int32_t minSilence = kDefaultMinSilence);

// The size and modification time of the file at `path` (Size −1 when there is none).
FileStamp StampOf(const std::string& path);

}  // namespace varnel
