#include "ui/widgets/PreGapLengthControls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "ui/widgets/EditFields.h"
#include "ui/widgets/KeyHook.h"
#include "ui/widgets/UpDownWidget.h"

namespace varnel {

void PreGapLengthControls::Build(QWidget* parent) {
  // Each part's widgets carry the system's control names.
  struct Part {
    LengthField Field;
    const char* LabelName;
    const char* FieldName;
    const char* ArrowsName;
    const char* Caption;
    const char* Unit;  // what the arrows step
  };
  static const Part kParts[3] = {
      {LengthField::Min, "MinLbl", "MinEdit", "MinUd", "Min:", "Pre-gap minutes"},
      {LengthField::Sec, "SecLbl", "SecEdit", "SecUd", "Sec:", "Pre-gap seconds"},
      {LengthField::Frame, "FrameLbl", "FrameEdit", "FrameUd", "Frame:", "Pre-gap frames"},
  };
  const int width = parent->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 10;
  for (const Part& part : kParts) {
    const LengthField f = part.Field;
    // The field is named by its label, which reads as its text.
    auto* label = new QLabel(part.Caption, parent);
    label->setObjectName(part.LabelName);
    auto* field = new QLineEdit(parent);
    field->setObjectName(part.FieldName);
    field->setMaxLength(2);
    field->setFixedWidth(width);
    field->setAlignment(Qt::AlignRight);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}"), field));
    label->setBuddy(field);
    auto* arrows = new UpDownWidget(parent);
    arrows->setObjectName(part.ArrowsName);
    arrows->SetFieldName(part.Unit);
    Labels_[Index(f)] = label;
    Fields_[Index(f)] = field;
    Arrows_[Index(f)] = arrows;

    QObject::connect(field, &QLineEdit::textEdited, field, [this, f, field] {
      if (Typed) Typed(f, field->displayText().toStdString());
    });
    QObject::connect(field, &QLineEdit::editingFinished, field, [this] {
      if (Finished) Finished();
    });
    QObject::connect(arrows, &UpDownWidget::Clicked, arrows, [this, f](bool up) {
      if (Clicked) Clicked(f, up);
    });
    new KeyHook(field, [this, f](QKeyEvent* e) {
      if (e->key() != Qt::Key_Up && e->key() != Qt::Key_Down) return false;
      if (Clicked) Clicked(f, e->key() == Qt::Key_Up);
      return true;
    });
  }
}

QHBoxLayout* PreGapLengthControls::MakeRow() const {
  auto* row = new QHBoxLayout;
  row->setSpacing(2);
  for (size_t i = 0; i < 3; ++i) {
    if (i > 0) row->addSpacing(8);
    row->addWidget(Labels_[i]);
    row->addWidget(Fields_[i]);
    row->addWidget(Arrows_[i]);
  }
  row->addStretch();
  return row;
}

void PreGapLengthControls::Show(const PreGapLengthFields& length) {
  for (LengthField f : {LengthField::Min, LengthField::Sec, LengthField::Frame}) {
    SetFieldText(Field(f), QString::fromStdString(length.Text(f)));
  }
}

}  // namespace varnel
