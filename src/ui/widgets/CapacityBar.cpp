#include "ui/widgets/CapacityBar.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QMenu>
#include <QProgressBar>
#include <QToolButton>

namespace varnel {

CapacityBar::CapacityBar(QWidget* parent) : QWidget(parent) {
  setObjectName("CapacityBar");
  Bar_ = new QProgressBar(this);
  Bar_->setObjectName("CapacityProgress");
  Bar_->setRange(0, 1000);
  Bar_->setTextVisible(true);
  Bar_->setAlignment(Qt::AlignCenter);
  Bar_->setAccessibleName("Disc capacity");
  Bar_->setToolTip(
      "The disc's playing time (min:sec) against the medium, counted as Check disc "
      "counts it");
  Media_ = new QToolButton(this);
  Media_->setObjectName("MediaBtn");
  Media_->setPopupMode(QToolButton::InstantPopup);
  Media_->setToolTip("The medium the disc is measured against");
  auto* menu = new QMenu(Media_);
  menu->setObjectName("MediaMenu");
  auto* group = new QActionGroup(menu);
  for (int32_t minutes : kMediaMinutes) {
    QAction* a = menu->addAction(QString("%1-minute disc").arg(minutes));
    a->setObjectName(QString("Media%1").arg(minutes));
    a->setCheckable(true);
    a->setData(minutes);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, minutes] { emit MediaChosen(minutes); });
  }
  Media_->setMenu(menu);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(Bar_, 1);
  row->addWidget(Media_);
}

QColor CapacityBar::LevelColour(CapacityLevel level) {
  switch (level) {
    case CapacityLevel::Amber:
      return QColor(0xe0, 0x9b, 0x00);
    case CapacityLevel::Red:
      return QColor(0xc6, 0x28, 0x28);
    case CapacityLevel::Green:
    default:
      return QColor(0x2e, 0x8b, 0x3a);
  }
}

void CapacityBar::Show(const DiscCapacity& capacity, int32_t mediaMinutes) {
  const QString text = QString::fromStdString(capacity.Used + " \u2014 " + capacity.Text);
  Bar_->setValue(capacity.Permille);
  Bar_->setFormat(text);
  Bar_->setAccessibleDescription(text);
  QPalette pal = Bar_->palette();
  pal.setColor(QPalette::Highlight, LevelColour(capacity.Level));
  pal.setColor(QPalette::HighlightedText, Qt::white);
  Bar_->setPalette(pal);
  Media_->setText(QString("%1 min").arg(mediaMinutes));
  Media_->setAccessibleName(QString("Medium: %1-minute disc").arg(mediaMinutes));
  for (QAction* a : Media_->menu()->actions()) a->setChecked(a->data().toInt() == mediaMinutes);
}

}  // namespace varnel
