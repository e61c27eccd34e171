#include "Positiondlg.h"

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

#include "ListFont.h"
#include "WavePlayer.h"
#include "WaveformStrip.h"

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
class TJumpingSliderStyle : public QProxyStyle {
 public:
  explicit TJumpingSliderStyle(QObject* owner) { setParent(owner); }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

// How often the playhead is followed while a play runs.
constexpr int kPlayheadMs = 40;

// The text colour of a length field and its MSF field.
void SetTextColour(QLineEdit* edit, TTextColour colour) {
  const QPalette standard = QApplication::palette(edit);
  const QColor text = colour == TTextColour::Red ? QColor(Qt::red)
                                                 : standard.color(QPalette::Active, QPalette::Text);
  QPalette p = edit->palette();
  if (p.color(QPalette::Active, QPalette::Text) == text) return;
  p.setColor(QPalette::Active, QPalette::Text, text);
  p.setColor(QPalette::Inactive, QPalette::Text, text);
  edit->setPalette(p);
}

std::optional<TEditKey> EditKeyOf(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return TEditKey::Enter;
    case Qt::Key_Up:
      return TEditKey::Up;
    case Qt::Key_Down:
      return TEditKey::Down;
    default:
      return std::nullopt;
  }
}

struct TBoundaryRow {
  TBoundary Boundary;
  TPosCtl Edit;
  TPosCtl Ud;
  TPosCtl Btn;
  TPosCtl Lbl;
  const char* BtnCaption;
  const char* LblCaption;
  const char* Field;  // what its arrows step, for assistive tools
};

const TBoundaryRow kRows[4] = {
    {TBoundary::TrackStart, TPosCtl::TrackStartEdit, TPosCtl::TrackStartUd, TPosCtl::SetStartBtn,
     TPosCtl::TrackStartLbl, "Track Start", "Start:", "Track start"},
    {TBoundary::TrackEnd, TPosCtl::TrackEndEdit, TPosCtl::TrackEndUd, TPosCtl::SetEndBtn,
     TPosCtl::TrackEndLbl, "Track End", "End:", "Track end"},
    {TBoundary::PreGapStart, TPosCtl::PreGapStartEdit, TPosCtl::PreGapStartUd,
     TPosCtl::SetPreGapStartBtn, TPosCtl::PreGapStartLbl, "PreGap Start",
     "Start:", "Pre-gap start"},
    {TBoundary::PreGapEnd, TPosCtl::PreGapEndEdit, TPosCtl::PreGapEndUd, TPosCtl::SetPreGapEndBtn,
     TPosCtl::PreGapEndLbl, "PreGap End", "End:", "Pre-gap end"},
};

constexpr TPosCtl kEdits[] = {
    TPosCtl::PosEdit,          TPosCtl::PosMSFEdit,
    TPosCtl::PreGapStartEdit,  TPosCtl::PreGapEndEdit,
    TPosCtl::PreGapLengthEdit, TPosCtl::PreGapLengthMSFEdit,
    TPosCtl::TrackStartEdit,   TPosCtl::TrackEndEdit,
    TPosCtl::TrackLengthEdit,  TPosCtl::TrackLengthMSFEdit,
};

constexpr TPosCtl kLengthEdits[] = {TPosCtl::PreGapLengthEdit, TPosCtl::PreGapLengthMSFEdit,
                                    TPosCtl::TrackLengthEdit, TPosCtl::TrackLengthMSFEdit};

}  // namespace

// ---- the dialog

TPositionDlg::TPositionDlg(TPrompter& prompter, QWidget* parent, TPreviewDevice* device)
    : QDialog(parent),
      Player_(device == nullptr ? std::make_unique<TWavePlayer>() : nullptr),
      Editor_(prompter, device != nullptr ? device : Player_.get()) {
  setObjectName("PositionDlg");
  setWindowTitle("Position Editor");
  setAccessibleName("Position Editor");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  BuildControls();
  if (Player_) Player_->Notify = [this](TPlayNotify code) { PlayNotify(code); };
  PlayheadTimer_.setInterval(kPlayheadMs);
  connect(&PlayheadTimer_, &QTimer::timeout, this, &TPositionDlg::Refresh);
  Refresh();
}

TPositionDlg::~TPositionDlg() {
  // The player reports into this dialog; it goes first.
  if (Player_) Player_->Notify = nullptr;
  Editor_.FormClose();
}

QLineEdit* TPositionDlg::Edit(TPosCtl ctl) const {
  return static_cast<QLineEdit*>(Control(ctl));
}

std::string TPositionDlg::Shown(QLineEdit* edit) {
  return edit->displayText().toStdString();
}

void TPositionDlg::Act(const std::function<void()>& action) {
  if (Updating_) return;
  action();
  Refresh();
}

void TPositionDlg::BuildControls() {
  // Each control carries the system's name. Assistive tools read it by its caption or by
  // the label beside it; `accessible` names it where neither says what it holds.
  auto put = [this](TPosCtl ctl, QWidget* w, const QString& accessible = QString()) {
    w->setObjectName(PosCtlName(ctl));
    if (!accessible.isEmpty()) w->setAccessibleName(accessible);
    Ctl_[static_cast<size_t>(ctl)] = w;
    return w;
  };
  const int digitWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 14;
  auto edit = [&](TPosCtl ctl, const char* mask, const QString& accessible = QString()) {
    auto* e = new QLineEdit(this);
    if (mask != nullptr) e->setInputMask(mask);
    e->setFixedWidth(digitWidth);
    put(ctl, e, accessible);
    return e;
  };
  auto upDown = [&](TPosCtl ctl, const QString& field) {
    auto* u = new TUpDown(this);
    put(ctl, u);
    u->SetFieldName(field);
    return u;
  };
  auto button = [&](TPosCtl ctl, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    put(ctl, b);
    return b;
  };
  // Labels read as their texts, changing ones too.
  auto label = [&](TPosCtl ctl, const char* caption) {
    auto* l = new QLabel(caption, this);
    put(ctl, l);
    return l;
  };

  // The cursor.
  auto* posLbl = new QLabel("Cursor:", this);
  posLbl->setObjectName("PosLbl");
  QLineEdit* posEdit = edit(TPosCtl::PosEdit, "9999999999;_");
  posLbl->setBuddy(posEdit);
  TUpDown* posUd = upDown(TPosCtl::PosUd, "Cursor sample");
  QLineEdit* msfEdit =
      edit(TPosCtl::PosMSFEdit, "99:99:99;_", "Cursor in minutes, seconds and frames");
  msfEdit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 14);
  TUpDown* msfUd = upDown(TPosCtl::PosMSFUd, "Cursor frame");
  auto* cursorRow = new QHBoxLayout;
  cursorRow->addWidget(posLbl);
  cursorRow->addWidget(posEdit);
  cursorRow->addWidget(posUd);
  cursorRow->addSpacing(8);
  cursorRow->addWidget(msfEdit);
  cursorRow->addWidget(msfUd);
  cursorRow->addSpacing(12);
  for (const TBoundaryRow& row : kRows) cursorRow->addWidget(button(row.Btn, row.BtnCaption));
  cursorRow->addStretch();

  // The two groups of boundaries.
  auto group = [&](TPosCtl ctl, const char* title, const TBoundaryRow& start,
                   const TBoundaryRow& end, TPosCtl lengthLbl, TPosCtl lengthEdit,
                   TPosCtl lengthMsf) {
    auto* box = new QGroupBox(title, this);
    put(ctl, box);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    int r = 0;
    for (const TBoundaryRow* row : {&start, &end}) {
      // The grid hands each widget to the group box.
      QLabel* l = label(row->Lbl, row->LblCaption);
      QLineEdit* e = edit(row->Edit, "9999999999;_");
      l->setBuddy(e);
      TUpDown* u = upDown(row->Ud, row->Field);
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
      group(TPosCtl::PreGapGroup, " Pre-Gap ", kRows[2], kRows[3], TPosCtl::PreGapLengthLbl,
            TPosCtl::PreGapLengthEdit, TPosCtl::PreGapLengthMSFEdit);
  QGroupBox* track =
      group(TPosCtl::TrackGroup, " Track ", kRows[0], kRows[1], TPosCtl::TrackLengthLbl,
            TPosCtl::TrackLengthEdit, TPosCtl::TrackLengthMSFEdit);
  auto* groups = new QHBoxLayout;
  groups->addWidget(preGap);
  groups->addWidget(track);

  // The preview player: waveform, track bar, Play and Stop. A click in the track bar's
  // groove jumps there.
  Strip_ = new TWaveformStrip(this);
  auto* bar = new QSlider(Qt::Horizontal, this);
  bar->setStyle(new TJumpingSliderStyle(bar));
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setTickInterval(10);
  bar->setPageStep(10);
  bar->setSingleStep(1);
  bar->setRange(0, 0);
  put(TPosCtl::TrackBar, bar, "Position in seconds");
  QLabel* startLbl = label(TPosCtl::Label1, "00:00");
  QLabel* lengthLbl = label(TPosCtl::LengthLbl, "00:00");
  // The waveform spans the same width as the track bar below it.
  auto* player = new QGridLayout;
  player->setVerticalSpacing(2);
  player->addWidget(Strip_, 0, 1);
  player->addWidget(startLbl, 1, 0);
  player->addWidget(bar, 1, 1);
  player->addWidget(lengthLbl, 1, 2);
  player->setColumnStretch(1, 1);

  QPushButton* play = button(TPosCtl::PlayBtn, "&Play");
  QPushButton* stop = button(TPosCtl::StopBtn, "&Stop");
  QPushButton* ok = button(TPosCtl::OkBtn, "&OK");
  ok->setDefault(true);
  QPushButton* apply = button(TPosCtl::ApplyBtn, "&Apply");
  QPushButton* cancel = button(TPosCtl::CancelBtn, "&Cancel");
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
          [this, posEdit] { Act([&] { Editor_.PosEditChange(Shown(posEdit)); }); });
  connect(msfEdit, &QLineEdit::textEdited, this,
          [this, msfEdit] { Act([&] { Editor_.PosMSFEditChange(Shown(msfEdit)); }); });
  connect(posUd, &TUpDown::Clicked, this,
          [this](bool up) { Act([&] { Editor_.PosUdClick(up); }); });
  connect(msfUd, &TUpDown::Clicked, this,
          [this](bool up) { Act([&] { Editor_.PosMSFUdClick(up); }); });
  new TKeyHook(posEdit, [this](QKeyEvent* e) {
    const std::optional<TEditKey> key = EditKeyOf(e);
    if (key) Act([&] { Editor_.PosEditKeyDown(*key); });
    return key.has_value();
  });
  new TKeyHook(msfEdit, [this](QKeyEvent* e) {
    const std::optional<TEditKey> key = EditKeyOf(e);
    if (key) Act([&] { Editor_.PosMSFEditKeyDown(*key); });
    return key.has_value();
  });

  // The boundary family.
  for (const TBoundaryRow& row : kRows) {
    const TBoundary b = row.Boundary;
    QLineEdit* e = Edit(row.Edit);
    connect(e, &QLineEdit::textEdited, this,
            [this, b, e] { Act([&] { Editor_.BoundaryEditChange(b, Shown(e)); }); });
    connect(static_cast<TUpDown*>(Control(row.Ud)), &TUpDown::Clicked, this,
            [this, b](bool up) { Act([&] { Editor_.BoundaryUdClick(b, up); }); });
    connect(static_cast<QPushButton*>(Control(row.Btn)), &QPushButton::clicked, this,
            [this, b] { Act([&] { Editor_.SetBoundaryBtnClick(b); }); });
    new TKeyHook(e, [this, b](QKeyEvent* k) {
      const std::optional<TEditKey> key = EditKeyOf(k);
      if (key) Act([&] { Editor_.BoundaryEditKeyDown(b, *key); });
      return key.has_value();
    });
  }

  // The player.
  connect(bar, &QSlider::valueChanged, this,
          [this](int value) { Act([&] { Editor_.TrackBarChange(value); }); });
  connect(play, &QPushButton::clicked, this, [this] { Act([&] { Editor_.PlayBtnClick(); }); });
  connect(stop, &QPushButton::clicked, this, [this] { Act([&] { Editor_.StopBtnClick(); }); });
  connect(Strip_, &TWaveformStrip::CursorClicked, this,
          [this](int32_t p) { Act([&] { Editor_.PosEditChange(PositionText(p)); }); });

  connect(ok, &QPushButton::clicked, this, [this] {
    if (Updating_) return;
    if (Editor_.OkBtnClick()) {
      accept();
    } else {
      Refresh();
    }
  });
  connect(apply, &QPushButton::clicked, this, [this] { Act([&] { Editor_.ApplyBtnClick(); }); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(posEdit, msfEdit);
  QWidget* previous = msfEdit;
  for (TPosCtl ctl :
       {TPosCtl::SetStartBtn, TPosCtl::SetEndBtn, TPosCtl::SetPreGapStartBtn,
        TPosCtl::SetPreGapEndBtn, TPosCtl::PreGapStartEdit, TPosCtl::PreGapEndEdit,
        TPosCtl::TrackStartEdit, TPosCtl::TrackEndEdit, TPosCtl::TrackBar, TPosCtl::PlayBtn,
        TPosCtl::StopBtn, TPosCtl::OkBtn, TPosCtl::ApplyBtn, TPosCtl::CancelBtn}) {
    setTabOrder(previous, Control(ctl));
    previous = Control(ctl);
  }
}

void TPositionDlg::Refresh() {
  Updating_ = true;
  for (int32_t i = 0; i < kPosCtlCount; ++i) {
    const auto ctl = static_cast<TPosCtl>(i);
    Control(ctl)->setEnabled(Editor_.Enabled(ctl));
  }
  for (TPosCtl ctl : kEdits) {
    QLineEdit* e = Edit(ctl);
    SetFieldText(e, QString::fromStdString(Editor_.Text(ctl)));
    SetFieldColour(e, Editor_.Colour(ctl));
  }
  for (TPosCtl ctl : kLengthEdits) SetTextColour(Edit(ctl), Editor_.TextColour(ctl));
  for (TPosCtl ctl : {TPosCtl::Label1, TPosCtl::LengthLbl}) {
    static_cast<QLabel*>(Control(ctl))->setText(QString::fromStdString(Editor_.Text(ctl)));
  }
  auto* bar = static_cast<QSlider*>(Control(TPosCtl::TrackBar));
  bar->setMaximum(Editor_.TrackBarMax());
  // While a play runs the bar follows the sound, unless the user holds its handle.
  if (!bar->isSliderDown()) bar->setValue(Editor_.TrackBarShownPos());
  UpdateTicks();
  std::array<int32_t, 4> bounds{};
  for (const TBoundaryRow& row : kRows) {
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
  QWidget* play = Control(TPosCtl::PlayBtn);
  const QString why = QString::fromStdString(Editor_.PlayUnavailableReason());
  if (play->toolTip() != why) {
    play->setToolTip(why);
    play->setAccessibleDescription(why);
  }
  Updating_ = false;
}

void TPositionDlg::UpdateTicks() {
  auto* bar = static_cast<QSlider*>(Control(TPosCtl::TrackBar));
  const int interval = TrackBarTickInterval(bar->maximum(), bar->width());
  if (bar->tickInterval() != interval) bar->setTickInterval(interval);
}

void TPositionDlg::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  UpdateTicks();
}

void TPositionDlg::EditPositions(const std::string& path, const WaveDataInfo& info,
                                 int32_t* trackStart, int32_t* trackEnd, int32_t* preGapStart,
                                 int32_t* preGapEnd) {
  Editor_.SetupPositions(path, info, trackStart, trackEnd, preGapStart, preGapEnd);
  Refresh();
  exec();
}

void TPositionDlg::showEvent(QShowEvent* e) {
  if (!e->spontaneous()) {
    Editor_.FormShow();
    Strip_->SetFile(Editor_.ShownFileName(), Editor_.ShownWaveInfo());
    Refresh();
    Control(TPosCtl::PosEdit)->setFocus();
  }
  QDialog::showEvent(e);
}

void TPositionDlg::done(int result) {
  Editor_.FormClose();
  Strip_->Clear();
  Refresh();
  QDialog::done(result);
}

void TPositionDlg::PlayNotify(TPlayNotify code) {
  Editor_.PlayNotify(code);
  Refresh();
}

}  // namespace varnel
