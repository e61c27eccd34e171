#include "ui/widgets/FieldWidgets.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace varnel {

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
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

void UpDown::SetFieldName(const QString& field) {
  setAccessibleName(field);
  Up_->setAccessibleName(field + " up");
  Down_->setAccessibleName(field + " down");
}

KeyHook::KeyHook(QWidget* field, std::function<bool(QKeyEvent*)> handler)
    : QObject(field), Handler_(std::move(handler)) {
  field->installEventFilter(this);
}

bool KeyHook::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && Handler_) {
    if (Handler_(static_cast<QKeyEvent*>(event))) return true;
  }
  return QObject::eventFilter(watched, event);
}

void SetFieldText(QLineEdit* edit, const QString& text) {
  if (edit->text() == text || edit->displayText() == text) return;
  const int caret = edit->cursorPosition();
  edit->setText(text);
  edit->setCursorPosition(std::min(caret, static_cast<int>(edit->displayText().size())));
}

void SetFieldColour(QLineEdit* edit, FieldColour colour) {
  const QPalette standard = QApplication::palette(edit);
  const QColor base = colour == FieldColour::Window
                          ? standard.color(QPalette::Active, QPalette::Base)
                          : standard.color(QPalette::Active, QPalette::Button);
  QPalette p = edit->palette();
  if (p.color(QPalette::Active, QPalette::Base) == base &&
      p.color(QPalette::Disabled, QPalette::Base) == base) {
    return;
  }
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(g, QPalette::Base, base);
  }
  edit->setPalette(p);
}

}  // namespace varnel
