#include "app/editors/PositionEditor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "model/CdTime.h"

namespace varnel {

namespace {

constexpr int32_t kSamplesPerMinute = 2646000;

const char* const kPositionControlNames[kPositionControlCount] = {
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
    "TrackBarStartLbl",
    "LengthLbl",
    "PlayBtn",
    "StopBtn",
};

// The controls of one boundary: its field, arrows, set button and label.
struct BoundaryControls {
  PositionControl Field;
  PositionControl Arrows;
  PositionControl SetButton;
  PositionControl Label;
};

using P = PositionControl;
const BoundaryControls kBoundaryControls[4] = {
    {P::TrackStartEdit, P::TrackStartUd, P::SetStartBtn, P::TrackStartLbl},
    {P::TrackEndEdit, P::TrackEndUd, P::SetEndBtn, P::TrackEndLbl},
    {P::PreGapStartEdit, P::PreGapStartUd, P::SetPreGapStartBtn, P::PreGapStartLbl},
    {P::PreGapEndEdit, P::PreGapEndUd, P::SetPreGapEndBtn, P::PreGapEndLbl},
};

const BoundaryControls& ControlsOf(Boundary b) {
  return kBoundaryControls[static_cast<size_t>(b)];
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

const char* PositionControlName(PositionControl ctl) {
  return kPositionControlNames[static_cast<size_t>(ctl)];
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

PositionEditor::PositionEditor(Prompter& prompter, PreviewDevice* device)
    : Prompter_(prompter), Player_(device) {
  Enabled_.fill(true);
  Colour_.fill(FieldColour::Window);
  TextColour_.fill(TextColour::WindowText);
  SetText(PositionControl::PosEdit, PositionText(0));
  SetText(PositionControl::PosMSFEdit, PositionMsfText(0));
  SetText(PositionControl::TrackBarStartLbl, "00:00");
  SetText(PositionControl::LengthLbl, "00:00");
}

void PositionEditor::SetEnabled(PositionControl ctl, bool enabled) {
  Enabled_[Index(ctl)] = enabled;
}

void PositionEditor::SetEditEnabled(PositionControl ctl, bool enabled) {
  SetEnabled(ctl, enabled);
  Colour_[Index(ctl)] = enabled ? FieldColour::Window : FieldColour::ButtonFace;
}

void PositionEditor::SetupPositions(const std::string& path, const WaveDataInfo& info,
                                    int32_t* trackStart, int32_t* trackEnd, int32_t* preGapStart,
                                    int32_t* preGapEnd) {
  ShownFileName_ = path;
  ShownWaveInfo_ = info;
  // A summary with a negative size (never from a real header) is a file without data.
  SampleCount_ = static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerSample));
  MaxCursorFrame_ = static_cast<int32_t>(std::max<int64_t>(0, info.DataSize / kBytesPerCdFrame));
  Targets_ = {trackStart, trackEnd, preGapStart, preGapEnd};

  const bool track = trackStart != nullptr || trackEnd != nullptr;
  SetEnabled(PositionControl::TrackGroup, track);
  SetEnabled(PositionControl::TrackLengthLbl, track);
  SetEditEnabled(PositionControl::TrackLengthEdit, track);
  SetEditEnabled(PositionControl::TrackLengthMSFEdit, track);
  const bool preGap = preGapStart != nullptr || preGapEnd != nullptr;
  SetEnabled(PositionControl::PreGapGroup, preGap);
  SetEnabled(PositionControl::PreGapLengthLbl, preGap);
  SetEditEnabled(PositionControl::PreGapLengthEdit, preGap);
  SetEditEnabled(PositionControl::PreGapLengthMSFEdit, preGap);

  for (Boundary b :
       {Boundary::TrackStart, Boundary::TrackEnd, Boundary::PreGapStart, Boundary::PreGapEnd}) {
    const BoundaryControls& c = ControlsOf(b);
    const bool given = HasTarget(b);
    SetEnabled(c.SetButton, given);
    SetEnabled(c.Label, given);
    SetEditEnabled(c.Field, given);
    SetEnabled(c.Arrows, given);
    if (given) {
      Values_[Index(b)] =
          static_cast<int32_t>(std::clamp<int64_t>(*Targets_[Index(b)], 0, SampleCount_));
      SetText(c.Field, PositionText(Values_[Index(b)]));
    } else {
      Values_[Index(b)] = 0;
      SetText(c.Field, "");
    }
  }

  if (trackStart != nullptr) {
    TrackLength_ = Value(Boundary::TrackEnd) - Value(Boundary::TrackStart);
    ShowTrackLength();
  } else {
    TrackLength_ = 0;
    SetText(PositionControl::TrackLengthEdit, "");
    SetText(PositionControl::TrackLengthMSFEdit, "");
  }
  if (preGapStart != nullptr) {
    PreGapLength_ = PreGapRegionEnd() - Value(Boundary::PreGapStart);
    ShowPreGapLength();
  } else {
    PreGapLength_ = 0;
    SetText(PositionControl::PreGapLengthEdit, "");
    SetText(PositionControl::PreGapLengthMSFEdit, "");
  }
}

int32_t PositionEditor::PreGapRegionEnd() const {
  return HasTarget(Boundary::PreGapEnd) ? Value(Boundary::PreGapEnd) : Value(Boundary::TrackStart);
}

void PositionEditor::ShowTrackLength() {
  SetText(PositionControl::TrackLengthEdit, PositionText(TrackLength_));
  if (!Enabled(PositionControl::TrackLengthEdit)) return;
  const TextColour colour = TrackLength_ > 0 ? TextColour::WindowText : TextColour::Red;
  TextColour_[Index(PositionControl::TrackLengthEdit)] = colour;
  TextColour_[Index(PositionControl::TrackLengthMSFEdit)] = colour;
  SetText(PositionControl::TrackLengthMSFEdit, LengthMsfText(TrackLength_));
}

void PositionEditor::ShowPreGapLength() {
  SetText(PositionControl::PreGapLengthEdit, PositionText(PreGapLength_));
  if (!Enabled(PositionControl::PreGapLengthEdit)) return;
  const TextColour colour = PreGapLength_ > 0 ? TextColour::WindowText : TextColour::Red;
  TextColour_[Index(PositionControl::PreGapLengthEdit)] = colour;
  TextColour_[Index(PositionControl::PreGapLengthMSFEdit)] = colour;
  SetText(PositionControl::PreGapLengthMSFEdit, LengthMsfText(PreGapLength_));
}

void PositionEditor::Open() {
  // Whole seconds of data, any started second counting as one.
  const int64_t size = std::max<int64_t>(0, ShownWaveInfo_.DataSize);
  const int64_t seconds = (size + kBytesPerSecond - 1) / kBytesPerSecond;
  TrackBarMax_ = static_cast<int32_t>(seconds);
  SetText(PositionControl::LengthLbl, Format2("%.2lld:%.2lld", seconds / 60, seconds % 60));

  CursorPos_ = 0;
  CursorFrame_ = 0;
  TrackBarPos_ = 0;
  SetText(PositionControl::PosEdit, PositionText(0));
  SetText(PositionControl::PosMSFEdit, PositionMsfText(0));

  // Play stays available: pressed while no sound output could be opened, it tries again
  // (a sound server started meanwhile is found).
  SetEnabled(PositionControl::PlayBtn, true);
  SetEnabled(PositionControl::StopBtn, true);
  OpenForPlay();
}

bool PositionEditor::OpenForPlay() {
  const bool playable = Player_.OpenWave(ShownFileName_);
  PlayUnavailableReason_ = playable ? std::string() : Player_.OpenFailure();
  return playable;
}

bool PositionEditor::Playable() {
  return PlayUnavailableReason_.empty() || OpenForPlay();
}

int32_t PositionEditor::Playhead() const {
  const int32_t heard = Player_.PlayedPosition();
  return heard < 0 ? -1 : std::min(heard, SampleCount_);
}

int32_t PositionEditor::TrackBarShownPos() const {
  const int32_t heard = Playhead();
  if (heard < 0) return TrackBarPos_;
  return std::clamp(heard / static_cast<int32_t>(kSamplesPerSecond), 0, TrackBarMax_);
}

void PositionEditor::Close() {
  Player_.StopPlay();
  Player_.CloseWave();
  ShownWaveInfo_ = WaveDataInfo{};
  ShownFileName_.clear();
  SampleCount_ = 0;
  MaxCursorFrame_ = 0;
  Targets_ = {};
}

bool PositionEditor::ApplyPositions() {
  if (HasTarget(Boundary::PreGapStart) && PreGapRegionEnd() - Value(Boundary::PreGapStart) < 1) {
    Prompter_.ShowMessage(BoxKind::Warning, kPreGapTooSmallMessage);
    return false;
  }
  if (HasTarget(Boundary::TrackStart) &&
      Value(Boundary::TrackEnd) - Value(Boundary::TrackStart) < 1) {
    Prompter_.ShowMessage(BoxKind::Warning, kTrackTooSmallMessage);
    return false;
  }
  for (size_t i = 0; i < Targets_.size(); ++i) {
    if (Targets_[i] != nullptr) *Targets_[i] = Values_[i];
  }
  return true;
}

void PositionEditor::MoveCursor(int64_t samples) {
  CursorPos_ = static_cast<int32_t>(std::clamp<int64_t>(samples, 0, SampleCount_));
  CursorFrame_ = CursorPos_ / kSamplesPerCdFrame;
  // The MSF field has two places for minutes: a cursor at 100 minutes or later shows as
  // the largest time the field can hold.
  SetText(PositionControl::PosMSFEdit, CursorPos_ / kSamplesPerMinute < 100
                                           ? PositionMsfText(CursorPos_)
                                           : FormatMsf(99, 59, 74));
  SetText(PositionControl::PosEdit, PositionText(CursorPos_));
}

void PositionEditor::TypeCursor(const std::string& text) {
  MoveCursor(ParseOrZero(text));
}

void PositionEditor::TypeCursorMsf(const std::string& text) {
  auto part = [&text](size_t at) {
    return at < text.size() ? ParseOrZero(text.substr(at, 2)) : int64_t{0};
  };
  const int64_t minutes = part(0);
  const int64_t seconds = std::min<int64_t>(part(3), 59);
  const int64_t frames = std::min<int64_t>(part(6), kCdFramesPerSecond - 1);
  MoveCursor(MsfToFrames(minutes, seconds, frames) * kSamplesPerCdFrame);
}

void PositionEditor::StepCursor(bool up) {
  MoveCursor(int64_t{CursorPos_} + (up ? 1 : -1));
}

void PositionEditor::StepCursorFrame(bool up) {
  const int64_t frame =
      std::clamp<int64_t>(int64_t{CursorFrame_} + (up ? 1 : -1), 0, MaxCursorFrame_);
  MoveCursor(frame * kSamplesPerCdFrame);
}

void PositionEditor::CursorKey(EditKey key) {
  if (key == EditKey::Enter) JumpAndPlay();
  if (key == EditKey::Up || key == EditKey::Down) StepCursor(key == EditKey::Up);
}

void PositionEditor::CursorMsfKey(EditKey key) {
  if (key == EditKey::Enter) JumpAndPlay();
  if (key == EditKey::Up || key == EditKey::Down) StepCursorFrame(key == EditKey::Up);
}

void PositionEditor::SetBoundary(Boundary b, int64_t samples) {
  Values_[Index(b)] = static_cast<int32_t>(std::clamp<int64_t>(samples, 0, SampleCount_));
  SetText(ControlsOf(b).Field, PositionText(Values_[Index(b)]));
  const int32_t trackLength = Value(Boundary::TrackEnd) - Value(Boundary::TrackStart);
  const int32_t preGapLength = PreGapRegionEnd() - Value(Boundary::PreGapStart);
  switch (b) {
    case Boundary::TrackStart:
      TrackLength_ = trackLength;
      ShowTrackLength();
      if (HasTarget(Boundary::PreGapStart) && !HasTarget(Boundary::PreGapEnd)) {
        PreGapLength_ = preGapLength;
        ShowPreGapLength();
      }
      break;
    case Boundary::TrackEnd:
      TrackLength_ = trackLength;
      ShowTrackLength();
      break;
    case Boundary::PreGapStart:
    case Boundary::PreGapEnd:
      PreGapLength_ = preGapLength;
      ShowPreGapLength();
      break;
  }
}

void PositionEditor::TypeBoundary(Boundary b, const std::string& text) {
  if (!HasTarget(b)) return;
  SetBoundary(b, ParseOrZero(text));
}

void PositionEditor::StepBoundary(Boundary b, bool up) {
  if (!HasTarget(b)) return;
  SetBoundary(b, int64_t{Value(b)} + (up ? 1 : -1));
}

void PositionEditor::SetBoundaryToCursor(Boundary b) {
  if (!HasTarget(b)) return;
  SetBoundary(b, CursorPos_);
}

void PositionEditor::BoundaryKey(Boundary b, EditKey key) {
  if (!HasTarget(b)) return;
  switch (key) {
    case EditKey::Enter:
      TypeCursor(Text(ControlsOf(b).Field));
      JumpAndPlay();
      break;
    case EditKey::Up:
    case EditKey::Down:
      StepBoundary(b, key == EditKey::Up);
      break;
    case EditKey::Other:
      break;
  }
}

void PositionEditor::Play() {
  if (Playable()) Player_.PlayFrom(CursorPos_);
}

void PositionEditor::ClickWaveform(int32_t sample) {
  MoveCursor(sample);
  TrackBarPos_ = std::clamp(CursorPos_ / static_cast<int32_t>(kSamplesPerSecond), 0, TrackBarMax_);
  if (Player_.Playing()) Player_.PlayFrom(CursorPos_);
}

void PositionEditor::Stop() {
  Player_.StopPlay();
}

void PositionEditor::SeekToSecond(int32_t seconds) {
  TrackBarPos_ = std::clamp(seconds, 0, TrackBarMax_);
  MoveCursor(int64_t{TrackBarPos_} * kSamplesPerSecond);
  if (Player_.Playing()) Player_.PlayFrom(CursorPos_);
}

void PositionEditor::JumpAndPlay() {
  TrackBarPos_ = CursorPos_ / kSamplesPerSecond;
  if (Playable()) Player_.PlayFrom(CursorPos_);
}

}  // namespace varnel
