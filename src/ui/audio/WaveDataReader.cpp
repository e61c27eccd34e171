#include "ui/audio/WaveDataReader.h"

#include <algorithm>

namespace varnel {

bool WaveDataReader::OpenRegion(const QString& path, int64_t begin, int64_t end, int32_t align) {
  close();
  if (begin < 0 || end < begin) return false;
  Align_ = std::max(1, align);
  end -= (end - begin) % Align_;
  File_.setFileName(path);
  if (!File_.open(QIODevice::ReadOnly)) return false;
  if (!File_.seek(begin)) {
    File_.close();
    return false;
  }
  Begin_ = begin;
  Next_ = begin;
  End_ = end;
  return QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 WaveDataReader::bytesAvailable() const {
  return (isOpen() ? End_ - Next_ : 0) + QIODevice::bytesAvailable();
}

bool WaveDataReader::atEnd() const {
  return !isOpen() || Next_ >= End_;
}

void WaveDataReader::close() {
  File_.close();
  Next_ = End_;
  QIODevice::close();
}

qint64 WaveDataReader::readData(char* data, qint64 maxSize) {
  const qint64 want = std::min<qint64>(maxSize, End_ - Next_);
  if (want <= 0) return 0;
  const qint64 got = File_.read(data, want);
  // Only whole frames go out; a short read means the file ended early or failed, and the
  // data ends with the last whole frame.
  const qint64 usable = got > 0 ? got - got % Align_ : 0;
  Next_ += usable;
  if (usable < want) End_ = Next_;
  return usable;
}

}  // namespace varnel
