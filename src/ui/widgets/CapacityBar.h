// The capacity bar under the track list: how full the chosen medium is, as a bar coloured
// by the disc check's verdict (green: fits; amber: fits only on a medium longer than 74
// minutes; red: does not fit) and a text of the time left or missing. Its button offers the
// media (74, 80, 90, 99 minutes); the window stores the choice. It only shows what
// app/views/Capacity.h computes.
#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>

#include "app/views/Capacity.h"

class QProgressBar;
class QToolButton;

namespace varnel {

class CapacityBar : public QWidget {
  Q_OBJECT
 public:
  explicit CapacityBar(QWidget* parent = nullptr);

  // Shows `capacity` of a disc on a medium of `mediaMinutes`.
  void Show(const DiscCapacity& capacity, int32_t mediaMinutes);
  QProgressBar* Bar() const { return Bar_; }
  QToolButton* MediaButton() const { return Media_; }
  // The bar's colour at each level.
  static QColor LevelColour(CapacityLevel level);

 signals:
  void MediaChosen(int32_t minutes);

 private:
  QProgressBar* Bar_;
  QToolButton* Media_;
};

}  // namespace varnel
