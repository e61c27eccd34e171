#include "ui/dialogs/ProgressLayout.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace varnel {

ProgressLook LayOutProgress(QDialog* dialog, QLabel* caption1, QLabel* value1, QLabel* caption2,
                            QLabel* value2) {
  ProgressLook look;
  look.Bar = new QProgressBar(dialog);
  look.Bar->setObjectName("ProgressBar");
  look.Bar->setAccessibleName("Progress");
  look.Bar->setRange(0, 100);
  look.Bar->setValue(0);
  look.Bar->setTextVisible(false);
  look.Bar->setFixedHeight(16);
  look.Cancel = new QPushButton("&Cancel", dialog);
  look.Cancel->setObjectName("CancelBtn");
  look.Cancel->setMinimumSize(60, 24);
  look.Cancel->setAutoDefault(false);

  auto* grid = new QGridLayout(dialog);
  grid->setContentsMargins(16, 14, 16, 12);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(6);
  grid->addWidget(caption1, 0, 0);
  grid->addWidget(value1, 0, 1);
  grid->addWidget(caption2, 1, 0);
  grid->addWidget(value2, 1, 1);
  grid->addWidget(look.Bar, 2, 0, 1, 2);
  grid->addWidget(look.Cancel, 3, 0, 1, 2, Qt::AlignHCenter);
  grid->setColumnStretch(1, 1);
  const QSize hint = grid->sizeHint();
  dialog->setFixedSize(std::max(358, hint.width()), std::max(128, hint.height()));
  return look;
}

}  // namespace varnel
