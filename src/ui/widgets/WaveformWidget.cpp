#include "ui/widgets/WaveformWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace varnel {

namespace {

const char* const kBoundaryTags[4] = {"TS", "TE", "PS", "PE"};

}  // namespace

WaveformWidget::WaveformWidget(QWidget* parent) : QWidget(parent) {
  setObjectName("WaveformStrip");
  setAccessibleName("Waveform");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumHeight(40);
  setCursor(Qt::PointingHandCursor);
}

WaveformWidget::~WaveformWidget() {
  StopWorker();
}

WavePeaksCache& WaveformWidget::Cache() {
  static WavePeaksCache cache(8);
  return cache;
}

QColor WaveformWidget::BoundaryColour(int32_t boundary) {
  switch (boundary) {
    case 0:
      return QColor(80, 220, 100);  // track start
    case 1:
      return QColor(240, 80, 80);  // track end
    case 2:
      return QColor(220, 110, 255);  // pre-gap start
    default:
      return QColor(60, 220, 230);  // pre-gap end
  }
}

void WaveformWidget::StopWorker() {
  if (Cancel_) Cancel_->store(true);
  if (Worker_.joinable()) Worker_.join();
  Cancel_.reset();
}

void WaveformWidget::SetFile(const std::string& path, const WaveDataInfo& info) {
  StopWorker();
  ++Generation_;
  Path_ = path;
  SampleCount_ = static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerSample));
  Peaks_.reset();
  Computing_ = false;
  Unreadable_ = false;
  if (!path.empty()) {
    const int32_t columns = std::min(kStripColumns, SampleCount_);
    if (auto cached = Cache().Find(path, info, columns)) {
      Peaks_ = std::move(cached);
    } else {
      Computing_ = true;
      auto cancel = std::make_shared<std::atomic<bool>>(false);
      Cancel_ = cancel;
      const uint64_t generation = Generation_;
      Worker_ = std::thread([this, path, info, columns, cancel, generation] {
        auto peaks = std::make_shared<WavePeaks>();
        const PeaksResult result = ComputeWavePeaks(path, info, columns, *peaks, cancel.get());
        if (result == PeaksResult::Cancelled) return;
        if (result == PeaksResult::Done) Cache().Store(path, info, peaks);
        // The strip waits for this thread before it goes, so it is still there for the call.
        QMetaObject::invokeMethod(
            this,
            [this, generation, peaks, result] {
              Arrived(generation, peaks, result == PeaksResult::Done);
            },
            Qt::QueuedConnection);
      });
    }
  }
  update();
  if (Peaks_) emit PeaksReady();
}

void WaveformWidget::Arrived(uint64_t generation, std::shared_ptr<const WavePeaks> peaks,
                             bool readable) {
  if (generation != Generation_) return;
  if (Worker_.joinable()) Worker_.join();
  Cancel_.reset();
  Computing_ = false;
  Unreadable_ = !readable;
  if (readable) Peaks_ = std::move(peaks);
  update();
  emit PeaksReady();
}

void WaveformWidget::SetMarks(int32_t cursor, const std::array<int32_t, 4>& boundaries) {
  if (cursor == Cursor_ && boundaries == Bounds_) return;
  Cursor_ = cursor;
  Bounds_ = boundaries;
  update();
}

void WaveformWidget::SetPlayhead(int32_t position) {
  const int32_t p = position < 0 ? -1 : position;
  if (p == Playhead_) return;
  Playhead_ = p;
  update();
}

int32_t WaveformWidget::PositionAt(int x) const {
  const int span = width() - 1;
  if (span <= 0 || SampleCount_ <= 0) return 0;
  const int64_t held = std::clamp(x, 0, span);
  return static_cast<int32_t>((held * SampleCount_ + span / 2) / span);
}

int WaveformWidget::XOf(int32_t position) const {
  const int span = width() - 1;
  if (span <= 0 || SampleCount_ <= 0) return 0;
  const int64_t p = std::clamp(position, 0, SampleCount_);
  return static_cast<int>(p * span / SampleCount_);
}

void WaveformWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int w = width();
  const int h = height();
  painter.fillRect(rect(), BackgroundColour());
  const int mid = h / 2;
  painter.setPen(QColor(70, 78, 90));
  painter.drawLine(0, mid, w - 1, mid);

  if (!Peaks_) {
    if (Computing_ || Unreadable_) {
      painter.setPen(QColor(170, 176, 186));
      painter.drawText(rect(), Qt::AlignCenter,
                       Computing_ ? QStringLiteral("Reading the waveform\u2026")
                                  : QStringLiteral("No waveform: the file cannot be read"));
    }
  } else {
    const WavePeaks& peaks = *Peaks_;
    // Digital silence: a band over the whole height, and a bold stretch of the centre line.
    QColor band = SilenceColour();
    band.setAlpha(60);
    for (const SilentStretch& s : peaks.Silences) {
      const int x0 = XOf(s.First);
      const int x1 = std::max(x0 + 1, XOf(s.End));
      painter.fillRect(x0, 0, x1 - x0, h, band);
      painter.fillRect(x0, mid - 1, x1 - x0, 3, SilenceColour());
    }
    // Peaks: every pixel column shows the smallest and largest value of the table columns
    // it covers.
    const int64_t n = static_cast<int64_t>(peaks.Columns.size());
    if (n > 0 && w > 0) {
      painter.setPen(PeakColour());
      const double scale = (h / 2 - 1) / 32768.0;
      for (int x = 0; x < w; ++x) {
        const int64_t c0 = x * n / w;
        const int64_t c1 = std::max(c0 + 1, (x + 1) * n / w);
        int lo = 0;
        int hi = 0;
        for (int64_t c = c0; c < c1 && c < n; ++c) {
          lo = std::min<int>(lo, peaks.Columns[static_cast<size_t>(c)].Min);
          hi = std::max<int>(hi, peaks.Columns[static_cast<size_t>(c)].Max);
        }
        if (lo == 0 && hi == 0) continue;
        painter.drawLine(x, mid - static_cast<int>(hi * scale), x,
                         mid - static_cast<int>(lo * scale));
      }
    }
  }

  // The boundaries being edited, tagged at the top (track) or the bottom (pre-gap), then
  // the cursor over everything.
  QFont small = font();
  small.setPixelSize(9);
  painter.setFont(small);
  for (int32_t i = 0; i < 4; ++i) {
    if (Bounds_[static_cast<size_t>(i)] < 0) continue;
    const int x = XOf(Bounds_[static_cast<size_t>(i)]);
    painter.setPen(BoundaryColour(i));
    painter.drawLine(x, 0, x, h - 1);
    const int tagX = std::min(x + 2, std::max(0, w - 14));
    painter.drawText(tagX, i < 2 ? 10 : h - 3, QString::fromLatin1(kBoundaryTags[i]));
  }
  painter.setPen(CursorColour());
  const int cx = XOf(Cursor_);
  painter.drawLine(cx, 0, cx, h - 1);
  if (Playhead_ >= 0) {
    // The playhead, two pixels wide with a notch at the top, over the cursor.
    const int px = XOf(Playhead_);
    painter.fillRect(px, 0, 2, h, PlayheadColour());
    const QPoint notch[3] = {QPoint(px - 4, 0), QPoint(px + 5, 0), QPoint(px + 1, 5)};
    painter.setBrush(PlayheadColour());
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(notch, 3);
  }
}

void WaveformWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || SampleCount_ <= 0) return QWidget::mousePressEvent(e);
  emit CursorClicked(PositionAt(e->position().toPoint().x()));
}

void WaveformWidget::mouseMoveEvent(QMouseEvent* e) {
  if (!(e->buttons() & Qt::LeftButton) || SampleCount_ <= 0) return QWidget::mouseMoveEvent(e);
  emit CursorClicked(PositionAt(e->position().toPoint().x()));
}

}  // namespace varnel
