#include "TrackPropertyEditor.h"

#include <algorithm>

#include "Binedit.h"
#include "CdTime.h"
#include "EntryChecks.h"
#include "InputCheck.h"
#include "TrackListOps.h"

namespace varnel {

namespace {

const char* const kTrackCtlNames[kTrackCtlCount] = {
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
    "PreGapPadGropu",
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

const char* TrackCtlName(TTrackCtl ctl) {
  return kTrackCtlNames[static_cast<size_t>(ctl)];
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

TTrackPropertyEditor::TTrackPropertyEditor(TAppContext& ctx, TPositionEditorPort* positions)
    : Ctx_(ctx), Positions_(positions) {
  Enabled_.fill(true);
  Colour_.fill(TFieldColour::Window);
}

bool TTrackPropertyEditor::Checked(TTrackCtl radio) const {
  switch (radio) {
    case TTrackCtl::PreGapNormalRdBtn:
      return Style_ == PreGapNormal;
    case TTrackCtl::PreGapFileRdBtn:
      return Style_ == PreGapFile;
    case TTrackCtl::PreGapIndexRdBtn:
      return Style_ == PreGapIndex;
    case TTrackCtl::PadHeadRdBtn:
      return PadHeadRdBtn;
    case TTrackCtl::PadTailRdBtn:
      return !PadHeadRdBtn;
    case TTrackCtl::PreGapPadHeadRdBtn:
      return PreGapPadHeadRdBtn;
    case TTrackCtl::PreGapPadTailRdBtn:
      return !PreGapPadHeadRdBtn;
    case TTrackCtl::PreEmphCk:
      return PreEmphCk;
    case TTrackCtl::ProtectCk:
      return ProtectCk;
    case TTrackCtl::CutLeadCk:
      return CutLeadCk;
    case TTrackCtl::CutTrailCk:
      return CutTrailCk;
    case TTrackCtl::GapCutLeadCk:
      return GapCutLeadCk;
    case TTrackCtl::GapCutTrailCk:
      return GapCutTrailCk;
    default:
      return false;
  }
}

bool TTrackPropertyEditor::Usable(TTrackCtl ctl) const {
  switch (ctl) {
    case TTrackCtl::CutLeadCk:
    case TTrackCtl::CutTrailCk:
      return Enabled(ctl) && Enabled(TTrackCtl::SilenceGroup);
    case TTrackCtl::PreGapPadHeadRdBtn:
    case TTrackCtl::PreGapPadTailRdBtn:
      return Enabled(ctl) && Enabled(TTrackCtl::PreGapPadGropu);
    case TTrackCtl::GapCutLeadCk:
    case TTrackCtl::GapCutTrailCk:
      return Enabled(ctl) && Enabled(TTrackCtl::GapSilceGroup);
    default:
      return Enabled(ctl);
  }
}

void TTrackPropertyEditor::PreGapPathEditChange(const std::string& text) {
  if (Enabled(TTrackCtl::PreGapPathEdit)) PreGapPathEdit = text;
}

void TTrackPropertyEditor::SetEditEnabled(TTrackCtl ctl, bool enabled) {
  SetEnabled(ctl, enabled);
  Colour_[Index(ctl)] = enabled ? TFieldColour::Window : TFieldColour::ButtonFace;
}

void TTrackPropertyEditor::EnableWaveControls(bool enable) {
  for (TTrackCtl ctl :
       {TTrackCtl::PadHeadRdBtn, TTrackCtl::PadTailRdBtn, TTrackCtl::SilenceGroup,
        TTrackCtl::CutLeadCk, TTrackCtl::CutTrailCk, TTrackCtl::PosBtn, TTrackCtl::PreGapFileRdBtn,
        TTrackCtl::PreGapIndexRdBtn, TTrackCtl::HdnFileLbl, TTrackCtl::PreGapPathEdit,
        TTrackCtl::PreGapBrowseBtn, TTrackCtl::PreGapPosBtn, TTrackCtl::PreGapPadLbl,
        TTrackCtl::PreGapPadGropu, TTrackCtl::PreGapSilenceLbl, TTrackCtl::GapSilceGroup}) {
    SetEnabled(ctl, enable);
  }
}

void TTrackPropertyEditor::ApplyStyle(uint8_t style) {
  Style_ = style;
  const bool normal = style == PreGapNormal;
  const bool file = style == PreGapFile;
  for (TTrackCtl ctl : {TTrackCtl::MinLbl, TTrackCtl::MinUd, TTrackCtl::SecLbl, TTrackCtl::SecUd,
                        TTrackCtl::FrameLbl, TTrackCtl::FrameUd}) {
    SetEnabled(ctl, normal);
  }
  for (TTrackCtl ctl : {TTrackCtl::MinEdit, TTrackCtl::SecEdit, TTrackCtl::FrameEdit}) {
    SetEditEnabled(ctl, normal);
  }
  SetEditEnabled(TTrackCtl::PreGapPathEdit, file);
  for (TTrackCtl ctl :
       {TTrackCtl::HdnFileLbl, TTrackCtl::PreGapBrowseBtn, TTrackCtl::PreGapPosBtn,
        TTrackCtl::PreGapPadLbl, TTrackCtl::PreGapPadHeadRdBtn, TTrackCtl::PreGapPadTailRdBtn,
        TTrackCtl::PreGapSilenceLbl, TTrackCtl::GapCutLeadCk, TTrackCtl::GapCutTrailCk}) {
    SetEnabled(ctl, file);
  }
  SetEnabled(TTrackCtl::PadHeadRdBtn, style != PreGapIndex);
  SetEnabled(TTrackCtl::PadTailRdBtn, style != PreGapIndex);
  if (!IsWaveTrack()) EnableWaveControls(false);
}

void TTrackPropertyEditor::PreGapNormalRdBtnClick() {
  if (Enabled(TTrackCtl::PreGapNormalRdBtn)) ApplyStyle(PreGapNormal);
}

void TTrackPropertyEditor::PreGapFileRdBtnClick() {
  if (Enabled(TTrackCtl::PreGapFileRdBtn)) ApplyStyle(PreGapFile);
}

void TTrackPropertyEditor::PreGapIndexRdBtnClick() {
  if (Enabled(TTrackCtl::PreGapIndexRdBtn)) ApplyStyle(PreGapIndex);
}

void TTrackPropertyEditor::FormShow() {
  if (Track == nullptr) return;
  TTrackInfo& t = *Track;
  EnableWaveControls(t.FileMode == FileModeWave);
  TrackPathEdit = t.TrackFileName;
  PendingTrackPreGapPos_ = t.TrackPreGapPos();
  PendingTrackStartPos_ = t.TrackStartPos();
  PendingTrackEndPos_ = t.TrackEndPos();
  PadHeadRdBtn = t.TrackPaddingHead;
  CutLeadCk = t.TrackCutLeading;
  CutTrailCk = t.TrackCutTrailing;
  // A style value the system does not know shows as plain silence.
  const uint8_t style = t.PreGapStyle();
  ApplyStyle(style == PreGapFile || style == PreGapIndex ? style : uint8_t{PreGapNormal});
  PreGapPathEdit = t.PreGapFileName();
  PendingPreGapWaveInfo_ = t.PreGapWaveInfo();
  PendingPreGapAudioSource_ = t.PreGapFileName();
  PendingPreGapAudioFile_ = t.PreGapAudioFile();
  PendingPreGapStartPos_ = t.PreGapStartPos();
  PendingPreGapEndPos_ = t.PreGapEndPos();
  // A length beyond 99:59:74 shows as 99:59:74, the most the fields can hold.
  Length.SetMsf(t.PreGapMin, t.PreGapSec, t.PreGapFrame);
  PreGapPadHeadRdBtn = t.PreGapPaddingHead;
  GapCutLeadCk = t.PreGapCutLeading;
  GapCutTrailCk = t.PreGapCutTrailing;
  ISRCEdit = IsrcFieldText(t.ISRC);
  ShownISRC_ = ISRCEdit;
  PreEmphCk = t.PreEmph;
  ProtectCk = t.Protect;
  BrowseDir_ = WaveFileDir;
  ShownTotalBytes_ = t.GetTotalBytes();
}

void TTrackPropertyEditor::LengthEditChange(TLengthField field, const std::string& text) {
  if (Enabled(TTrackCtl::MinEdit)) Length.Type(field, text);
}

void TTrackPropertyEditor::UdClick(TLengthField field, bool up) {
  if (Enabled(TTrackCtl::MinUd)) Length.Click(field, up);
}

void TTrackPropertyEditor::PreGapBrowseBtnClick() {
  if (Track == nullptr || !Enabled(TTrackCtl::PreGapBrowseBtn)) return;
  TFileDialogRequest request;
  request.Filter = kWaveOpenFilter;
  request.DefaultExt = kWaveOpenDefaultExt;
  request.InitialDir = BrowseDir_;
  const std::vector<std::string> chosen = Ctx_.Prompter.OpenFiles(request);
  if (chosen.empty()) return;
  const std::string& path = chosen.front();
  BrowseDir_ = FolderOf(path);
  WaveDataInfo info;
  std::string audioFile;
  int32_t result = -1;
  if (IsDecodedSourcePath(path)) {
    const TDecodedCheck check = DecodeSourceFile(Ctx_, path, info);
    if (check.Result == 0) return;  // canceled
    if (check.Result != 1) {
      Ctx_.Prompter.ShowMessage(TBoxKind::Error, "\"" + path + "\"" + check.Reason);
      return;
    }
    audioFile = check.AudioFile;
    result = 1;
  } else {
    result = CheckPreGapWave(path, info);
  }
  switch (result) {
    case 1:
      PreGapPathEdit = path;
      PendingPreGapWaveInfo_ = info;
      PendingPreGapAudioSource_ = path;
      PendingPreGapAudioFile_ = audioFile;
      PendingPreGapStartPos_ = 0;
      PendingPreGapEndPos_ =
          static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerSample));
      break;
    case 0:
      Ctx_.Prompter.ShowMessage(TBoxKind::Error, "\"" + path + "\"" + kNotCdAudioSuffix);
      break;
    default:
      Ctx_.Prompter.ShowMessage(TBoxKind::Error, "\"" + path + "\"" + kNotRiffWaveSuffix);
      break;
  }
}

const std::string& TTrackPropertyEditor::PendingPreGapAudioPath() const {
  return PreGapPathEdit == PendingPreGapAudioSource_ && !PendingPreGapAudioFile_.empty()
             ? PendingPreGapAudioFile_
             : PreGapPathEdit;
}

void TTrackPropertyEditor::PosBtnClick() {
  if (Track == nullptr || Positions_ == nullptr || !Enabled(TTrackCtl::PosBtn)) return;
  Positions_->EditPositions(Track->TrackAudioPath(), Track->WaveInfo, &PendingTrackStartPos_,
                            &PendingTrackEndPos_,
                            Style_ == PreGapIndex ? &PendingTrackPreGapPos_ : nullptr, nullptr);
}

void TTrackPropertyEditor::PreGapPosBtnClick() {
  if (Track == nullptr || Positions_ == nullptr || !Enabled(TTrackCtl::PreGapPosBtn)) return;
  if (PreGapPathEdit.empty()) return;
  Positions_->EditPositions(PendingPreGapAudioPath(), PendingPreGapWaveInfo_, nullptr, nullptr,
                            &PendingPreGapStartPos_, &PendingPreGapEndPos_);
}

bool TTrackPropertyEditor::StoreProperties() {
  if (Track == nullptr) return false;
  if (Style_ == PreGapFile && PreGapPathEdit.empty()) {
    Ctx_.Prompter.ShowMessage(TBoxKind::Warning, kSelectHiddenWaveMessage);
    return false;
  }
  if (Style_ == PreGapIndex &&
      int64_t{PendingTrackStartPos_} - int64_t{PendingTrackPreGapPos_} <= 0) {
    Ctx_.Prompter.ShowMessage(TBoxKind::Warning, kSetPreGapAndTrackMessage);
    return false;
  }
  // The ISRC is checked only when it was edited: a value the layout already held is kept
  // as it stands.
  const bool isrcEdited = ISRCEdit != ShownISRC_;
  if (isrcEdited && !IsIsrcEntry(ISRCEdit)) {
    Ctx_.Prompter.ShowMessage(TBoxKind::Warning, kIsrcEntryMessage);
    return false;
  }
  TTrackInfo& t = *Track;
  if (isrcEdited) {
    t.ISRC = IsrcStoredText(ISRCEdit);
    ISRCEdit = IsrcFieldText(t.ISRC);
    ShownISRC_ = ISRCEdit;
  }
  t.PreEmph = PreEmphCk;
  t.Protect = ProtectCk;
  t.SetTrackPreGapPos(PendingTrackPreGapPos_);
  t.SetTrackStartPos(PendingTrackStartPos_);
  t.SetTrackEndPos(PendingTrackEndPos_);
  t.TrackPaddingHead = PadHeadRdBtn;
  t.TrackCutLeading = CutLeadCk;
  t.TrackCutTrailing = CutTrailCk;
  t.SetPreGapStyle(Style_);
  if (!PreGapPathEdit.empty()) {
    t.SetPreGapFile(
        PreGapPathEdit, PendingPreGapWaveInfo_,
        PreGapPathEdit == PendingPreGapAudioSource_ ? PendingPreGapAudioFile_ : std::string());
  }
  t.SetPreGapStartPos(PendingPreGapStartPos_);
  t.SetPreGapEndPos(PendingPreGapEndPos_);
  t.PreGapMin = static_cast<uint8_t>(Length.Min());
  t.PreGapSec = static_cast<uint8_t>(Length.Sec());
  t.PreGapFrame = static_cast<uint8_t>(Length.Frame());
  t.PreGapPaddingHead = PreGapPadHeadRdBtn;
  t.PreGapCutLeading = GapCutLeadCk;
  t.PreGapCutTrailing = GapCutTrailCk;
  WaveFileDir = BrowseDir_;
  if (Ctx_.RedrawTracks) Ctx_.RedrawTracks();
  const int64_t total = t.GetTotalBytes();
  AdjustTotal(Ctx_, total - ShownTotalBytes_);
  ShownTotalBytes_ = total;
  return true;
}

}  // namespace varnel
