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
#include "ui/widgets/UpDown.h"

namespace varnel {

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

void TrackPropertiesDialog::BuildControls() {
  // Each control carries the system's name. Assistive tools read it by its caption or by
  // the label beside it; `accessible` names it where neither says what it acts on.
  auto put = [this](TrackPropertyControl ctl, QWidget* w, const QString& accessible = QString()) {
    w->setObjectName(TrackPropertyControlName(ctl));
    if (!accessible.isEmpty()) w->setAccessibleName(accessible);
    Ctl_[static_cast<size_t>(ctl)] = w;
  };
  auto button = [&](TrackPropertyControl ctl, const char* caption, QWidget* parent,
                    const QString& accessible = QString()) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    put(ctl, b, accessible);
    return b;
  };
  auto check = [&](TrackPropertyControl ctl, const char* caption, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    put(ctl, c);
    return c;
  };
  auto radio = [&](TrackPropertyControl ctl, const char* caption, QWidget* parent) {
    auto* r = new QRadioButton(caption, parent);
    put(ctl, r);
    return r;
  };
  auto label = [&](TrackPropertyControl ctl, const char* caption, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    put(ctl, l);
    return l;
  };
  auto group = [&](TrackPropertyControl ctl, const char* title, QWidget* parent, const QString& accessible) {
    auto* g = new QGroupBox(title, parent);
    put(ctl, g, accessible);
    return g;
  };

  // The track file and the track's own properties.
  auto* pathLbl = new QLabel("Track File:", this);
  pathLbl->setObjectName("TrackPathLbl");
  auto* path = new QLineEdit(this);
  path->setReadOnly(true);
  put(TrackPropertyControl::TrackPathEdit, path);
  pathLbl->setBuddy(path);
  QPushButton* pos = button(TrackPropertyControl::PosBtn, "&Position", this, "Positions in the track file");

  auto* isrcLbl = new QLabel("ISRC:", this);
  isrcLbl->setObjectName("ISRCLbl");
  auto* isrc = new QLineEdit(this);
  // Five letters or digits, then seven digits; letters in capitals, as recorders take them.
  isrc->setInputMask(">NNNNN9999999;_");
  isrc->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("WWWWW0000000")) + 12);
  put(TrackPropertyControl::ISRCEdit, isrc);
  isrcLbl->setBuddy(isrc);
  QCheckBox* preEmph = check(TrackPropertyControl::PreEmphCk, "Pre-Emphasis", this);
  QCheckBox* protect = check(TrackPropertyControl::ProtectCk, "Digital Copy Prohibition", this);

  auto* padding = new QGroupBox(" Zero Padding ", this);
  padding->setObjectName("PaddingGroup");
  QRadioButton* padHead = radio(TrackPropertyControl::PadHeadRdBtn, "Head", padding);
  QRadioButton* padTail = radio(TrackPropertyControl::PadTailRdBtn, "Tail", padding);
  auto* paddingRow = new QHBoxLayout(padding);
  paddingRow->addWidget(padHead);
  paddingRow->addWidget(padTail);
  paddingRow->addStretch();

  QGroupBox* silence = group(TrackPropertyControl::SilenceGroup, " Cut Silence ", this, QString());
  QCheckBox* cutLead = check(TrackPropertyControl::CutLeadCk, "Leading", silence);
  QCheckBox* cutTrail = check(TrackPropertyControl::CutTrailCk, "Trailing", silence);
  auto* silenceRow = new QHBoxLayout(silence);
  silenceRow->addWidget(cutLead);
  silenceRow->addWidget(cutTrail);
  silenceRow->addStretch();

  auto* top = new QGridLayout;
  top->addWidget(pathLbl, 0, 0);
  top->addWidget(path, 0, 1, 1, 3);
  top->addWidget(pos, 0, 4);
  top->addWidget(isrcLbl, 1, 0);
  top->addWidget(isrc, 1, 1);
  top->addWidget(preEmph, 1, 2);
  top->addWidget(protect, 1, 3, 1, 2);
  top->setColumnStretch(3, 1);
  auto* groups = new QHBoxLayout;
  groups->addWidget(padding, 1);
  groups->addWidget(silence, 1);

  // The pre-gap: three styles with their own controls.
  auto* preGap = new QGroupBox(" Pre-Gap ", this);
  preGap->setObjectName("PreGapGbx");
  QRadioButton* normal = radio(TrackPropertyControl::PreGapNormalRdBtn, "Normal(Silence)", preGap);
  Length_.Build(preGap);
  for (LengthField f : {LengthField::Min, LengthField::Sec, LengthField::Frame}) {
    const auto i = static_cast<int32_t>(f);
    put(static_cast<TrackPropertyControl>(static_cast<int32_t>(TrackPropertyControl::MinLbl) + 3 * i), Length_.Label(f));
    put(static_cast<TrackPropertyControl>(static_cast<int32_t>(TrackPropertyControl::MinEdit) + 3 * i), Length_.Field(f));
    put(static_cast<TrackPropertyControl>(static_cast<int32_t>(TrackPropertyControl::MinUd) + 3 * i), Length_.Arrows(f));
  }

  QRadioButton* file = radio(TrackPropertyControl::PreGapFileRdBtn, "Hidden Track(Another file)", preGap);
  QLabel* fileLbl = label(TrackPropertyControl::HdnFileLbl, "File:", preGap);
  auto* preGapPath = new QLineEdit(preGap);
  put(TrackPropertyControl::PreGapPathEdit, preGapPath);
  fileLbl->setBuddy(preGapPath);
  QPushButton* browse =
      button(TrackPropertyControl::PreGapBrowseBtn, "&Browse", preGap, "Browse for hidden track file");
  QPushButton* preGapPos =
      button(TrackPropertyControl::PreGapPosBtn, "P&osition", preGap, "Positions in the hidden track file");

  // The two small groups have no titles: the labels before them say what they hold.
  QLabel* padLbl = label(TrackPropertyControl::PreGapPadLbl, "Padding:", preGap);
  QGroupBox* padGroup = group(TrackPropertyControl::PreGapPadGroup, "", preGap, "Padding");
  QRadioButton* gapPadHead = radio(TrackPropertyControl::PreGapPadHeadRdBtn, "Head", padGroup);
  QRadioButton* gapPadTail = radio(TrackPropertyControl::PreGapPadTailRdBtn, "Tail", padGroup);
  auto* padGroupRow = new QHBoxLayout(padGroup);
  padGroupRow->setContentsMargins(6, 2, 6, 2);
  padGroupRow->addWidget(gapPadHead);
  padGroupRow->addWidget(gapPadTail);

  QLabel* gapSilenceLbl = label(TrackPropertyControl::PreGapSilenceLbl, "Silence:", preGap);
  QGroupBox* gapSilence = group(TrackPropertyControl::PreGapSilenceGroup, "", preGap, "Silence");
  QCheckBox* gapCutLead = check(TrackPropertyControl::GapCutLeadCk, "Leading", gapSilence);
  QCheckBox* gapCutTrail = check(TrackPropertyControl::GapCutTrailCk, "Trailing", gapSilence);
  auto* gapSilenceRow = new QHBoxLayout(gapSilence);
  gapSilenceRow->setContentsMargins(6, 2, 6, 2);
  gapSilenceRow->addWidget(gapCutLead);
  gapSilenceRow->addWidget(gapCutTrail);

  QRadioButton* index = radio(TrackPropertyControl::PreGapIndexRdBtn, "Hidden Track(Same file)", preGap);

  auto* preGapGrid = new QGridLayout(preGap);
  preGapGrid->setColumnMinimumWidth(0, 18);
  preGapGrid->addWidget(normal, 0, 0, 1, 2);
  preGapGrid->addLayout(Length_.MakeRow(), 1, 1);
  preGapGrid->addWidget(file, 2, 0, 1, 2);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileLbl);
  fileRow->addWidget(preGapPath, 1);
  fileRow->addWidget(browse);
  fileRow->addWidget(preGapPos);
  preGapGrid->addLayout(fileRow, 3, 1);
  auto* optionsRow = new QHBoxLayout;
  optionsRow->addWidget(padLbl);
  optionsRow->addWidget(padGroup);
  optionsRow->addSpacing(12);
  optionsRow->addWidget(gapSilenceLbl);
  optionsRow->addWidget(gapSilence);
  optionsRow->addStretch();
  preGapGrid->addLayout(optionsRow, 4, 1);
  preGapGrid->addWidget(index, 5, 0, 1, 2);

  QPushButton* ok = button(TrackPropertyControl::OkBtn, "&OK", this);
  ok->setDefault(true);
  QPushButton* apply = button(TrackPropertyControl::ApplyBtn, "&Apply", this);
  QPushButton* cancel = button(TrackPropertyControl::CancelBtn, "&Cancel", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(apply);
  buttons->addWidget(cancel);

  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addLayout(groups);
  column->addWidget(preGap);
  column->addLayout(buttons);
  setMinimumWidth(480);

  // Tab visits every control in reading order (a radio pair as one stop, the arrow keys
  // moving between its two).
  QWidget* const order[] = {path,
                            pos,
                            isrc,
                            preEmph,
                            protect,
                            padHead,
                            padTail,
                            cutLead,
                            cutTrail,
                            normal,
                            Length_.Field(LengthField::Min),
                            Length_.Field(LengthField::Sec),
                            Length_.Field(LengthField::Frame),
                            file,
                            preGapPath,
                            browse,
                            preGapPos,
                            gapPadHead,
                            gapPadTail,
                            gapCutLead,
                            gapCutTrail,
                            index,
                            ok,
                            apply,
                            cancel};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  RadioSets_ = {RadioSet(this, {padHead, padTail}), RadioSet(this, {normal, file, index}),
                RadioSet(this, {gapPadHead, gapPadTail})};

  // The user's actions.
  TrackPropertiesEditor& e = Editor_;
  connect(isrc, &QLineEdit::textEdited, this, [this, isrc] {
    if (!Updating_) Editor_.TypeIsrc(isrc->displayText().toStdString());
  });
  connect(preGapPath, &QLineEdit::textEdited, this, [this, preGapPath] {
    if (!Updating_) Editor_.TypePreGapPath(preGapPath->text().toStdString());
  });
  auto flag = [this](QCheckBox* box, bool& value) {
    connect(box, &QCheckBox::clicked, this, [this, &value](bool checked) {
      if (!Updating_) value = checked;
    });
  };
  flag(preEmph, e.PreEmphCk);
  flag(protect, e.ProtectCk);
  flag(cutLead, e.CutLeadCk);
  flag(cutTrail, e.CutTrailCk);
  flag(gapCutLead, e.GapCutLeadCk);
  flag(gapCutTrail, e.GapCutTrailCk);
  auto pair = [this](QRadioButton* head, QRadioButton* tail, bool& value) {
    connect(head, &QRadioButton::clicked, this, [this, &value] { Act([&] { value = true; }); });
    connect(tail, &QRadioButton::clicked, this, [this, &value] { Act([&] { value = false; }); });
  };
  pair(padHead, padTail, e.PadHeadRdBtn);
  pair(gapPadHead, gapPadTail, e.PreGapPadHeadRdBtn);

  connect(normal, &QRadioButton::clicked, this,
          [this] { Act([&] { Editor_.ChooseSilentPreGap(); }); });
  connect(file, &QRadioButton::clicked, this,
          [this] { Act([&] { Editor_.ChooseHiddenFilePreGap(); }); });
  connect(index, &QRadioButton::clicked, this,
          [this] { Act([&] { Editor_.ChooseSameFilePreGap(); }); });

  Length_.Typed = [this](LengthField f, const std::string& text) {
    if (!Updating_) Editor_.TypeLength(f, text);
  };
  Length_.Clicked = [this](LengthField f, bool up) { Act([&] { Editor_.StepLength(f, up); }); };
  Length_.Finished = [this] { Act([] {}); };

  connect(browse, &QPushButton::clicked, this,
          [this] { Act([&] { Editor_.BrowsePreGapFile(); }); });
  connect(pos, &QPushButton::clicked, this, [this] { Act([&] { Editor_.EditTrackPositions(); }); });
  connect(preGapPos, &QPushButton::clicked, this,
          [this] { Act([&] { Editor_.EditPreGapPositions(); }); });
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
}

void TrackPropertiesDialog::Refresh() {
  Updating_ = true;
  const TrackPropertiesEditor& e = Editor_;
  for (int32_t i = 0; i < kTrackPropertyControlCount; ++i) {
    const auto ctl = static_cast<TrackPropertyControl>(i);
    Control(ctl)->setEnabled(e.Enabled(ctl));
  }
  for (TrackPropertyControl ctl : {TrackPropertyControl::TrackPathEdit, TrackPropertyControl::ISRCEdit, TrackPropertyControl::MinEdit,
                        TrackPropertyControl::SecEdit, TrackPropertyControl::FrameEdit, TrackPropertyControl::PreGapPathEdit}) {
    SetFieldColour(static_cast<QLineEdit*>(Control(ctl)), e.Colour(ctl));
  }
  for (TrackPropertyControl ctl :
       {TrackPropertyControl::PreEmphCk, TrackPropertyControl::ProtectCk, TrackPropertyControl::CutLeadCk, TrackPropertyControl::CutTrailCk,
        TrackPropertyControl::GapCutLeadCk, TrackPropertyControl::GapCutTrailCk, TrackPropertyControl::PreGapNormalRdBtn,
        TrackPropertyControl::PreGapFileRdBtn, TrackPropertyControl::PreGapIndexRdBtn, TrackPropertyControl::PadHeadRdBtn,
        TrackPropertyControl::PadTailRdBtn, TrackPropertyControl::PreGapPadHeadRdBtn, TrackPropertyControl::PreGapPadTailRdBtn}) {
    // Checking one radio of a pair unchecks the other.
    if (e.Checked(ctl)) static_cast<QAbstractButton*>(Control(ctl))->setChecked(true);
  }
  for (TrackPropertyControl ctl : {TrackPropertyControl::PreEmphCk, TrackPropertyControl::ProtectCk, TrackPropertyControl::CutLeadCk,
                        TrackPropertyControl::CutTrailCk, TrackPropertyControl::GapCutLeadCk, TrackPropertyControl::GapCutTrailCk}) {
    if (!e.Checked(ctl)) static_cast<QAbstractButton*>(Control(ctl))->setChecked(false);
  }
  for (QButtonGroup* set : RadioSets_) {
    if (set != nullptr) TabStopOnChecked(set);
  }
  SetFieldText(static_cast<QLineEdit*>(Control(TrackPropertyControl::TrackPathEdit)),
               QString::fromStdString(e.TrackPathEdit));
  SetFieldText(static_cast<QLineEdit*>(Control(TrackPropertyControl::PreGapPathEdit)),
               QString::fromStdString(e.PreGapPathEdit));
  Length_.Show(e.Length);
  Updating_ = false;
}

int TrackPropertiesDialog::Execute(Track& track, std::string& waveFileDir, const QFont& listFont) {
  Editor_.Track = &track;
  Editor_.WaveFileDir = waveFileDir;
  Control(TrackPropertyControl::TrackPathEdit)->setFont(listFont);
  Control(TrackPropertyControl::PreGapPathEdit)->setFont(listFont);
  Editor_.Load();
  Refresh();
  Updating_ = true;
  SetMaskedText(static_cast<QLineEdit*>(Control(TrackPropertyControl::ISRCEdit)), Editor_.ISRCEdit);
  Updating_ = false;
  const int result = exec();
  waveFileDir = Editor_.WaveFileDir;
  Editor_.Track = nullptr;
  return result;
}

}  // namespace varnel
