#include "ui/dialogs/PositionEditorDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <optional>

#include "ui/audio/WavePlayer.h"
#include "ui/widgets/EditFields.h"
#include "ui/widgets/KeyHook.h"
#include "ui/widgets/ListFont.h"
#include "ui/widgets/UpDownWidget.h"
#include "ui/widgets/WaveformWidget.h"

namespace varnel {

int TrackBarTickInterval(int maximum, int pixels) {
  static const int kSteps[] = {10, 30, 60, 120, 300, 600, 900, 1800, 3600};
  for (int step : kSteps) {
    if (int64_t{pixels} * step >= int64_t{kMinTickSpacing} * maximum) return step;
  }
  return kSteps[std::size(kSteps) - 1];
}

namespace {

// A track bar style under which a click in the groove moves the handle right there, not
// by a page.
class JumpingSliderStyle : public QProxyStyle {
 public:
  explicit JumpingSliderStyle(QObject* owner) { setParent(owner); }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

// How often the playhead is followed while a play runs.
constexpr int kPlayheadMs = 40;

// The text colour of a length field and its MSF field.
void SetTextColour(QLineEdit* edit, TextColour colour) {
  const QPalette standard = QApplication::palette(edit);
  const QColor text = colour == TextColour::Red ? QColor(Qt::red)
                                                : standard.color(QPalette::Active, QPalette::Text);
  QPalette p = edit->palette();
  if (p.color(QPalette::Active, QPalette::Text) == text) return;
  p.setColor(QPalette::Active, QPalette::Text, text);
  p.setColor(QPalette::Inactive, QPalette::Text, text);
  edit->setPalette(p);
}

std::optional<EditKey> EditKeyOf(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return EditKey::Enter;
    case Qt::Key_Up:
      return EditKey::Up;
    case Qt::Key_Down:
      return EditKey::Down;
    default:
      return std::nullopt;
  }
}

// The controls of one boundary, their captions, and what its arrows step (for assistive
// tools).
struct BoundaryRow {
  varnel::Boundary Boundary;
  PositionControl Field;
  PositionControl Arrows;
  PositionControl SetButton;
  PositionControl Label;
  const char* SetCaption;
  const char* LabelCaption;
  const char* Stepped;
};

using P = PositionControl;

const BoundaryRow kRows[4] = {
    {Boundary::TrackStart, P::TrackStartEdit, P::TrackStartUd, P::SetStartBtn, P::TrackStartLbl,
     "Track Start", "Start:", "Track start"},
    {Boundary::TrackEnd, P::TrackEndEdit, P::TrackEndUd, P::SetEndBtn, P::TrackEndLbl, "Track End",
     "End:", "Track end"},
    {Boundary::PreGapStart, P::PreGapStartEdit, P::PreGapStartUd, P::SetPreGapStartBtn,
     P::PreGapStartLbl, "PreGap Start", "Start:", "Pre-gap start"},
    {Boundary::PreGapEnd, P::PreGapEndEdit, P::PreGapEndUd, P::SetPreGapEndBtn, P::PreGapEndLbl,
     "PreGap End", "End:", "Pre-gap end"},
};

// A group box of two boundaries and the length between them.
struct BoundaryGroup {
  PositionControl Group;
  const char* Title;
  const BoundaryRow& Start;
  const BoundaryRow& End;
  PositionControl LengthLabel;
  PositionControl LengthField;
  PositionControl LengthMsfField;
};

const BoundaryGroup kGroups[2] = {
    {P::PreGapGroup, " Pre-Gap ", kRows[2], kRows[3], P::PreGapLengthLbl, P::PreGapLengthEdit,
     P::PreGapLengthMSFEdit},
    {P::TrackGroup, " Track ", kRows[0], kRows[1], P::TrackLengthLbl, P::TrackLengthEdit,
     P::TrackLengthMSFEdit},
};

constexpr PositionControl kFields[] = {
    P::PosEdit,          P::PosMSFEdit,          P::PreGapStartEdit, P::PreGapEndEdit,
    P::PreGapLengthEdit, P::PreGapLengthMSFEdit, P::TrackStartEdit,  P::TrackEndEdit,
    P::TrackLengthEdit,  P::TrackLengthMSFEdit,
};

constexpr PositionControl kLengthFields[] = {P::PreGapLengthEdit, P::PreGapLengthMSFEdit,
                                             P::TrackLengthEdit, P::TrackLengthMSFEdit};

}  // namespace

// ---- the dialog

PositionEditorDialog::PositionEditorDialog(Prompter& prompter, QWidget* parent,
                                           PreviewDevice* device)
    : QDialog(parent),
      Player_(device == nullptr ? std::make_unique<WavePlayer>() : nullptr),
      Editor_(prompter, device != nullptr ? device : Player_.get()) {
  setObjectName("PositionDlg");
  setWindowTitle("Position Editor");
  setAccessibleName("Position Editor");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  BuildControls();
  if (Player_) Player_->Notify = [this](PlayOutcome code) { PlayEnded(code); };
  PlayheadTimer_.setInterval(kPlayheadMs);
  connect(&PlayheadTimer_, &QTimer::timeout, this, &PositionEditorDialog::Refresh);
  Refresh();
}

PositionEditorDialog::~PositionEditorDialog() {
  // The player reports into this dialog; it goes first.
  if (Player_) Player_->Notify = nullptr;
  Editor_.Close();
}

QLineEdit* PositionEditorDialog::Field(PositionControl ctl) const {
  return static_cast<QLineEdit*>(Control(ctl));
}

std::string PositionEditorDialog::Shown(QLineEdit* edit) {
  return edit->displayText().toStdString();
}

void PositionEditorDialog::Act(const std::function<void()>& action) {
  if (Updating_) return;
  action();
  Refresh();
}

QWidget* PositionEditorDialog::Put(PositionControl ctl, QWidget* w, const QString& accessible) {
  // Each control carries the system's name. Assistive tools read it by its caption or by
  // the label beside it; `accessible` names it where neither says what it holds.
  w->setObjectName(PositionControlName(ctl));
  if (!accessible.isEmpty()) w->setAccessibleName(accessible);
  Controls_[static_cast<size_t>(ctl)] = w;
  return w;
}

QLineEdit* PositionEditorDialog::MakeField(PositionControl ctl, const char* mask,
                                           const QString& accessible) {
  auto* e = new QLineEdit(this);
  if (mask != nullptr) e->setInputMask(mask);
  e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 14);
  Put(ctl, e, accessible);
  return e;
}

UpDownWidget* PositionEditorDialog::MakeArrows(PositionControl ctl, const QString& stepped) {
  auto* u = new UpDownWidget(this);
  Put(ctl, u);
  u->SetFieldName(stepped);
  return u;
}

QPushButton* PositionEditorDialog::MakeButton(PositionControl ctl, const char* caption) {
  auto* b = new QPushButton(caption, this);
  b->setAutoDefault(false);
  Put(ctl, b);
  return b;
}

QLabel* PositionEditorDialog::MakeLabel(PositionControl ctl, const char* caption) {
  // Labels read as their texts, changing ones too.
  auto* l = new QLabel(caption, this);
  Put(ctl, l);
  return l;
}

void PositionEditorDialog::BuildControls() {
  auto* column = new QVBoxLayout(this);
  column->addLayout(BuildCursorRow());
  auto* groups = new QHBoxLayout;
  for (const BoundaryGroup& g : kGroups) groups->addWidget(BuildBoundaryGroup(g.Group));
  column->addLayout(groups);
  // The waveform takes what height the dialog is given.
  column->addLayout(BuildPlayer(), 1);
  column->addLayout(BuildButtonRow());
  ConnectActions();
  SetTabOrder();
}

QHBoxLayout* PositionEditorDialog::BuildCursorRow() {
  // The cursor, in sample frames and in minutes, seconds and frames, and the buttons that
  // set a boundary to it.
  auto* cursorLabel = new QLabel("Cursor:", this);
  cursorLabel->setObjectName("PosLbl");
  QLineEdit* cursorField = MakeField(P::PosEdit, "9999999999;_");
  cursorLabel->setBuddy(cursorField);
  UpDownWidget* cursorArrows = MakeArrows(P::PosUd, "Cursor sample");
  QLineEdit* msfField =
      MakeField(P::PosMSFEdit, "99:99:99;_", "Cursor in minutes, seconds and frames");
  msfField->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 14);
  UpDownWidget* msfArrows = MakeArrows(P::PosMSFUd, "Cursor frame");
  auto* row = new QHBoxLayout;
  row->addWidget(cursorLabel);
  row->addWidget(cursorField);
  row->addWidget(cursorArrows);
  row->addSpacing(8);
  row->addWidget(msfField);
  row->addWidget(msfArrows);
  row->addSpacing(12);
  for (const BoundaryRow& b : kRows) row->addWidget(MakeButton(b.SetButton, b.SetCaption));
  row->addStretch();
  return row;
}

QGroupBox* PositionEditorDialog::BuildBoundaryGroup(PositionControl group) {
  const BoundaryGroup& g =
      *std::find_if(std::begin(kGroups), std::end(kGroups),
                    [group](const BoundaryGroup& b) { return b.Group == group; });
  auto* box = new QGroupBox(g.Title, this);
  Put(g.Group, box);
  auto* grid = new QGridLayout(box);
  grid->setHorizontalSpacing(4);
  int r = 0;
  for (const BoundaryRow* row : {&g.Start, &g.End}) {
    // The grid hands each widget to the group box.
    QLabel* label = MakeLabel(row->Label, row->LabelCaption);
    QLineEdit* field = MakeField(row->Field, "9999999999;_");
    label->setBuddy(field);
    grid->addWidget(label, r, 0);
    grid->addWidget(field, r, 1);
    grid->addWidget(MakeArrows(row->Arrows, row->Stepped), r, 2, Qt::AlignLeft);
    ++r;
  }
  QLabel* label = MakeLabel(g.LengthLabel, "Length:");
  QLineEdit* length = MakeField(g.LengthField, nullptr);
  label->setBuddy(length);
  QLineEdit* msf =
      MakeField(g.LengthMsfField, nullptr,
                QString("%1 length in minutes, seconds and frames").arg(g.Title).trimmed());
  for (QLineEdit* e : {length, msf}) {
    e->setReadOnly(true);
    // Computed values: Tab passes them by.
    e->setFocusPolicy(Qt::ClickFocus);
  }
  grid->addWidget(label, r, 0);
  grid->addWidget(length, r, 1);
  grid->addWidget(msf, r, 2, 1, 2);
  grid->setColumnStretch(3, 1);
  return box;
}

QGridLayout* PositionEditorDialog::BuildPlayer() {
  // The preview player: waveform and track bar. A click in the track bar's groove jumps
  // there.
  Strip_ = new WaveformWidget(this);
  auto* bar = new QSlider(Qt::Horizontal, this);
  bar->setStyle(new JumpingSliderStyle(bar));
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setTickInterval(10);
  bar->setPageStep(10);
  bar->setSingleStep(1);
  bar->setRange(0, 0);
  Put(P::TrackBar, bar, "Position in seconds");
  QLabel* startLabel = MakeLabel(P::TrackBarStartLbl, "00:00");
  QLabel* lengthLabel = MakeLabel(P::LengthLbl, "00:00");
  // The waveform spans the same width as the track bar below it.
  auto* player = new QGridLayout;
  player->setVerticalSpacing(2);
  player->addWidget(Strip_, 0, 1);
  player->addWidget(startLabel, 1, 0);
  player->addWidget(bar, 1, 1);
  player->addWidget(lengthLabel, 1, 2);
  player->setColumnStretch(1, 1);
  player->setRowStretch(0, 1);
  return player;
}

QHBoxLayout* PositionEditorDialog::BuildButtonRow() {
  // Play and Stop on the left, OK, Apply and Cancel on the right.
  QPushButton* play = MakeButton(P::PlayBtn, "&Play");
  QPushButton* stop = MakeButton(P::StopBtn, "&Stop");
  QPushButton* ok = MakeButton(P::OkBtn, "&OK");
  ok->setDefault(true);
  QPushButton* apply = MakeButton(P::ApplyBtn, "&Apply");
  QPushButton* cancel = MakeButton(P::CancelBtn, "&Cancel");
  auto* row = new QHBoxLayout;
  row->addWidget(play);
  row->addWidget(stop);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(apply);
  row->addWidget(cancel);
  return row;
}

void PositionEditorDialog::ConnectActions() {
  // The cursor's fields.
  QLineEdit* cursorField = Field(P::PosEdit);
  QLineEdit* msfField = Field(P::PosMSFEdit);
  connect(cursorField, &QLineEdit::textEdited, this,
          [this, cursorField] { Act([&] { Editor_.TypeCursor(Shown(cursorField)); }); });
  connect(msfField, &QLineEdit::textEdited, this,
          [this, msfField] { Act([&] { Editor_.TypeCursorMsf(Shown(msfField)); }); });
  connect(static_cast<UpDownWidget*>(Control(P::PosUd)), &UpDownWidget::Clicked, this,
          [this](bool up) { Act([&] { Editor_.StepCursor(up); }); });
  connect(static_cast<UpDownWidget*>(Control(P::PosMSFUd)), &UpDownWidget::Clicked, this,
          [this](bool up) { Act([&] { Editor_.StepCursorFrame(up); }); });
  new KeyHook(cursorField, [this](QKeyEvent* e) {
    const std::optional<EditKey> key = EditKeyOf(e);
    if (key) Act([&] { Editor_.CursorKey(*key); });
    return key.has_value();
  });
  new KeyHook(msfField, [this](QKeyEvent* e) {
    const std::optional<EditKey> key = EditKeyOf(e);
    if (key) Act([&] { Editor_.CursorMsfKey(*key); });
    return key.has_value();
  });

  // The boundary family.
  for (const BoundaryRow& row : kRows) {
    const Boundary b = row.Boundary;
    QLineEdit* e = Field(row.Field);
    connect(e, &QLineEdit::textEdited, this,
            [this, b, e] { Act([&] { Editor_.TypeBoundary(b, Shown(e)); }); });
    connect(static_cast<UpDownWidget*>(Control(row.Arrows)), &UpDownWidget::Clicked, this,
            [this, b](bool up) { Act([&] { Editor_.StepBoundary(b, up); }); });
    connect(static_cast<QPushButton*>(Control(row.SetButton)), &QPushButton::clicked, this,
            [this, b] { Act([&] { Editor_.SetBoundaryToCursor(b); }); });
    new KeyHook(e, [this, b](QKeyEvent* k) {
      const std::optional<EditKey> key = EditKeyOf(k);
      if (key) Act([&] { Editor_.BoundaryKey(b, *key); });
      return key.has_value();
    });
  }

  // The player.
  auto clicked = [this](PositionControl button) {
    return static_cast<QPushButton*>(Control(button));
  };
  connect(static_cast<QSlider*>(Control(P::TrackBar)), &QSlider::valueChanged, this,
          [this](int value) { Act([&] { Editor_.SeekToSecond(value); }); });
  connect(clicked(P::PlayBtn), &QPushButton::clicked, this,
          [this] { Act([&] { Editor_.Play(); }); });
  connect(clicked(P::StopBtn), &QPushButton::clicked, this,
          [this] { Act([&] { Editor_.Stop(); }); });
  connect(Strip_, &WaveformWidget::CursorClicked, this,
          [this](int32_t p) { Act([&] { Editor_.ClickWaveform(p); }); });

  connect(clicked(P::OkBtn), &QPushButton::clicked, this, [this] {
    if (Updating_) return;
    if (Editor_.Accept()) {
      accept();
    } else {
      Refresh();
    }
  });
  connect(clicked(P::ApplyBtn), &QPushButton::clicked, this,
          [this] { Act([&] { Editor_.Apply(); }); });
  connect(clicked(P::CancelBtn), &QPushButton::clicked, this, &QDialog::reject);
}

void PositionEditorDialog::SetTabOrder() {
  // The cursor's two fields, the set buttons, the boundaries, the player, the buttons.
  const PositionControl order[] = {
      P::PosEdit,           P::PosMSFEdit,      P::SetStartBtn,     P::SetEndBtn,
      P::SetPreGapStartBtn, P::SetPreGapEndBtn, P::PreGapStartEdit, P::PreGapEndEdit,
      P::TrackStartEdit,    P::TrackEndEdit,    P::TrackBar,        P::PlayBtn,
      P::StopBtn,           P::OkBtn,           P::ApplyBtn,        P::CancelBtn};
  for (size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(Control(order[i - 1]), Control(order[i]));
  }
}

void PositionEditorDialog::Refresh() {
  Updating_ = true;
  for (int32_t i = 0; i < kPositionControlCount; ++i) {
    const auto ctl = static_cast<PositionControl>(i);
    Control(ctl)->setEnabled(Editor_.Enabled(ctl));
  }
  for (PositionControl ctl : kFields) {
    QLineEdit* e = Field(ctl);
    SetFieldText(e, QString::fromStdString(Editor_.Text(ctl)));
    SetFieldColour(e, Editor_.Colour(ctl));
  }
  for (PositionControl ctl : kLengthFields) {
    SetTextColour(Field(ctl), Editor_.TextColourOf(ctl));
  }
  for (PositionControl ctl : {P::TrackBarStartLbl, P::LengthLbl}) {
    static_cast<QLabel*>(Control(ctl))->setText(QString::fromStdString(Editor_.Text(ctl)));
  }
  auto* bar = static_cast<QSlider*>(Control(P::TrackBar));
  bar->setMaximum(Editor_.TrackBarMax());
  // While a play runs the bar follows the sound, unless the user holds its handle.
  if (!bar->isSliderDown()) bar->setValue(Editor_.TrackBarShownPos());
  UpdateTicks();
  std::array<int32_t, 4> bounds{};
  for (const BoundaryRow& row : kRows) {
    const auto i = static_cast<size_t>(row.Boundary);
    bounds[i] = Editor_.HasTarget(row.Boundary) ? Editor_.Value(row.Boundary) : -1;
  }
  Strip_->SetMarks(Editor_.CursorPos(), bounds);
  Strip_->SetPlayhead(Editor_.Playhead());
  if (Editor_.Playing() != PlayheadTimer_.isActive()) {
    if (Editor_.Playing()) {
      PlayheadTimer_.start();
    } else {
      PlayheadTimer_.stop();
    }
  }
  // Why Play is unavailable, for the pointer and for assistive tools.
  QWidget* play = Control(P::PlayBtn);
  const QString why = QString::fromStdString(Editor_.PlayUnavailableReason());
  if (play->toolTip() != why) {
    play->setToolTip(why);
    play->setAccessibleDescription(why);
  }
  Updating_ = false;
}

void PositionEditorDialog::UpdateTicks() {
  auto* bar = static_cast<QSlider*>(Control(P::TrackBar));
  const int interval = TrackBarTickInterval(bar->maximum(), bar->width());
  if (bar->tickInterval() != interval) bar->setTickInterval(interval);
}

void PositionEditorDialog::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  UpdateTicks();
}

void PositionEditorDialog::EditPositions(const std::string& path, const WaveDataInfo& info,
                                         int32_t* trackStart, int32_t* trackEnd,
                                         int32_t* preGapStart, int32_t* preGapEnd) {
  Editor_.SetupPositions(path, info, trackStart, trackEnd, preGapStart, preGapEnd);
  Refresh();
  exec();
}

void PositionEditorDialog::showEvent(QShowEvent* e) {
  if (!e->spontaneous()) {
    Editor_.Open();
    Strip_->SetFile(Editor_.ShownFileName(), Editor_.ShownWaveInfo());
    Refresh();
    Control(P::PosEdit)->setFocus();
  }
  QDialog::showEvent(e);
}

void PositionEditorDialog::done(int result) {
  Editor_.Close();
  Strip_->Clear();
  Refresh();
  QDialog::done(result);
}

void PositionEditorDialog::PlayEnded(PlayOutcome code) {
  Editor_.PlayEnded(code);
  Refresh();
}

}  // namespace varnel
