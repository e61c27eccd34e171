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
#include "ui/widgets/UpDown.h"
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

struct BoundaryRow {
  varnel::Boundary Boundary;
  PositionControl Edit;
  PositionControl Ud;
  PositionControl Btn;
  PositionControl Lbl;
  const char* BtnCaption;
  const char* LblCaption;
  const char* Field;  // what its arrows step, for assistive tools
};

const BoundaryRow kRows[4] = {
    {Boundary::TrackStart, PositionControl::TrackStartEdit, PositionControl::TrackStartUd, PositionControl::SetStartBtn,
     PositionControl::TrackStartLbl, "Track Start", "Start:", "Track start"},
    {Boundary::TrackEnd, PositionControl::TrackEndEdit, PositionControl::TrackEndUd, PositionControl::SetEndBtn,
     PositionControl::TrackEndLbl, "Track End", "End:", "Track end"},
    {Boundary::PreGapStart, PositionControl::PreGapStartEdit, PositionControl::PreGapStartUd,
     PositionControl::SetPreGapStartBtn, PositionControl::PreGapStartLbl, "PreGap Start",
     "Start:", "Pre-gap start"},
    {Boundary::PreGapEnd, PositionControl::PreGapEndEdit, PositionControl::PreGapEndUd, PositionControl::SetPreGapEndBtn,
     PositionControl::PreGapEndLbl, "PreGap End", "End:", "Pre-gap end"},
};

constexpr PositionControl kEdits[] = {
    PositionControl::PosEdit,          PositionControl::PosMSFEdit,
    PositionControl::PreGapStartEdit,  PositionControl::PreGapEndEdit,
    PositionControl::PreGapLengthEdit, PositionControl::PreGapLengthMSFEdit,
    PositionControl::TrackStartEdit,   PositionControl::TrackEndEdit,
    PositionControl::TrackLengthEdit,  PositionControl::TrackLengthMSFEdit,
};

constexpr PositionControl kLengthEdits[] = {PositionControl::PreGapLengthEdit, PositionControl::PreGapLengthMSFEdit,
                                    PositionControl::TrackLengthEdit, PositionControl::TrackLengthMSFEdit};

}  // namespace

// ---- the dialog

PositionEditorDialog::PositionEditorDialog(Prompter& prompter, QWidget* parent, PreviewDevice* device)
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

QLineEdit* PositionEditorDialog::Edit(PositionControl ctl) const {
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

void PositionEditorDialog::BuildControls() {
  // Each control carries the system's name. Assistive tools read it by its caption or by
  // the label beside it; `accessible` names it where neither says what it holds.
  auto put = [this](PositionControl ctl, QWidget* w, const QString& accessible = QString()) {
    w->setObjectName(PositionControlName(ctl));
    if (!accessible.isEmpty()) w->setAccessibleName(accessible);
    Ctl_[static_cast<size_t>(ctl)] = w;
    return w;
  };
  const int digitWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 14;
  auto edit = [&](PositionControl ctl, const char* mask, const QString& accessible = QString()) {
    auto* e = new QLineEdit(this);
    if (mask != nullptr) e->setInputMask(mask);
    e->setFixedWidth(digitWidth);
    put(ctl, e, accessible);
    return e;
  };
  auto upDown = [&](PositionControl ctl, const QString& field) {
    auto* u = new UpDown(this);
    put(ctl, u);
    u->SetFieldName(field);
    return u;
  };
  auto button = [&](PositionControl ctl, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    put(ctl, b);
    return b;
  };
  // Labels read as their texts, changing ones too.
  auto label = [&](PositionControl ctl, const char* caption) {
    auto* l = new QLabel(caption, this);
    put(ctl, l);
    return l;
  };

  // The cursor.
  auto* posLbl = new QLabel("Cursor:", this);
  posLbl->setObjectName("PosLbl");
  QLineEdit* posEdit = edit(PositionControl::PosEdit, "9999999999;_");
  posLbl->setBuddy(posEdit);
  UpDown* posUd = upDown(PositionControl::PosUd, "Cursor sample");
  QLineEdit* msfEdit =
      edit(PositionControl::PosMSFEdit, "99:99:99;_", "Cursor in minutes, seconds and frames");
  msfEdit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 14);
  UpDown* msfUd = upDown(PositionControl::PosMSFUd, "Cursor frame");
  auto* cursorRow = new QHBoxLayout;
  cursorRow->addWidget(posLbl);
  cursorRow->addWidget(posEdit);
  cursorRow->addWidget(posUd);
  cursorRow->addSpacing(8);
  cursorRow->addWidget(msfEdit);
  cursorRow->addWidget(msfUd);
  cursorRow->addSpacing(12);
  for (const BoundaryRow& row : kRows) cursorRow->addWidget(button(row.Btn, row.BtnCaption));
  cursorRow->addStretch();

  // The two groups of boundaries.
  auto group = [&](PositionControl ctl, const char* title, const BoundaryRow& start,
                   const BoundaryRow& end, PositionControl lengthLbl, PositionControl lengthEdit,
                   PositionControl lengthMsf) {
    auto* box = new QGroupBox(title, this);
    put(ctl, box);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    int r = 0;
    for (const BoundaryRow* row : {&start, &end}) {
      // The grid hands each widget to the group box.
      QLabel* l = label(row->Lbl, row->LblCaption);
      QLineEdit* e = edit(row->Edit, "9999999999;_");
      l->setBuddy(e);
      UpDown* u = upDown(row->Ud, row->Field);
      grid->addWidget(l, r, 0);
      grid->addWidget(e, r, 1);
      grid->addWidget(u, r, 2, Qt::AlignLeft);
      ++r;
    }
    QLabel* l = label(lengthLbl, "Length:");
    QLineEdit* len = edit(lengthEdit, nullptr);
    l->setBuddy(len);
    QLineEdit* msf = edit(lengthMsf, nullptr,
                          QString("%1 length in minutes, seconds and frames").arg(title).trimmed());
    for (QLineEdit* e : {len, msf}) {
      e->setReadOnly(true);
      // Computed values: Tab passes them by.
      e->setFocusPolicy(Qt::ClickFocus);
    }
    grid->addWidget(l, r, 0);
    grid->addWidget(len, r, 1);
    grid->addWidget(msf, r, 2, 1, 2);
    grid->setColumnStretch(3, 1);
    return box;
  };
  QGroupBox* preGap =
      group(PositionControl::PreGapGroup, " Pre-Gap ", kRows[2], kRows[3], PositionControl::PreGapLengthLbl,
            PositionControl::PreGapLengthEdit, PositionControl::PreGapLengthMSFEdit);
  QGroupBox* track =
      group(PositionControl::TrackGroup, " Track ", kRows[0], kRows[1], PositionControl::TrackLengthLbl,
            PositionControl::TrackLengthEdit, PositionControl::TrackLengthMSFEdit);
  auto* groups = new QHBoxLayout;
  groups->addWidget(preGap);
  groups->addWidget(track);

  // The preview player: waveform, track bar, Play and Stop. A click in the track bar's
  // groove jumps there.
  Strip_ = new WaveformWidget(this);
  auto* bar = new QSlider(Qt::Horizontal, this);
  bar->setStyle(new JumpingSliderStyle(bar));
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setTickInterval(10);
  bar->setPageStep(10);
  bar->setSingleStep(1);
  bar->setRange(0, 0);
  put(PositionControl::TrackBar, bar, "Position in seconds");
  QLabel* startLbl = label(PositionControl::TrackBarStartLbl, "00:00");
  QLabel* lengthLbl = label(PositionControl::LengthLbl, "00:00");
  // The waveform spans the same width as the track bar below it.
  auto* player = new QGridLayout;
  player->setVerticalSpacing(2);
  player->addWidget(Strip_, 0, 1);
  player->addWidget(startLbl, 1, 0);
  player->addWidget(bar, 1, 1);
  player->addWidget(lengthLbl, 1, 2);
  player->setColumnStretch(1, 1);

  QPushButton* play = button(PositionControl::PlayBtn, "&Play");
  QPushButton* stop = button(PositionControl::StopBtn, "&Stop");
  QPushButton* ok = button(PositionControl::OkBtn, "&OK");
  ok->setDefault(true);
  QPushButton* apply = button(PositionControl::ApplyBtn, "&Apply");
  QPushButton* cancel = button(PositionControl::CancelBtn, "&Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(play);
  buttons->addWidget(stop);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(apply);
  buttons->addWidget(cancel);

  auto* column = new QVBoxLayout(this);
  column->addLayout(cursorRow);
  column->addLayout(groups);
  column->addLayout(player);
  column->addLayout(buttons);

  // The cursor's fields.
  connect(posEdit, &QLineEdit::textEdited, this,
          [this, posEdit] { Act([&] { Editor_.TypeCursor(Shown(posEdit)); }); });
  connect(msfEdit, &QLineEdit::textEdited, this,
          [this, msfEdit] { Act([&] { Editor_.TypeCursorMsf(Shown(msfEdit)); }); });
  connect(posUd, &UpDown::Clicked, this,
          [this](bool up) { Act([&] { Editor_.StepCursor(up); }); });
  connect(msfUd, &UpDown::Clicked, this,
          [this](bool up) { Act([&] { Editor_.StepCursorFrame(up); }); });
  new KeyHook(posEdit, [this](QKeyEvent* e) {
    const std::optional<EditKey> key = EditKeyOf(e);
    if (key) Act([&] { Editor_.CursorKey(*key); });
    return key.has_value();
  });
  new KeyHook(msfEdit, [this](QKeyEvent* e) {
    const std::optional<EditKey> key = EditKeyOf(e);
    if (key) Act([&] { Editor_.CursorMsfKey(*key); });
    return key.has_value();
  });

  // The boundary family.
  for (const BoundaryRow& row : kRows) {
    const Boundary b = row.Boundary;
    QLineEdit* e = Edit(row.Edit);
    connect(e, &QLineEdit::textEdited, this,
            [this, b, e] { Act([&] { Editor_.TypeBoundary(b, Shown(e)); }); });
    connect(static_cast<UpDown*>(Control(row.Ud)), &UpDown::Clicked, this,
            [this, b](bool up) { Act([&] { Editor_.StepBoundary(b, up); }); });
    connect(static_cast<QPushButton*>(Control(row.Btn)), &QPushButton::clicked, this,
            [this, b] { Act([&] { Editor_.SetBoundaryToCursor(b); }); });
    new KeyHook(e, [this, b](QKeyEvent* k) {
      const std::optional<EditKey> key = EditKeyOf(k);
      if (key) Act([&] { Editor_.BoundaryKey(b, *key); });
      return key.has_value();
    });
  }

  // The player.
  connect(bar, &QSlider::valueChanged, this,
          [this](int value) { Act([&] { Editor_.SeekToSecond(value); }); });
  connect(play, &QPushButton::clicked, this, [this] { Act([&] { Editor_.Play(); }); });
  connect(stop, &QPushButton::clicked, this, [this] { Act([&] { Editor_.Stop(); }); });
  connect(Strip_, &WaveformWidget::CursorClicked, this,
          [this](int32_t p) { Act([&] { Editor_.TypeCursor(PositionText(p)); }); });

  connect(ok, &QPushButton::clicked, this, [this] {
    if (Updating_) return;
    if (Editor_.Accept()) {
      accept();
    } else {
      Refresh();
    }
  });
  connect(apply, &QPushButton::clicked, this, [this] { Act([&] { Editor_.Apply(); }); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(posEdit, msfEdit);
  QWidget* previous = msfEdit;
  for (PositionControl ctl :
       {PositionControl::SetStartBtn, PositionControl::SetEndBtn, PositionControl::SetPreGapStartBtn,
        PositionControl::SetPreGapEndBtn, PositionControl::PreGapStartEdit, PositionControl::PreGapEndEdit,
        PositionControl::TrackStartEdit, PositionControl::TrackEndEdit, PositionControl::TrackBar, PositionControl::PlayBtn,
        PositionControl::StopBtn, PositionControl::OkBtn, PositionControl::ApplyBtn, PositionControl::CancelBtn}) {
    setTabOrder(previous, Control(ctl));
    previous = Control(ctl);
  }
}

void PositionEditorDialog::Refresh() {
  Updating_ = true;
  for (int32_t i = 0; i < kPositionControlCount; ++i) {
    const auto ctl = static_cast<PositionControl>(i);
    Control(ctl)->setEnabled(Editor_.Enabled(ctl));
  }
  for (PositionControl ctl : kEdits) {
    QLineEdit* e = Edit(ctl);
    SetFieldText(e, QString::fromStdString(Editor_.Text(ctl)));
    SetFieldColour(e, Editor_.Colour(ctl));
  }
  for (PositionControl ctl : kLengthEdits) SetTextColour(Edit(ctl), Editor_.TextColourOf(ctl));
  for (PositionControl ctl : {PositionControl::TrackBarStartLbl, PositionControl::LengthLbl}) {
    static_cast<QLabel*>(Control(ctl))->setText(QString::fromStdString(Editor_.Text(ctl)));
  }
  auto* bar = static_cast<QSlider*>(Control(PositionControl::TrackBar));
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
  QWidget* play = Control(PositionControl::PlayBtn);
  const QString why = QString::fromStdString(Editor_.PlayUnavailableReason());
  if (play->toolTip() != why) {
    play->setToolTip(why);
    play->setAccessibleDescription(why);
  }
  Updating_ = false;
}

void PositionEditorDialog::UpdateTicks() {
  auto* bar = static_cast<QSlider*>(Control(PositionControl::TrackBar));
  const int interval = TrackBarTickInterval(bar->maximum(), bar->width());
  if (bar->tickInterval() != interval) bar->setTickInterval(interval);
}

void PositionEditorDialog::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  UpdateTicks();
}

void PositionEditorDialog::EditPositions(const std::string& path, const WaveDataInfo& info,
                                 int32_t* trackStart, int32_t* trackEnd, int32_t* preGapStart,
                                 int32_t* preGapEnd) {
  Editor_.SetupPositions(path, info, trackStart, trackEnd, preGapStart, preGapEnd);
  Refresh();
  exec();
}

void PositionEditorDialog::showEvent(QShowEvent* e) {
  if (!e->spontaneous()) {
    Editor_.Open();
    Strip_->SetFile(Editor_.ShownFileName(), Editor_.ShownWaveInfo());
    Refresh();
    Control(PositionControl::PosEdit)->setFocus();
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
