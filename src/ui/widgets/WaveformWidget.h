// The waveform of a whole wave file, as a strip above the position editor's track bar:
// the smallest and largest sample value of every stretch of the file, the stretches of
// digital silence in their own colour, the cursor, the boundaries being edited, and while
// the file plays the playhead. A
// click (or a drag) moves the cursor to the sample frame under the pointer.
//
// The peaks are computed on a worker thread, so the dialog opens at once and the strip
// fills in when they are ready. Tables are kept per file in a cache shared by every strip
// and given out again while the file is unchanged. Setting another file, or destroying
// the strip, cancels a computation still running and waits for its thread.
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "app/editors/WavePeaksCache.h"

namespace varnel {

// The number of columns a strip's table has (fewer for a file of fewer sample frames).
inline constexpr int32_t kStripColumns = 4096;

class WaveformWidget : public QWidget {
  Q_OBJECT
 public:
  explicit WaveformWidget(QWidget* parent = nullptr);
  ~WaveformWidget() override;

  // Shows the file that `info` describes: from the cache at once when its table is there,
  // else blank until the worker has computed it. An empty path shows nothing.
  void SetFile(const std::string& path, const WaveDataInfo& info);
  // Cancels a computation still running and shows nothing.
  void Clear() { SetFile(std::string(), WaveDataInfo{}); }

  // The marks drawn over the waveform: the cursor, and each boundary in the order track
  // start, track end, pre-gap start, pre-gap end (−1: not edited, not drawn).
  void SetMarks(int32_t cursor, const std::array<int32_t, 4>& boundaries);
  // The playhead: the sample frame being heard (−1: nothing plays, not drawn).
  void SetPlayhead(int32_t position);
  int32_t Playhead() const { return Playhead_; }

  // The table shown; null while it is being computed, or when there is no file or it
  // cannot be read.
  const WavePeaks* Peaks() const { return Peaks_.get(); }
  bool Computing() const { return Computing_; }
  bool Unreadable() const { return Unreadable_; }
  int32_t Cursor() const { return Cursor_; }

  // The sample frame under x (held within the file), and the x of a sample frame.
  int32_t PositionAt(int x) const;
  int XOf(int32_t position) const;

  // The tables of every strip.
  static WavePeaksCache& Cache();

  // Colours of the parts of the strip.
  static QColor BackgroundColour() { return QColor(28, 32, 38); }
  static QColor PeakColour() { return QColor(96, 176, 255); }
  static QColor SilenceColour() { return QColor(230, 160, 40); }
  static QColor CursorColour() { return QColor(255, 255, 255); }
  static QColor PlayheadColour() { return QColor(255, 214, 0); }
  static QColor BoundaryColour(int32_t boundary);

  QSize sizeHint() const override { return QSize(400, 72); }
  QSize minimumSizeHint() const override { return QSize(100, 40); }

 signals:
  // The user clicked or dragged to sample frame `position`.
  void CursorClicked(int32_t position);
  // The table of the file shown has arrived (or failed to come).
  void PeaksReady();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  // Stops the worker, if any, and waits for it.
  void StopWorker();
  void Arrived(uint64_t generation, std::shared_ptr<const WavePeaks> peaks, bool readable);

  std::string Path_;
  int32_t SampleCount_ = 0;
  std::shared_ptr<const WavePeaks> Peaks_;
  bool Computing_ = false;
  bool Unreadable_ = false;
  int32_t Cursor_ = 0;
  int32_t Playhead_ = -1;
  std::array<int32_t, 4> Bounds_{-1, -1, -1, -1};

  std::thread Worker_;
  std::shared_ptr<std::atomic<bool>> Cancel_;
  uint64_t Generation_ = 0;
};

}  // namespace varnel
