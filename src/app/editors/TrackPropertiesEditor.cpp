#include "app/editors/TrackPropertiesEditor.h"

#include <algorithm>

#include "app/commands/InputCheck.h"
#include "app/commands/TrackListCommands.h"
#include "app/editors/EntryChecks.h"
#include "formats/audio/WaveHeader.h"
#include "model/CdTime.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

const char* const kTrackPropertyControlNames[kTrackPropertyControlCount] = {
    "TrackPathEdit",
    "PosBtn",
    "ISRCEdit",
    "PreEmphCk",
    "ProtectCk",
    "PadHeadRdBtn",
    "PadTailRdBtn",
    "SilenceGroup",
    "CutLeadCk",
    "CutTrailCk",
    "PreGapNormalRdBtn",
    "MinLbl",
    "MinEdit",
    "MinUd",
    "SecLbl",
    "SecEdit",
    "SecUd",
    "FrameLbl",
    "FrameEdit",
    "FrameUd",
    "PreGapFileRdBtn",
    "HdnFileLbl",
    "PreGapPathEdit",
    "PreGapBrowseBtn",
    "PreGapPosBtn",
    "PreGapPadGroup",
    "PreGapPadLbl",
    "PreGapPadHeadRdBtn",
    "PreGapPadTailRdBtn",
    "GapSilceGroup",
    "PreGapSilenceLbl",
    "GapCutLeadCk",
    "GapCutTrailCk",
    "PreGapIndexRdBtn",
    "OkBtn",
    "ApplyBtn",
    "CancelBtn",
};

constexpr size_t kIsrcLength = 12;
constexpr size_t kIsrcCodeLength = 5;  // letters or digits, then digits

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsAsciiAlnum(char c) {
  return IsAsciiDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

const char* TrackPropertyControlName(TrackPropertyControl ctl) {
  return kTrackPropertyControlNames[static_cast<size_t>(ctl)];
}

std::string IsrcFieldText(const std::string& text) {
  std::string field(kIsrcLength, ' ');
  bool any = false;
  for (size_t i = 0; i < kIsrcLength && i < text.size(); ++i) {
    const char c = text[i];
    if (i < kIsrcCodeLength ? IsAsciiAlnum(c) : IsAsciiDigit(c)) {
      field[i] = c;
      any = true;
    }
  }
  return any ? field : std::string();
}

int32_t CheckPreGapWave(const std::string& path, WaveDataInfo& info) {
  if (ReadWaveHeader(path, info) != 1) return -1;
  return info.SampleRate == 44100 && info.Channels == 2 && info.BitsPerSample == 16 ? 1 : 0;
}

TrackPropertiesEditor::TrackPropertiesEditor(AppContext& ctx, PositionEditorPort* positions)
    : Ctx_(ctx), Positions_(positions) {
  Enabled_.fill(true);
  Colour_.fill(FieldColour::Window);
}

bool TrackPropertiesEditor::Checked(TrackPropertyControl radio) const {
  switch (radio) {
    case TrackPropertyControl::PreGapNormalRdBtn:
      return Style_ == PreGapNormal;
    case TrackPropertyControl::PreGapFileRdBtn:
      return Style_ == PreGapFile;
    case TrackPropertyControl::PreGapIndexRdBtn:
      return Style_ == PreGapIndex;
    case TrackPropertyControl::PadHeadRdBtn:
      return PaddingHead;
    case TrackPropertyControl::PadTailRdBtn:
      return !PaddingHead;
    case TrackPropertyControl::PreGapPadHeadRdBtn:
      return PreGapPaddingHead;
    case TrackPropertyControl::PreGapPadTailRdBtn:
      return !PreGapPaddingHead;
    case TrackPropertyControl::PreEmphCk:
      return PreEmph;
    case TrackPropertyControl::ProtectCk:
      return Protect;
    case TrackPropertyControl::CutLeadCk:
      return CutLeading;
    case TrackPropertyControl::CutTrailCk:
      return CutTrailing;
    case TrackPropertyControl::GapCutLeadCk:
      return PreGapCutLeading;
    case TrackPropertyControl::GapCutTrailCk:
      return PreGapCutTrailing;
    default:
      return false;
  }
}

bool TrackPropertiesEditor::Usable(TrackPropertyControl ctl) const {
  switch (ctl) {
    case TrackPropertyControl::CutLeadCk:
    case TrackPropertyControl::CutTrailCk:
      return Enabled(ctl) && Enabled(TrackPropertyControl::SilenceGroup);
    case TrackPropertyControl::PreGapPadHeadRdBtn:
    case TrackPropertyControl::PreGapPadTailRdBtn:
      return Enabled(ctl) && Enabled(TrackPropertyControl::PreGapPadGroup);
    case TrackPropertyControl::GapCutLeadCk:
    case TrackPropertyControl::GapCutTrailCk:
      return Enabled(ctl) && Enabled(TrackPropertyControl::PreGapSilenceGroup);
    default:
      return Enabled(ctl);
  }
}

void TrackPropertiesEditor::TypePreGapPath(const std::string& text) {
  if (Enabled(TrackPropertyControl::PreGapPathEdit)) PreGapPath = text;
}

void TrackPropertiesEditor::SetEditEnabled(TrackPropertyControl ctl, bool enabled) {
  SetEnabled(ctl, enabled);
  Colour_[Index(ctl)] = enabled ? FieldColour::Window : FieldColour::ButtonFace;
}

void TrackPropertiesEditor::EnableWaveControls(bool enable) {
  using C = TrackPropertyControl;
  for (C ctl : {C::PadHeadRdBtn, C::PadTailRdBtn, C::SilenceGroup, C::CutLeadCk, C::CutTrailCk,
                C::PosBtn, C::PreGapFileRdBtn, C::PreGapIndexRdBtn, C::HdnFileLbl,
                C::PreGapPathEdit, C::PreGapBrowseBtn, C::PreGapPosBtn, C::PreGapPadLbl,
                C::PreGapPadGroup, C::PreGapSilenceLbl, C::PreGapSilenceGroup}) {
    SetEnabled(ctl, enable);
  }
}

void TrackPropertiesEditor::ApplyStyle(uint8_t style) {
  Style_ = style;
  const bool normal = style == PreGapNormal;
  const bool file = style == PreGapFile;
  using C = TrackPropertyControl;
  for (C ctl : {C::MinLbl, C::MinUd, C::SecLbl, C::SecUd, C::FrameLbl, C::FrameUd}) {
    SetEnabled(ctl, normal);
  }
  for (C ctl : {C::MinEdit, C::SecEdit, C::FrameEdit}) SetEditEnabled(ctl, normal);
  SetEditEnabled(C::PreGapPathEdit, file);
  for (C ctl :
       {C::HdnFileLbl, C::PreGapBrowseBtn, C::PreGapPosBtn, C::PreGapPadLbl, C::PreGapPadHeadRdBtn,
        C::PreGapPadTailRdBtn, C::PreGapSilenceLbl, C::GapCutLeadCk, C::GapCutTrailCk}) {
    SetEnabled(ctl, file);
  }
  SetEnabled(C::PadHeadRdBtn, style != PreGapIndex);
  SetEnabled(C::PadTailRdBtn, style != PreGapIndex);
  if (!IsWaveTrack()) EnableWaveControls(false);
}

void TrackPropertiesEditor::ChooseSilentPreGap() {
  if (Enabled(TrackPropertyControl::PreGapNormalRdBtn)) ApplyStyle(PreGapNormal);
}

void TrackPropertiesEditor::ChooseHiddenFilePreGap() {
  if (Enabled(TrackPropertyControl::PreGapFileRdBtn)) ApplyStyle(PreGapFile);
}

void TrackPropertiesEditor::ChooseSameFilePreGap() {
  if (Enabled(TrackPropertyControl::PreGapIndexRdBtn)) ApplyStyle(PreGapIndex);
}

void TrackPropertiesEditor::Load() {
  if (Track == nullptr) return;
  varnel::Track& t = *Track;
  EnableWaveControls(t.FileMode == FileModeWave);
  TrackPath = t.TrackFileName;
  PendingTrackPreGapPos_ = t.TrackPreGapPos();
  PendingTrackStartPos_ = t.TrackStartPos();
  PendingTrackEndPos_ = t.TrackEndPos();
  PaddingHead = t.TrackPaddingHead;
  CutLeading = t.TrackCutLeading;
  CutTrailing = t.TrackCutTrailing;
  // A style value the system does not know shows as plain silence.
  const uint8_t style = t.PreGapStyle();
  ApplyStyle(style == PreGapFile || style == PreGapIndex ? style : uint8_t{PreGapNormal});
  PreGapPath = t.PreGapFileName();
  PendingPreGapWaveInfo_ = t.PreGapWaveInfo();
  PendingPreGapAudioSource_ = t.PreGapFileName();
  PendingPreGapAudioFile_ = t.PreGapAudioFile();
  PendingPreGapStartPos_ = t.PreGapStartPos();
  PendingPreGapEndPos_ = t.PreGapEndPos();
  // A length beyond 99:59:74 shows as 99:59:74, the most the fields can hold.
  Length.SetMsf(t.PreGapMin, t.PreGapSec, t.PreGapFrame);
  PreGapPaddingHead = t.PreGapPaddingHead;
  PreGapCutLeading = t.PreGapCutLeading;
  PreGapCutTrailing = t.PreGapCutTrailing;
  Isrc = IsrcFieldText(t.ISRC);
  ShownIsrc_ = Isrc;
  PreEmph = t.PreEmph;
  Protect = t.Protect;
  BrowseDir_ = WaveFileDir;
  ShownTotalBytes_ = t.GetTotalBytes();
}

void TrackPropertiesEditor::TypeLength(LengthField field, const std::string& text) {
  if (Enabled(TrackPropertyControl::MinEdit)) Length.Type(field, text);
}

void TrackPropertiesEditor::StepLength(LengthField field, bool up) {
  if (Enabled(TrackPropertyControl::MinUd)) Length.Click(field, up);
}

void TrackPropertiesEditor::BrowsePreGapFile() {
  if (Track == nullptr || !Enabled(TrackPropertyControl::PreGapBrowseBtn)) return;
  FileDialogRequest request;
  request.Filter = kWaveOpenFilter;
  request.DefaultExt = kWaveOpenDefaultExt;
  request.InitialDir = BrowseDir_;
  const std::vector<std::string> chosen = Ctx_.Prompter.OpenFiles(request);
  if (chosen.empty()) return;
  const std::string& path = chosen.front();
  BrowseDir_ = FolderOf(path);
  ReadPreGapFile(path);
}

bool TrackPropertiesEditor::ReadPreGapFile(const std::string& path) {
  WaveDataInfo info;
  std::string audioFile;
  int32_t result = -1;
  if (IsDecodedSourcePath(path)) {
    const DecodedCheck check = DecodeSourceFile(Ctx_, path, info);
    if (check.Result == 0) return false;  // canceled
    if (check.Result != 1) {
      Ctx_.Prompter.ShowMessage(BoxKind::Error, "\"" + path + "\"" + check.Reason);
      return false;
    }
    audioFile = check.AudioFile;
    result = 1;
  } else {
    result = CheckPreGapWave(path, info);
  }
  switch (result) {
    case 1:
      PreGapPath = path;
      PendingPreGapWaveInfo_ = info;
      PendingPreGapAudioSource_ = path;
      PendingPreGapAudioFile_ = audioFile;
      PendingPreGapStartPos_ = 0;
      PendingPreGapEndPos_ =
          static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerSample));
      return true;
    case 0:
      Ctx_.Prompter.ShowMessage(BoxKind::Error, "\"" + path + "\"" + kNotCdAudioSuffix);
      return false;
    default:
      Ctx_.Prompter.ShowMessage(BoxKind::Error, "\"" + path + "\"" + kNotRiffWaveSuffix);
      return false;
  }
}

const std::string& TrackPropertiesEditor::PendingPreGapAudioPath() const {
  return PreGapPath == PendingPreGapAudioSource_ && !PendingPreGapAudioFile_.empty()
             ? PendingPreGapAudioFile_
             : PreGapPath;
}

void TrackPropertiesEditor::EditTrackPositions() {
  if (Track == nullptr || Positions_ == nullptr || !Enabled(TrackPropertyControl::PosBtn)) return;
  Positions_->EditPositions(Track->TrackAudioPath(), Track->WaveInfo, &PendingTrackStartPos_,
                            &PendingTrackEndPos_,
                            Style_ == PreGapIndex ? &PendingTrackPreGapPos_ : nullptr, nullptr);
}

void TrackPropertiesEditor::EditPreGapPositions() {
  if (Track == nullptr || Positions_ == nullptr) return;
  if (!Enabled(TrackPropertyControl::PreGapPosBtn)) return;
  if (PreGapPath.empty()) return;
  if (PreGapPath != PendingPreGapAudioSource_ && !ReadPreGapFile(PreGapPath)) return;
  Positions_->EditPositions(PendingPreGapAudioPath(), PendingPreGapWaveInfo_, nullptr, nullptr,
                            &PendingPreGapStartPos_, &PendingPreGapEndPos_);
}

bool TrackPropertiesEditor::StoreProperties() {
  if (Track == nullptr) return false;
  if (Style_ == PreGapFile && PreGapPath.empty()) {
    Ctx_.Prompter.ShowMessage(BoxKind::Warning, kSelectHiddenWaveMessage);
    return false;
  }
  // A hidden-track file typed into the field is read and checked as a chosen one is; one
  // that cannot be used keeps the dialog open with the reason.
  const bool typed = PreGapPath != PendingPreGapAudioSource_;
  if (typed && Style_ == PreGapFile && !ReadPreGapFile(PreGapPath)) return false;
  if (Style_ == PreGapIndex &&
      int64_t{PendingTrackStartPos_} - int64_t{PendingTrackPreGapPos_} <= 0) {
    Ctx_.Prompter.ShowMessage(BoxKind::Warning, kSetPreGapAndTrackMessage);
    return false;
  }
  // The ISRC is checked only when it was edited: a value the layout already held is kept
  // as it stands.
  const bool isrcEdited = Isrc != ShownIsrc_;
  if (isrcEdited && !IsIsrcEntry(Isrc)) {
    Ctx_.Prompter.ShowMessage(BoxKind::Warning, kIsrcEntryMessage);
    return false;
  }
  varnel::Track& t = *Track;
  if (isrcEdited) {
    t.ISRC = IsrcStoredText(Isrc);
    Isrc = IsrcFieldText(t.ISRC);
    ShownIsrc_ = Isrc;
  }
  t.PreEmph = PreEmph;
  t.Protect = Protect;
  t.SetTrackPreGapPos(PendingTrackPreGapPos_);
  t.SetTrackStartPos(PendingTrackStartPos_);
  t.SetTrackEndPos(PendingTrackEndPos_);
  t.TrackPaddingHead = PaddingHead;
  t.TrackCutLeading = CutLeading;
  t.TrackCutTrailing = CutTrailing;
  t.SetPreGapStyle(Style_);
  // A path typed but never read (its style was left) is not the track's.
  if (!PreGapPath.empty() && PreGapPath == PendingPreGapAudioSource_) {
    t.SetPreGapFile(
        PreGapPath, PendingPreGapWaveInfo_,
        PreGapPath == PendingPreGapAudioSource_ ? PendingPreGapAudioFile_ : std::string());
  }
  t.SetPreGapStartPos(PendingPreGapStartPos_);
  t.SetPreGapEndPos(PendingPreGapEndPos_);
  t.PreGapMin = static_cast<uint8_t>(Length.Min());
  t.PreGapSec = static_cast<uint8_t>(Length.Sec());
  t.PreGapFrame = static_cast<uint8_t>(Length.Frame());
  t.PreGapPaddingHead = PreGapPaddingHead;
  t.PreGapCutLeading = PreGapCutLeading;
  t.PreGapCutTrailing = PreGapCutTrailing;
  WaveFileDir = BrowseDir_;
  if (Ctx_.RedrawTracks) Ctx_.RedrawTracks();
  const int64_t total = t.GetTotalBytes();
  AdjustTotal(Ctx_, total - ShownTotalBytes_);
  ShownTotalBytes_ = total;
  return true;
}

}  // namespace varnel
