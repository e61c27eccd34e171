// An up-down control: an up and a down arrow stacked, which report one click each (and
// repeat while held). It never takes the focus; the field beside it does, and the dialogs
// step the field's value themselves.
#pragma once

#include <QString>
#include <QWidget>

class QToolButton;

namespace varnel {

class UpDownWidget : public QWidget {
  Q_OBJECT
 public:
  explicit UpDownWidget(QWidget* parent = nullptr);
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

}  // namespace varnel
