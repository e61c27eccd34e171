// Keys pressed in an edit field, offered to a handler before the field sees them: the
// dialogs give the arrow keys and Enter of their number fields a meaning of their own. A
// key the handler takes (returns true for) never reaches the field or the dialog.
#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace varnel {

class KeyHook : public QObject {
 public:
  // Owned by `field`, and gone with it.
  KeyHook(QWidget* field, std::function<bool(QKeyEvent*)> handler);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool(QKeyEvent*)> Handler_;
};

}  // namespace varnel
