#include "ui/widgets/EditFields.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>

namespace varnel {

namespace {

// Moves the caret of a masked field back to its first empty place after a click.
class FirstEmptyPlaceCaret : public QObject {
 public:
  explicit FirstEmptyPlaceCaret(QLineEdit* edit) : QObject(edit), Edit_(edit) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Edit_ && (event->type() == QEvent::MouseButtonRelease ||
                             event->type() == QEvent::MouseButtonDblClick)) {
      // After the field has placed the caret itself.
      QMetaObject::invokeMethod(
          this, [this] { Clamp(); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  void Clamp() {
    if (Edit_->hasSelectedText() || Edit_->inputMask().isEmpty()) return;
    const QString mask = Edit_->inputMask();
    const int semicolon = static_cast<int>(mask.lastIndexOf(';'));
    const QChar blank =
        semicolon >= 0 && semicolon + 1 < mask.size() ? mask.at(semicolon + 1) : QChar(' ');
    const QString shown = Edit_->displayText();
    const int firstEmpty = static_cast<int>(shown.indexOf(blank));
    if (firstEmpty >= 0 && Edit_->cursorPosition() > firstEmpty) {
      Edit_->setCursorPosition(firstEmpty);
    }
  }

  QLineEdit* Edit_;
};

}  // namespace

void KeepCaretAtFirstEmptyPlace(QLineEdit* edit) {
  edit->installEventFilter(new FirstEmptyPlaceCaret(edit));
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

void SetMaskedText(QLineEdit* edit, const std::string& text) {
  edit->setText(QString());
  const int places = static_cast<int>(edit->displayText().size());
  for (int i = 0; i < places && i < static_cast<int>(text.size()); ++i) {
    const QChar c = QChar::fromLatin1(text[static_cast<size_t>(i)]);
    if (c == QLatin1Char(' ')) continue;
    // A masked field overwrites the place at the caret. A character that does not fit
    // there would land on a later place: it is taken back.
    edit->setCursorPosition(i);
    edit->insert(QString(c));
    if (edit->displayText().at(i) != c) edit->undo();
  }
  edit->setCursorPosition(0);
}

}  // namespace varnel
