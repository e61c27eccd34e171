#include "ui/dialogs/TrackPropertiesDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <iterator>

#include "ui/widgets/EditFields.h"
#include "ui/widgets/ListFont.h"
#include "ui/widgets/RadioSet.h"
#include "ui/widgets/UpDownWidget.h"

namespace varnel {

namespace {
using C = TrackPropertyControl;
}  // namespace

TrackPropertiesDialog::TrackPropertiesDialog(AppContext& ctx, PositionEditorPort* positions,
                                             QWidget* parent)
    : QDialog(parent), Editor_(ctx, &Forward_) {
  Forward_.Target = positions;
  setObjectName("TrackPropertyFrm");
  setWindowTitle("Track Properties");
  setAccessibleName("Track Properties");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  BuildControls();
  Refresh();
}

void TrackPropertiesDialog::Act(const std::function<void()>& action) {
  if (Updating_) return;
  action();
  Refresh();
}

QWidget* TrackPropertiesDialog::Put(TrackPropertyControl ctl, QWidget* w,
                                    const QString& accessible) {
  // Each control carries the system's name. Assistive tools read it by its caption or by
  // the label beside it; `accessible` names it where neither says what it acts on.
  w->setObjectName(TrackPropertyControlName(ctl));
  if (!accessible.isEmpty()) w->setAccessibleName(accessible);
  Controls_[static_cast<size_t>(ctl)] = w;
  return w;
}

QAbstractButton* TrackPropertiesDialog::Button(TrackPropertyControl ctl) const {
  return static_cast<QAbstractButton*>(Control(ctl));
}

QLineEdit* TrackPropertiesDialog::Field(TrackPropertyControl ctl) const {
  return static_cast<QLineEdit*>(Control(ctl));
}

QPushButton* TrackPropertiesDialog::MakeButton(TrackPropertyControl ctl, const char* caption,
                                               QWidget* parent, const QString& accessible) {
  auto* b = new QPushButton(caption, parent);
  b->setAutoDefault(false);
  Put(ctl, b, accessible);
  return b;
}

QCheckBox* TrackPropertiesDialog::MakeCheck(TrackPropertyControl ctl, const char* caption,
                                            QWidget* parent) {
  auto* c = new QCheckBox(caption, parent);
  Put(ctl, c);
  return c;
}

QRadioButton* TrackPropertiesDialog::MakeRadio(TrackPropertyControl ctl, const char* caption,
                                               QWidget* parent) {
  auto* r = new QRadioButton(caption, parent);
  Put(ctl, r);
  return r;
}

QLabel* TrackPropertiesDialog::MakeLabel(TrackPropertyControl ctl, const char* caption,
                                         QWidget* parent) {
  auto* l = new QLabel(caption, parent);
  Put(ctl, l);
  return l;
}

QGroupBox* TrackPropertiesDialog::MakeGroup(TrackPropertyControl ctl, const char* title,
                                            QWidget* parent, const QString& accessible) {
  auto* g = new QGroupBox(title, parent);
  Put(ctl, g, accessible);
  return g;
}

void TrackPropertiesDialog::BuildControls() {
  auto* column = new QVBoxLayout(this);
  column->addLayout(BuildTrackRows());
  auto* groups = new QHBoxLayout;
  groups->addWidget(BuildPaddingGroup(), 1);
  groups->addWidget(BuildSilenceGroup(), 1);
  column->addLayout(groups);
  column->addWidget(BuildPreGapGroup());
  column->addLayout(BuildButtonRow());
  setMinimumWidth(480);
  SetTabOrder();
  RadioSets_ = {RadioSet(this, {Button(C::PadHeadRdBtn), Button(C::PadTailRdBtn)}),
                RadioSet(this, {Button(C::PreGapNormalRdBtn), Button(C::PreGapFileRdBtn),
                                Button(C::PreGapIndexRdBtn)}),
                RadioSet(this, {Button(C::PreGapPadHeadRdBtn), Button(C::PreGapPadTailRdBtn)})};
  ConnectActions();
}

QGridLayout* TrackPropertiesDialog::BuildTrackRows() {
  // The track file and the track's own properties.
  auto* pathLabel = new QLabel("Track File:", this);
  pathLabel->setObjectName("TrackPathLbl");
  auto* path = new QLineEdit(this);
  path->setReadOnly(true);
  Put(C::TrackPathEdit, path);
  pathLabel->setBuddy(path);
  QPushButton* pos = MakeButton(C::PosBtn, "&Position", this, "Positions in the track file");

  auto* isrcLabel = new QLabel("ISRC:", this);
  isrcLabel->setObjectName("ISRCLbl");
  auto* isrc = new QLineEdit(this);
  // Five letters or digits, then seven digits; letters in capitals, as recorders take them.
  isrc->setInputMask(">NNNNN9999999;_");
  KeepCaretAtFirstEmptyPlace(isrc);
  isrc->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("WWWWW0000000")) + 12);
  Put(C::ISRCEdit, isrc);
  isrcLabel->setBuddy(isrc);
  QCheckBox* preEmph = MakeCheck(C::PreEmphCk, "Pre-Emphasis", this);
  QCheckBox* protect = MakeCheck(C::ProtectCk, "Digital Copy Prohibition", this);

  auto* rows = new QGridLayout;
  rows->addWidget(pathLabel, 0, 0);
  rows->addWidget(path, 0, 1, 1, 3);
  rows->addWidget(pos, 0, 4);
  rows->addWidget(isrcLabel, 1, 0);
  rows->addWidget(isrc, 1, 1);
  rows->addWidget(preEmph, 1, 2);
  rows->addWidget(protect, 1, 3, 1, 2);
  rows->setColumnStretch(3, 1);
  return rows;
}

QGroupBox* TrackPropertiesDialog::BuildPaddingGroup() {
  auto* padding = new QGroupBox(" Zero Padding ", this);
  padding->setObjectName("PaddingGroup");
  auto* row = new QHBoxLayout(padding);
  row->addWidget(MakeRadio(C::PadHeadRdBtn, "Head", padding));
  row->addWidget(MakeRadio(C::PadTailRdBtn, "Tail", padding));
  row->addStretch();
  return padding;
}

QGroupBox* TrackPropertiesDialog::BuildSilenceGroup() {
  QGroupBox* silence = MakeGroup(C::SilenceGroup, " Cut Silence ", this, QString());
  auto* row = new QHBoxLayout(silence);
  row->addWidget(MakeCheck(C::CutLeadCk, "Leading", silence));
  row->addWidget(MakeCheck(C::CutTrailCk, "Trailing", silence));
  row->addStretch();
  return silence;
}

QGroupBox* TrackPropertiesDialog::BuildPreGapGroup() {
  // The pre-gap: three styles with their own controls.
  auto* preGap = new QGroupBox(" Pre-Gap ", this);
  preGap->setObjectName("PreGapGbx");
  QRadioButton* normal = MakeRadio(C::PreGapNormalRdBtn, "Normal(Silence)", preGap);
  Length_.Build(preGap);
  for (LengthField f : {LengthField::Min, LengthField::Sec, LengthField::Frame}) {
    // Label, field and arrows of minutes, seconds and frames follow one another.
    const int32_t first = static_cast<int32_t>(C::MinLbl) + 3 * static_cast<int32_t>(f);
    Put(static_cast<C>(first), Length_.Label(f));
    Put(static_cast<C>(first + 1), Length_.Field(f));
    Put(static_cast<C>(first + 2), Length_.Arrows(f));
  }

  QRadioButton* file = MakeRadio(C::PreGapFileRdBtn, "Hidden Track(Another file)", preGap);
  QLabel* fileLabel = MakeLabel(C::HdnFileLbl, "File:", preGap);
  auto* preGapPath = new QLineEdit(preGap);
  Put(C::PreGapPathEdit, preGapPath);
  fileLabel->setBuddy(preGapPath);
  QPushButton* browse =
      MakeButton(C::PreGapBrowseBtn, "&Browse", preGap, "Browse for hidden track file");
  QPushButton* preGapPos =
      MakeButton(C::PreGapPosBtn, "Pos&ition", preGap, "Positions in the hidden track file");

  // The two small groups have no titles: the labels before them say what they hold.
  QLabel* padLabel = MakeLabel(C::PreGapPadLbl, "Padding:", preGap);
  QGroupBox* padGroup = MakeGroup(C::PreGapPadGroup, "", preGap, "Padding");
  auto* padGroupRow = new QHBoxLayout(padGroup);
  padGroupRow->setContentsMargins(6, 2, 6, 2);
  padGroupRow->addWidget(MakeRadio(C::PreGapPadHeadRdBtn, "Head", padGroup));
  padGroupRow->addWidget(MakeRadio(C::PreGapPadTailRdBtn, "Tail", padGroup));

  QLabel* silenceLabel = MakeLabel(C::PreGapSilenceLbl, "Silence:", preGap);
  QGroupBox* silence = MakeGroup(C::PreGapSilenceGroup, "", preGap, "Silence");
  auto* silenceRow = new QHBoxLayout(silence);
  silenceRow->setContentsMargins(6, 2, 6, 2);
  silenceRow->addWidget(MakeCheck(C::GapCutLeadCk, "Leading", silence));
  silenceRow->addWidget(MakeCheck(C::GapCutTrailCk, "Trailing", silence));

  QRadioButton* index = MakeRadio(C::PreGapIndexRdBtn, "Hidden Track(Same file)", preGap);

  auto* grid = new QGridLayout(preGap);
  grid->setColumnMinimumWidth(0, 18);
  grid->addWidget(normal, 0, 0, 1, 2);
  grid->addLayout(Length_.MakeRow(), 1, 1);
  grid->addWidget(file, 2, 0, 1, 2);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileLabel);
  fileRow->addWidget(preGapPath, 1);
  fileRow->addWidget(browse);
  fileRow->addWidget(preGapPos);
  grid->addLayout(fileRow, 3, 1);
  auto* optionsRow = new QHBoxLayout;
  optionsRow->addWidget(padLabel);
  optionsRow->addWidget(padGroup);
  optionsRow->addSpacing(12);
  optionsRow->addWidget(silenceLabel);
  optionsRow->addWidget(silence);
  optionsRow->addStretch();
  grid->addLayout(optionsRow, 4, 1);
  grid->addWidget(index, 5, 0, 1, 2);
  return preGap;
}

QHBoxLayout* TrackPropertiesDialog::BuildButtonRow() {
  QPushButton* ok = MakeButton(C::OkBtn, "&OK", this);
  ok->setDefault(true);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(MakeButton(C::ApplyBtn, "&Apply", this));
  row->addWidget(MakeButton(C::CancelBtn, "&Cancel", this));
  return row;
}

void TrackPropertiesDialog::SetTabOrder() {
  // Tab visits every control in reading order (a radio pair as one stop, the arrow keys
  // moving between its two).
  const C order[] = {// The track file and the track's own properties.
                     C::TrackPathEdit, C::PosBtn, C::ISRCEdit, C::PreEmphCk, C::ProtectCk,
                     C::PadHeadRdBtn, C::PadTailRdBtn, C::CutLeadCk, C::CutTrailCk,
                     // The pre-gap, style by style.
                     C::PreGapNormalRdBtn, C::MinEdit, C::SecEdit, C::FrameEdit, C::PreGapFileRdBtn,
                     C::PreGapPathEdit, C::PreGapBrowseBtn, C::PreGapPosBtn, C::PreGapPadHeadRdBtn,
                     C::PreGapPadTailRdBtn, C::GapCutLeadCk, C::GapCutTrailCk, C::PreGapIndexRdBtn,
                     // The buttons.
                     C::OkBtn, C::ApplyBtn, C::CancelBtn};
  for (size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(Control(order[i - 1]), Control(order[i]));
  }
}

void TrackPropertiesDialog::ConnectActions() {
  // Typing and the check boxes change the editor's values; the rest goes through Act.
  auto* isrc = static_cast<QLineEdit*>(Control(C::ISRCEdit));
  connect(isrc, &QLineEdit::textEdited, this, [this, isrc] {
    if (!Updating_) Editor_.TypeIsrc(isrc->displayText().toStdString());
  });
  auto* preGapPath = static_cast<QLineEdit*>(Control(C::PreGapPathEdit));
  connect(preGapPath, &QLineEdit::textEdited, this, [this, preGapPath] {
    if (!Updating_) Editor_.TypePreGapPath(preGapPath->text().toStdString());
  });
  TrackPropertiesEditor& e = Editor_;
  auto flag = [this](C box, bool& value) {
    connect(Button(box), &QAbstractButton::clicked, this, [this, &value](bool checked) {
      if (!Updating_) value = checked;
    });
  };
  flag(C::PreEmphCk, e.PreEmph);
  flag(C::ProtectCk, e.Protect);
  flag(C::CutLeadCk, e.CutLeading);
  flag(C::CutTrailCk, e.CutTrailing);
  flag(C::GapCutLeadCk, e.PreGapCutLeading);
  flag(C::GapCutTrailCk, e.PreGapCutTrailing);
  auto pair = [this](C head, C tail, bool& value) {
    connect(Button(head), &QAbstractButton::clicked, this,
            [this, &value] { Act([&] { value = true; }); });
    connect(Button(tail), &QAbstractButton::clicked, this,
            [this, &value] { Act([&] { value = false; }); });
  };
  pair(C::PadHeadRdBtn, C::PadTailRdBtn, e.PaddingHead);
  pair(C::PreGapPadHeadRdBtn, C::PreGapPadTailRdBtn, e.PreGapPaddingHead);

  auto act = [this](C button, void (TrackPropertiesEditor::*action)()) {
    connect(Button(button), &QAbstractButton::clicked, this,
            [this, action] { Act([&] { (Editor_.*action)(); }); });
  };
  act(C::PreGapNormalRdBtn, &TrackPropertiesEditor::ChooseSilentPreGap);
  act(C::PreGapFileRdBtn, &TrackPropertiesEditor::ChooseHiddenFilePreGap);
  act(C::PreGapIndexRdBtn, &TrackPropertiesEditor::ChooseSameFilePreGap);
  act(C::PreGapBrowseBtn, &TrackPropertiesEditor::BrowsePreGapFile);
  act(C::PosBtn, &TrackPropertiesEditor::EditTrackPositions);
  act(C::PreGapPosBtn, &TrackPropertiesEditor::EditPreGapPositions);
  act(C::ApplyBtn, &TrackPropertiesEditor::Apply);

  Length_.Typed = [this](LengthField f, const std::string& text) {
    if (!Updating_) Editor_.TypeLength(f, text);
  };
  Length_.Clicked = [this](LengthField f, bool up) { Act([&] { Editor_.StepLength(f, up); }); };
  Length_.Finished = [this] { Act([] {}); };

  connect(Button(C::OkBtn), &QAbstractButton::clicked, this, [this] {
    if (Updating_) return;
    if (Editor_.Accept()) {
      accept();
    } else {
      Refresh();
    }
  });
  connect(Button(C::CancelBtn), &QAbstractButton::clicked, this, &QDialog::reject);
}

void TrackPropertiesDialog::Refresh() {
  Updating_ = true;
  const TrackPropertiesEditor& e = Editor_;
  for (int32_t i = 0; i < kTrackPropertyControlCount; ++i) {
    const auto ctl = static_cast<C>(i);
    Control(ctl)->setEnabled(e.Enabled(ctl));
  }
  for (C ctl :
       {C::TrackPathEdit, C::ISRCEdit, C::MinEdit, C::SecEdit, C::FrameEdit, C::PreGapPathEdit}) {
    SetFieldColour(Field(ctl), e.Colour(ctl));
  }
  const C checkBoxes[] = {C::PreEmphCk,  C::ProtectCk,    C::CutLeadCk,
                          C::CutTrailCk, C::GapCutLeadCk, C::GapCutTrailCk};
  const C radios[] = {C::PreGapNormalRdBtn, C::PreGapFileRdBtn, C::PreGapIndexRdBtn,
                      C::PadHeadRdBtn,      C::PadTailRdBtn,    C::PreGapPadHeadRdBtn,
                      C::PreGapPadTailRdBtn};
  // Checking one radio of a pair unchecks the other.
  for (C ctl : checkBoxes) Button(ctl)->setChecked(e.Checked(ctl));
  for (C ctl : radios) {
    if (e.Checked(ctl)) Button(ctl)->setChecked(true);
  }
  for (QButtonGroup* set : RadioSets_) {
    if (set != nullptr) TabStopOnChecked(set);
  }
  SetFieldText(Field(C::TrackPathEdit), QString::fromStdString(e.TrackPath));
  SetFieldText(Field(C::PreGapPathEdit), QString::fromStdString(e.PreGapPath));
  Length_.Show(e.Length);
  Updating_ = false;
}

int TrackPropertiesDialog::Edit(Track& track, std::string& waveFileDir, const QFont& listFont) {
  Editor_.Track = &track;
  Editor_.WaveFileDir = waveFileDir;
  Control(C::TrackPathEdit)->setFont(listFont);
  Control(C::PreGapPathEdit)->setFont(listFont);
  Editor_.Load();
  Refresh();
  Updating_ = true;
  SetMaskedText(Field(C::ISRCEdit), Editor_.Isrc);
  Updating_ = false;
  const int result = exec();
  waveFileDir = Editor_.WaveFileDir;
  Editor_.Track = nullptr;
  return result;
}

}  // namespace varnel
