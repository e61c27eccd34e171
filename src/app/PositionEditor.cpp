#include "PositionEditor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "CdTime.h"

namespace varnel {

namespace {

constexpr int32_t kSamplesPerMinute = 2646000;

const char* const kPosCtlNames[kPosCtlCount] = {
    "PosEdit",
    "PosUd",
    "PosMSFEdit",
    "PosMSFUd",
    "SetStartBtn",
    "SetEndBtn",
    "SetPreGapStartBtn",
    "SetPreGapEndBtn",
    "PreGapGroup",
    "PreGapStartLbl",
    "PreGapStartEdit",
    "PreGapStartUd",
    "PreGapEndLbl",
    "PreGapEndEdit",
    "PreGapEndUd",
    "PreGapLengthLbl",
    "PreGapLengthEdit",
    "PreGapLengthMSFEdit",
    "TrackGroup",
    "TrackStartLbl",
    "TrackStartEdit",
    "TrackStartUd",
    "TrackEndLbl",
    "TrackEndEdit",
    "TrackEndUd",
    "TrackLengthLbl",
    "TrackLengthEdit",
    "TrackLengthMSFEdit",
    "OkBtn",
    "ApplyBtn",
    "CancelBtn",
    "TrackBar",
    "Label1",
    "LengthLbl",
    "PlayBtn",
    "StopBtn",
};

// The controls of one boundary.
struct TBoundaryCtls {
  TPosCtl Edit;
  TPosCtl Ud;
  TPosCtl Btn;
  TPosCtl Lbl;
};

const TBoundaryCtls kBoundaryCtls[4] = {
    {TPosCtl::TrackStartEdit, TPosCtl::TrackStartUd, TPosCtl::SetStartBtn, TPosCtl::TrackStartLbl},
    {TPosCtl::TrackEndEdit, TPosCtl::TrackEndUd, TPosCtl::SetEndBtn, TPosCtl::TrackEndLbl},
    {TPosCtl::PreGapStartEdit, TPosCtl::PreGapStartUd, TPosCtl::SetPreGapStartBtn,
     TPosCtl::PreGapStartLbl},
    {TPosCtl::PreGapEndEdit, TPosCtl::PreGapEndUd, TPosCtl::SetPreGapEndBtn, TPosCtl::PreGapEndLbl},
};

const TBoundaryCtls& CtlsOf(TBoundary b) {
  return kBoundaryCtls[static_cast<size_t>(b)];
}

// A decimal integer: an optional sign and at least one digit, nothing else (a blank is an
// empty place of a masked field, so it makes the text no number). Digits beyond any
// position are held at a value that is still beyond every file.
std::optional<int64_t> ParseDecimal(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{1} << 40);
  }
  return negative ? -value : value;
}

int64_t ParseOrZero(const std::string& text) {
  return ParseDecimal(text).value_or(0);
}

std::string Format2(const char* format, int64_t a, int64_t b) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<long long>(a), static_cast<long long>(b));
  return text;
}

}  // namespace

const char* PosCtlName(TPosCtl ctl) {
  return kPosCtlNames[static_cast<size_t>(ctl)];
}

std::string PositionText(int64_t samples) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10lld", static_cast<long long>(samples));
  return text;
}

std::string PositionMsfText(int64_t samples) {
  return FormatMsf(samples / kSamplesPerMinute, (samples / kSamplesPerSecond) % 60,
                   (samples / kSamplesPerCdFrame) % kCdFramesPerSecond);
}

std::string LengthMsfText(int64_t samples) {
  const int64_t magnitude = samples < 0 ? -samples : samples;
  std::string text = samples < 0 ? "-" : "";
  text += PositionMsfText(magnitude);
  if (magnitude % kSamplesPerCdFrame != 0) text += "+";
  return text;
}

TPositionEditor::TPositionEditor(TPrompter& prompter, TPreviewDevice* device)
    : Prompter_(prompter), Player_(device) {
  Enabled_.fill(true);
  Colour_.fill(TFieldColour::Window);
  TextColour_.fill(TTextColour::WindowText);
  SetText(TPosCtl::PosEdit, PositionText(0));
  SetText(TPosCtl::PosMSFEdit, PositionMsfText(0));
  SetText(TPosCtl::Label1, "00:00");
  SetText(TPosCtl::LengthLbl, "00:00");
}

void TPositionEditor::SetEnabled(TPosCtl ctl, bool enabled) {
  Enabled_[Index(ctl)] = enabled;
}

void TPositionEditor::SetEditEnabled(TPosCtl ctl, bool enabled) {
  SetEnabled(ctl, enabled);
  Colour_[Index(ctl)] = enabled ? TFieldColour::Window : TFieldColour::ButtonFace;
}

void TPositionEditor::SetupPositions(const std::string& path, const WaveDataInfo& info,
                                     int32_t* trackStart, int32_t* trackEnd, int32_t* preGapStart,
                                     int32_t* preGapEnd) {
  ShownFileName_ = path;
  ShownWaveInfo_ = info;
  // A summary with a negative size (never from a real header) is a file without data.
  SampleCount_ = static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerSample));
  MaxCursorFrame_ = static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerCdFrame));
  Targets_ = {trackStart, trackEnd, preGapStart, preGapEnd};

  const bool track = trackStart != nullptr || trackEnd != nullptr;
  SetEnabled(TPosCtl::TrackGroup, track);
  SetEnabled(TPosCtl::TrackLengthLbl, track);
  SetEditEnabled(TPosCtl::TrackLengthEdit, track);
  SetEditEnabled(TPosCtl::TrackLengthMSFEdit, track);
  const bool preGap = preGapStart != nullptr || preGapEnd != nullptr;
  SetEnabled(TPosCtl::PreGapGroup, preGap);
  SetEnabled(TPosCtl::PreGapLengthLbl, preGap);
  SetEditEnabled(TPosCtl::PreGapLengthEdit, preGap);
  SetEditEnabled(TPosCtl::PreGapLengthMSFEdit, preGap);

  for (TBoundary b :
       {TBoundary::TrackStart, TBoundary::TrackEnd, TBoundary::PreGapStart, TBoundary::PreGapEnd}) {
    const TBoundaryCtls& c = CtlsOf(b);
    const bool given = HasTarget(b);
    SetEnabled(c.Btn, given);
    SetEnabled(c.Lbl, given);
    SetEditEnabled(c.Edit, given);
    SetEnabled(c.Ud, given);
    if (given) {
      Values_[Index(b)] =
          static_cast<int32_t>(std::clamp<int64_t>(*Targets_[Index(b)], 0, SampleCount_));
      SetText(c.Edit, PositionText(Values_[Index(b)]));
    } else {
      Values_[Index(b)] = 0;
      SetText(c.Edit, "");
    }
  }

  if (trackStart != nullptr) {
    EditTrackLength_ = Value(TBoundary::TrackEnd) - Value(TBoundary::TrackStart);
    ShowTrackLength();
  } else {
    EditTrackLength_ = 0;
    SetText(TPosCtl::TrackLengthEdit, "");
    SetText(TPosCtl::TrackLengthMSFEdit, "");
  }
  if (preGapStart != nullptr) {
    EditPreGapLength_ = PreGapRegionEnd() - Value(TBoundary::PreGapStart);
    ShowPreGapLength();
  } else {
    EditPreGapLength_ = 0;
    SetText(TPosCtl::PreGapLengthEdit, "");
    SetText(TPosCtl::PreGapLengthMSFEdit, "");
  }
}

int32_t TPositionEditor::PreGapRegionEnd() const {
  return HasTarget(TBoundary::PreGapEnd) ? Value(TBoundary::PreGapEnd)
                                         : Value(TBoundary::TrackStart);
}

void TPositionEditor::ShowTrackLength() {
  SetText(TPosCtl::TrackLengthEdit, PositionText(EditTrackLength_));
  if (!Enabled(TPosCtl::TrackLengthEdit)) return;
  const TTextColour colour = EditTrackLength_ > 0 ? TTextColour::WindowText : TTextColour::Red;
  TextColour_[Index(TPosCtl::TrackLengthEdit)] = colour;
  TextColour_[Index(TPosCtl::TrackLengthMSFEdit)] = colour;
  SetText(TPosCtl::TrackLengthMSFEdit, LengthMsfText(EditTrackLength_));
}

void TPositionEditor::ShowPreGapLength() {
  SetText(TPosCtl::PreGapLengthEdit, PositionText(EditPreGapLength_));
  if (!Enabled(TPosCtl::PreGapLengthEdit)) return;
  const TTextColour colour = EditPreGapLength_ > 0 ? TTextColour::WindowText : TTextColour::Red;
  TextColour_[Index(TPosCtl::PreGapLengthEdit)] = colour;
  TextColour_[Index(TPosCtl::PreGapLengthMSFEdit)] = colour;
  SetText(TPosCtl::PreGapLengthMSFEdit, LengthMsfText(EditPreGapLength_));
}

void TPositionEditor::FormShow() {
  // Whole seconds of data, any started second counting as one.
  const int64_t size = std::max<int64_t>(0, ShownWaveInfo_.DataSize);
  const int64_t seconds = (size + kBytesPerSecond - 1) / kBytesPerSecond;
  TrackBarMax_ = static_cast<int32_t>(seconds);
  SetText(TPosCtl::LengthLbl, Format2("%.2lld:%.2lld", seconds / 60, seconds % 60));

  CursorPos_ = 0;
  CursorFrame_ = 0;
  TrackBarPos_ = 0;
  SetText(TPosCtl::PosEdit, PositionText(0));
  SetText(TPosCtl::PosMSFEdit, PositionMsfText(0));

  const bool playable = Player_.OpenWave(ShownFileName_);
  SetEnabled(TPosCtl::PlayBtn, playable);
  SetEnabled(TPosCtl::StopBtn, true);
  PlayUnavailableReason_ = playable ? std::string() : Player_.OpenFailure();
}

int32_t TPositionEditor::Playhead() const {
  const int32_t heard = Player_.PlayedPosition();
  return heard < 0 ? -1 : std::min(heard, SampleCount_);
}

int32_t TPositionEditor::TrackBarShownPos() const {
  const int32_t heard = Playhead();
  if (heard < 0) return TrackBarPos_;
  return std::clamp(heard / static_cast<int32_t>(kSamplesPerSecond), 0, TrackBarMax_);
}

void TPositionEditor::FormClose() {
  Player_.StopPlay();
  Player_.CloseWave();
  ShownWaveInfo_ = WaveDataInfo{};
  ShownFileName_.clear();
  SampleCount_ = 0;
  MaxCursorFrame_ = 0;
  Targets_ = {};
}

bool TPositionEditor::ApplyPositions() {
  if (HasTarget(TBoundary::PreGapStart) && PreGapRegionEnd() - Value(TBoundary::PreGapStart) < 1) {
    Prompter_.ShowMessage(TBoxKind::Warning, kPreGapTooSmallMessage);
    return false;
  }
  if (HasTarget(TBoundary::TrackStart) &&
      Value(TBoundary::TrackEnd) - Value(TBoundary::TrackStart) < 1) {
    Prompter_.ShowMessage(TBoxKind::Warning, kTrackTooSmallMessage);
    return false;
  }
  for (size_t i = 0; i < Targets_.size(); ++i) {
    if (Targets_[i] != nullptr) *Targets_[i] = Values_[i];
  }
  return true;
}

void TPositionEditor::MoveCursor(int64_t samples) {
  CursorPos_ = static_cast<int32_t>(std::clamp<int64_t>(samples, 0, SampleCount_));
  CursorFrame_ = CursorPos_ / kSamplesPerCdFrame;
  // The MSF field has two places for minutes: a cursor at 100 minutes or later shows as
  // the largest time the field can hold.
  SetText(TPosCtl::PosMSFEdit, CursorPos_ / kSamplesPerMinute < 100 ? PositionMsfText(CursorPos_)
                                                                    : FormatMsf(99, 59, 74));
  SetText(TPosCtl::PosEdit, PositionText(CursorPos_));
}

void TPositionEditor::PosEditChange(const std::string& text) {
  MoveCursor(ParseOrZero(text));
}

void TPositionEditor::PosMSFEditChange(const std::string& text) {
  auto part = [&text](size_t at) {
    return at < text.size() ? ParseOrZero(text.substr(at, 2)) : int64_t{0};
  };
  const int64_t minutes = part(0);
  const int64_t seconds = std::min<int64_t>(part(3), 59);
  const int64_t frames = std::min<int64_t>(part(6), kCdFramesPerSecond - 1);
  MoveCursor(MsfToFrames(minutes, seconds, frames) * kSamplesPerCdFrame);
}

void TPositionEditor::PosUdClick(bool up) {
  MoveCursor(int64_t{CursorPos_} + (up ? 1 : -1));
}

void TPositionEditor::PosMSFUdClick(bool up) {
  const int64_t frame =
      std::clamp<int64_t>(int64_t{CursorFrame_} + (up ? 1 : -1), 0, MaxCursorFrame_);
  MoveCursor(frame * kSamplesPerCdFrame);
}

void TPositionEditor::PosEditKeyDown(TEditKey key) {
  if (key == TEditKey::Enter) JumpAndPlay();
  if (key == TEditKey::Up || key == TEditKey::Down) PosUdClick(key == TEditKey::Up);
}

void TPositionEditor::PosMSFEditKeyDown(TEditKey key) {
  if (key == TEditKey::Enter) JumpAndPlay();
  if (key == TEditKey::Up || key == TEditKey::Down) PosMSFUdClick(key == TEditKey::Up);
}

void TPositionEditor::SetBoundary(TBoundary b, int64_t samples) {
  Values_[Index(b)] = static_cast<int32_t>(std::clamp<int64_t>(samples, 0, SampleCount_));
  SetText(CtlsOf(b).Edit, PositionText(Values_[Index(b)]));
  const int32_t trackLength = Value(TBoundary::TrackEnd) - Value(TBoundary::TrackStart);
  const int32_t preGapLength = PreGapRegionEnd() - Value(TBoundary::PreGapStart);
  switch (b) {
    case TBoundary::TrackStart:
      EditTrackLength_ = trackLength;
      ShowTrackLength();
      if (HasTarget(TBoundary::PreGapStart) && !HasTarget(TBoundary::PreGapEnd)) {
        EditPreGapLength_ = preGapLength;
        ShowPreGapLength();
      }
      break;
    case TBoundary::TrackEnd:
      EditTrackLength_ = trackLength;
      ShowTrackLength();
      break;
    case TBoundary::PreGapStart:
    case TBoundary::PreGapEnd:
      EditPreGapLength_ = preGapLength;
      ShowPreGapLength();
      break;
  }
}

void TPositionEditor::BoundaryEditChange(TBoundary b, const std::string& text) {
  if (!HasTarget(b)) return;
  SetBoundary(b, ParseOrZero(text));
}

void TPositionEditor::BoundaryUdClick(TBoundary b, bool up) {
  if (!HasTarget(b)) return;
  SetBoundary(b, int64_t{Value(b)} + (up ? 1 : -1));
}

void TPositionEditor::SetBoundaryBtnClick(TBoundary b) {
  if (!HasTarget(b)) return;
  SetBoundary(b, CursorPos_);
}

void TPositionEditor::BoundaryEditKeyDown(TBoundary b, TEditKey key) {
  if (!HasTarget(b)) return;
  switch (key) {
    case TEditKey::Enter:
      PosEditChange(Text(CtlsOf(b).Edit));
      JumpAndPlay();
      break;
    case TEditKey::Up:
    case TEditKey::Down:
      BoundaryUdClick(b, key == TEditKey::Up);
      break;
    case TEditKey::Other:
      break;
  }
}

void TPositionEditor::PlayBtnClick() {
  Player_.PlayFrom(CursorPos_);
}

void TPositionEditor::StopBtnClick() {
  Player_.StopPlay();
}

void TPositionEditor::TrackBarChange(int32_t seconds) {
  TrackBarPos_ = std::clamp(seconds, 0, TrackBarMax_);
  MoveCursor(int64_t{TrackBarPos_} * kSamplesPerSecond);
  if (Player_.Playing()) Player_.PlayFrom(CursorPos_);
}

void TPositionEditor::JumpAndPlay() {
  TrackBarPos_ = CursorPos_ / kSamplesPerSecond;
  Player_.PlayFrom(CursorPos_);
}

}  // namespace varnel
