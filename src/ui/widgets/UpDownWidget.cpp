#include "ui/widgets/UpDownWidget.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace varnel {

UpDownWidget::UpDownWidget(QWidget* parent) : QWidget(parent) {
  auto make = [this](Qt::ArrowType arrow, const char* name) {
    auto* b = new QToolButton(this);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(17, 11);
    b->setAccessibleName(name);
    return b;
  };
  Up_ = make(Qt::UpArrow, "Up");
  Down_ = make(Qt::DownArrow, "Down");
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  box->addWidget(Up_);
  box->addWidget(Down_);
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  connect(Up_, &QToolButton::clicked, this, [this] { emit Clicked(true); });
  connect(Down_, &QToolButton::clicked, this, [this] { emit Clicked(false); });
}

void UpDownWidget::SetFieldName(const QString& field) {
  setAccessibleName(field);
  Up_->setAccessibleName(field + " up");
  Down_->setAccessibleName(field + " down");
}

}  // namespace varnel
