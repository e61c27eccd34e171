// Small widgets the property dialogs and the position editor share: an up-down arrow pair,
// a key hook for edit fields, and the ways those dialogs write an edit field's text and
// background.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>

#include "app/editors/PositionEditor.h"

class QKeyEvent;
class QLineEdit;
class QToolButton;

namespace varnel {

// An up-down control: an up and a down arrow stacked, which report one click each (and
// repeat while held). It never takes the focus; the field beside it does.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  explicit UpDown(QWidget* parent = nullptr);
  QToolButton* UpButton() const { return Up_; }
  QToolButton* DownButton() const { return Down_; }
  // Names the arrows for assistive tools after the value they step: "<field> up",
  // "<field> down".
  void SetFieldName(const QString& field);

 signals:
  void Clicked(bool up);

 private:
  QToolButton* Up_;
  QToolButton* Down_;
};

// Keys pressed in an edit field, offered to `handler` before the field sees them; a key
// the handler takes (returns true for) never reaches the field or the dialog.
class KeyHook : public QObject {
 public:
  KeyHook(QWidget* field, std::function<bool(QKeyEvent*)> handler);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool(QKeyEvent*)> Handler_;
};

// Rewrites a field's text when it differs, keeping the caret where it was (a field being
// typed in is rewritten after every keystroke).
void SetFieldText(QLineEdit* edit, const QString& text);
// Background of an edit field: the window colour, or the button-face colour.
void SetFieldColour(QLineEdit* edit, FieldColour colour);

}  // namespace varnel
