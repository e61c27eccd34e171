#include "ui/dialogs/DefaultTrackPropertiesDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/widgets/ListFont.h"
#include "ui/widgets/RadioSet.h"

namespace varnel {

DefaultTrackPropertiesDialog::DefaultTrackPropertiesDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("DefSettingDlg");
  setWindowTitle("Default Properties Setting");
  setFont(DialogFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);

  // Each control carries the system's name; they read as their captions, so none needs an
  // accessible name of its own.
  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  auto group = [&](const char* name, const char* title, QWidget* parent) {
    return named(new QGroupBox(title, parent), name);
  };
  auto check = [&](const char* name, const char* caption, QWidget* parent) {
    return named(new QCheckBox(caption, parent), name);
  };
  auto radio = [&](const char* name, const char* caption, QWidget* parent) {
    return named(new QRadioButton(caption, parent), name);
  };
  auto row = [](QGroupBox* box, QWidget* a, QWidget* b) {
    auto* r = new QHBoxLayout(box);
    r->addWidget(a);
    r->addWidget(b);
    r->addStretch();
  };

  // The track's own defaults.
  QGroupBox* track = group("TrackPropGbx", " Track properties ", this);
  PreEmphCheck_ = check("PreEmphCk", "Pre-Emphasis", track);
  ProtectCheck_ = check("ProtectCk", "Digital Copy Prohibition", track);
  QGroupBox* padding = group("PaddingGbx", " Zero Padding ", track);
  PadHeadRadio_ = radio("PadHeadRdBtn", "Head", padding);
  PadTailRadio_ = radio("PadTailRdBtn", "Tail", padding);
  row(padding, PadHeadRadio_, PadTailRadio_);
  QGroupBox* silence = group("SilenceGbx", " Cut Silence ", track);
  CutLeadingCheck_ = check("CutLeadCk", "Leading", silence);
  CutTrailingCheck_ = check("CutTrailCk", "Trailing", silence);
  row(silence, CutLeadingCheck_, CutTrailingCheck_);
  auto* trackBox = new QVBoxLayout(track);
  auto* flags = new QHBoxLayout;
  flags->addWidget(PreEmphCheck_);
  flags->addWidget(ProtectCheck_);
  flags->addStretch();
  trackBox->addLayout(flags);
  auto* trackGroups = new QHBoxLayout;
  trackGroups->addWidget(padding, 1);
  trackGroups->addWidget(silence, 1);
  trackBox->addLayout(trackGroups);

  // The pre-gap's defaults.
  QGroupBox* preGap = group("PreGapPropGbx", " Pre-Gap properties ", this);
  Length_.Build(preGap);
  QGroupBox* gapPadding = group("PreGapPaddingGbx", " Zero Padding ", preGap);
  PreGapPadHeadRadio_ = radio("PreGapPadHeadRdBtn", "Head", gapPadding);
  PreGapPadTailRadio_ = radio("PreGapPadTailRdBtn", "Tail", gapPadding);
  row(gapPadding, PreGapPadHeadRadio_, PreGapPadTailRadio_);
  QGroupBox* gapSilence = group("PreGapSilenceGbx", " Cut Silence ", preGap);
  PreGapCutLeadingCheck_ = check("PreGapCutLeadCk", "Leading", gapSilence);
  PreGapCutTrailingCheck_ = check("PreGapCutTrailCk", "Trailing", gapSilence);
  row(gapSilence, PreGapCutLeadingCheck_, PreGapCutTrailingCheck_);
  RadioSets_ = {RadioSet(this, {PadHeadRadio_, PadTailRadio_}),
                RadioSet(this, {PreGapPadHeadRadio_, PreGapPadTailRadio_})};
  auto* preGapBox = new QVBoxLayout(preGap);
  preGapBox->addLayout(Length_.MakeRow());
  auto* preGapGroups = new QHBoxLayout;
  preGapGroups->addWidget(gapPadding, 1);
  preGapGroups->addWidget(gapSilence, 1);
  preGapBox->addLayout(preGapGroups);

  auto* ok = named(new QPushButton("&OK", this), "OkBtn");
  ok->setDefault(true);
  auto* cancel = named(new QPushButton("&Cancel", this), "CancelBtn");
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* column = new QVBoxLayout(this);
  column->addWidget(track);
  column->addWidget(preGap);
  column->addLayout(buttons);
  setMinimumWidth(380);

  // The user's actions.
  DefaultTrackPropertiesEditor& e = Editor_;
  auto flag = [this](QAbstractButton* box, bool& value) {
    connect(box, &QAbstractButton::clicked, this, [this, &value](bool checked) {
      if (!Updating_) value = checked;
    });
  };
  flag(PreEmphCheck_, e.PreEmph);
  flag(ProtectCheck_, e.Protect);
  flag(CutLeadingCheck_, e.CutLeading);
  flag(CutTrailingCheck_, e.CutTrailing);
  flag(PreGapCutLeadingCheck_, e.PreGapCutLeading);
  flag(PreGapCutTrailingCheck_, e.PreGapCutTrailing);
  auto pair = [this](QAbstractButton* head, QAbstractButton* tail, bool& value) {
    connect(head, &QAbstractButton::clicked, this, [this, &value] { Act([&] { value = true; }); });
    connect(tail, &QAbstractButton::clicked, this, [this, &value] { Act([&] { value = false; }); });
  };
  pair(PadHeadRadio_, PadTailRadio_, e.PaddingHead);
  pair(PreGapPadHeadRadio_, PreGapPadTailRadio_, e.PreGapPaddingHead);
  Length_.Typed = [this](LengthField f, const std::string& text) {
    if (!Updating_) Editor_.TypeLength(f, text);
  };
  Length_.Clicked = [this](LengthField f, bool up) { Act([&] { Editor_.StepLength(f, up); }); };
  Length_.Finished = [this] { Act([] {}); };
  connect(ok, &QPushButton::clicked, this, &DefaultTrackPropertiesDialog::Accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DefaultTrackPropertiesDialog::Act(const std::function<void()>& action) {
  if (Updating_) return;
  action();
  Refresh();
}

void DefaultTrackPropertiesDialog::Refresh() {
  Updating_ = true;
  const DefaultTrackPropertiesEditor& e = Editor_;
  PreEmphCheck_->setChecked(e.PreEmph);
  ProtectCheck_->setChecked(e.Protect);
  (e.PaddingHead ? PadHeadRadio_ : PadTailRadio_)->setChecked(true);
  CutLeadingCheck_->setChecked(e.CutLeading);
  CutTrailingCheck_->setChecked(e.CutTrailing);
  Length_.Show(e.Length);
  (e.PreGapPaddingHead ? PreGapPadHeadRadio_ : PreGapPadTailRadio_)->setChecked(true);
  PreGapCutLeadingCheck_->setChecked(e.PreGapCutLeading);
  PreGapCutTrailingCheck_->setChecked(e.PreGapCutTrailing);
  for (QButtonGroup* set : RadioSets_) TabStopOnChecked(set);
  Updating_ = false;
}

int DefaultTrackPropertiesDialog::Edit(AppSettings& settings) {
  Settings_ = &settings;
  Editor_.Load(settings);
  Refresh();
  const int result = exec();
  Settings_ = nullptr;
  return result;
}

void DefaultTrackPropertiesDialog::Accept() {
  if (Updating_) return;
  if (Settings_ != nullptr) Editor_.Accept(*Settings_);
  accept();
}

}  // namespace varnel
