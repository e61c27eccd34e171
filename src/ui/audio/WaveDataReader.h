// A region of a file as a sound device reads it: the bytes straight from the file as they
// are asked for, in whole sample frames, so that a preview starts on the exact frame asked
// for without loading the file.
#pragma once

#include <QFile>
#include <QIODevice>
#include <QString>
#include <cstdint>

namespace varnel {

// Bytes [begin, end) of a file, read straight from the file as they are asked for, in
// whole frames of `align` bytes (a sound device takes nothing else). It only moves
// forward; a read error or a file that turns out shorter ends the data early, at the last
// whole frame.
class WaveDataReader : public QIODevice {
  Q_OBJECT
 public:
  explicit WaveDataReader(QObject* parent = nullptr) : QIODevice(parent) {}

  // Opens the file at `path` for reading bytes [begin, end), the end taken back to a whole
  // number of frames. False when it cannot be opened or the region is not within
  // 0 ≤ begin ≤ end.
  bool OpenRegion(const QString& path, int64_t begin, int64_t end, int32_t align = 1);

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;
  bool atEnd() const override;
  void close() override;

  // The first byte of the region, and the next byte to be read.
  int64_t Begin() const { return Begin_; }
  int64_t Next() const { return Next_; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QFile File_;
  int64_t Align_ = 1;
  int64_t Begin_ = 0;
  int64_t Next_ = 0;
  int64_t End_ = 0;
};

}  // namespace varnel
