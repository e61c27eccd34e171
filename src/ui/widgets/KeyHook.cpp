#include "ui/widgets/KeyHook.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace varnel {

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

}  // namespace varnel
