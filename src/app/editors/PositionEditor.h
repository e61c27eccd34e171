// The logic of the position editor ("Position Editor"): region boundaries inside one wave
// file set to the exact sample frame, with a cursor, four boundaries, their lengths, and
// preview playback from any point.
//
// The caller hands over a file, its data summary and up to four of its own position
// variables (the targets); the editor writes them back only when ApplyPositions passes its
// checks, and forgets them when it closes, so a stale target is never written.
//
// Every control's state (text, enabled, colours) is held here; a window binds each widget
// to it and forwards the user's actions to the methods below. The change actions stand
// for the user's own typing (the window does not forward the texts it writes itself), and
// take the field's text as shown, blanks included: a field with an empty place does not
// read as a number.
//
// All positions are sample frames from the start of the file's sample data and stay
// within 0 … SampleCount, so no length can overflow. A file of 0 data bytes works like any
// other: every position is 0.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/editors/FieldColours.h"
#include "app/editors/PreviewPlayer.h"
#include "app/ports/Prompter.h"
#include "model/Track.h"

namespace varnel {

inline constexpr const char* kPreGapTooSmallMessage = "Pre-gap must be larger than zero.";
inline constexpr const char* kTrackTooSmallMessage = "Track must be larger than zero.\"";

// The controls of the dialog whose state the editor holds; PositionControlName gives each one's
// name, which the window uses as the widget's object name.
enum class PositionControl : int32_t {
  PosEdit,
  PosUd,
  PosMSFEdit,
  PosMSFUd,
  SetStartBtn,
  SetEndBtn,
  SetPreGapStartBtn,
  SetPreGapEndBtn,
  PreGapGroup,
  PreGapStartLbl,
  PreGapStartEdit,
  PreGapStartUd,
  PreGapEndLbl,
  PreGapEndEdit,
  PreGapEndUd,
  PreGapLengthLbl,
  PreGapLengthEdit,
  PreGapLengthMSFEdit,
  TrackGroup,
  TrackStartLbl,
  TrackStartEdit,
  TrackStartUd,
  TrackEndLbl,
  TrackEndEdit,
  TrackEndUd,
  TrackLengthLbl,
  TrackLengthEdit,
  TrackLengthMSFEdit,
  OkBtn,
  ApplyBtn,
  CancelBtn,
  TrackBar,
  TrackBarStartLbl,
  LengthLbl,
  PlayBtn,
  StopBtn,
};
inline constexpr int32_t kPositionControlCount = static_cast<int32_t>(PositionControl::StopBtn) + 1;
const char* PositionControlName(PositionControl ctl);

enum class Boundary { TrackStart, TrackEnd, PreGapStart, PreGapEnd };
// Keys the position fields react to.
enum class EditKey { Enter, Up, Down, Other };

// "%.10d": at least ten digits, zero-filled, a minus sign before them when negative.
std::string PositionText(int64_t samples);
// "%.2d:%.2d:%.2d" of minutes p / 2646000, seconds (p / 44100) mod 60, frames
// (p / 588) mod 75, for a position p ≥ 0.
std::string PositionMsfText(int64_t samples);
// "-" when negative, the MSF text of the absolute value, "+" when that is not a whole
// number of CD frames: −600 → "-00:00:01+", 588 → "00:00:01".
std::string LengthMsfText(int64_t samples);

class PositionEditor {
 public:
  // `device` may be null: Play is then never available.
  PositionEditor(Prompter& prompter, PreviewDevice* device);

  // Before each showing: the file, its summary (copied) and the targets, each may be null.
  // Groups, fields and buttons of boundaries without a target are disabled; the others show
  // the target's value held within 0 … SampleCount.
  void SetupPositions(const std::string& path, const WaveDataInfo& info, int32_t* trackStart,
                      int32_t* trackEnd, int32_t* preGapStart, int32_t* preGapEnd);
  // Showing: the track bar's length in whole seconds (any fraction counts as one), the
  // cursor reset to 0, the player opened; Play is available exactly when that succeeded.
  void Open();
  // Closing, whatever closed it: playback stopped, the device closed, the file, its
  // summary and the targets forgotten.
  void Close();

  // Checks the lengths (pre-gap first) and writes the boundaries to their targets. On a
  // failed check: the warning, nothing written, false.
  bool ApplyPositions();
  // OK: true when the dialog may close.
  bool Accept() { return ApplyPositions(); }
  void Apply() { ApplyPositions(); }

  // The cursor. Typing in the sample field or the MSF field moves it (held within
  // 0 … SampleCount) and rewrites both; the sample arrows step one sample frame, the MSF
  // arrows one CD frame (0 … MaxCursorFrame); Enter jumps there and plays.
  void TypeCursor(const std::string& text);
  void TypeCursorMsf(const std::string& text);
  void StepCursor(bool up);
  void StepCursorFrame(bool up);
  void CursorKey(EditKey key);
  void CursorMsfKey(EditKey key);

  // The boundary family. A change is held within 0 … SampleCount, rewritten, and the
  // lengths that depend on the boundary follow. The set button copies the cursor. Enter
  // moves the cursor to the boundary and plays from there; the arrow keys step it. A
  // boundary without a target ignores all of these (its controls are disabled).
  void TypeBoundary(Boundary b, const std::string& text);
  void StepBoundary(Boundary b, bool up);
  void SetBoundaryToCursor(Boundary b);
  void BoundaryKey(Boundary b, EditKey key);

  // Preview playback. Without a sound output since the last try, Play and Enter try to open
  // one again first.
  void Play();
  void Stop();
  // The track bar moved to `seconds` (by the user): the cursor goes to that whole second,
  // held at the end of the data; playback follows only while playing.
  void SeekToSecond(int32_t seconds);
  // Enter in a position field: the track bar shows the second of the cursor (without
  // moving the cursor again), and playback starts at the cursor's exact sample frame.
  void JumpAndPlay();
  // A click in the waveform at `sample`: the cursor goes there and the track bar to its
  // second; playback follows only while playing.
  void ClickWaveform(int32_t sample);
  // The device's report of how a play ended.
  void PlayEnded(PlayOutcome code) { Player_.Notify(code); }

  // State of the controls.
  bool Enabled(PositionControl ctl) const { return Enabled_[Index(ctl)]; }
  const std::string& Text(PositionControl ctl) const { return Text_[Index(ctl)]; }
  FieldColour Colour(PositionControl ctl) const { return Colour_[Index(ctl)]; }
  TextColour TextColourOf(PositionControl ctl) const { return TextColour_[Index(ctl)]; }
  int32_t TrackBarMax() const { return TrackBarMax_; }
  int32_t TrackBarPos() const { return TrackBarPos_; }
  // While a play runs: the sample frame being heard (within the file), else −1.
  int32_t Playhead() const;
  // The track bar as shown: the second being heard while a play runs (the playhead),
  // else TrackBarPos. The cursor stays where the user put it.
  int32_t TrackBarShownPos() const;
  // Why Play is unavailable since the last showing (empty while it is available).
  const std::string& PlayUnavailableReason() const { return PlayUnavailableReason_; }

  // The editing state.
  const std::string& ShownFileName() const { return ShownFileName_; }
  const WaveDataInfo& ShownWaveInfo() const { return ShownWaveInfo_; }
  int32_t SampleCount() const { return SampleCount_; }
  int32_t MaxCursorFrame() const { return MaxCursorFrame_; }
  int32_t CursorPos() const { return CursorPos_; }
  int32_t CursorFrame() const { return CursorFrame_; }
  int32_t Value(Boundary b) const { return Values_[Index(b)]; }
  bool HasTarget(Boundary b) const { return Targets_[Index(b)] != nullptr; }
  int32_t TrackLength() const { return TrackLength_; }
  int32_t PreGapLength() const { return PreGapLength_; }
  bool Playing() const { return Player_.Playing(); }

 private:
  static size_t Index(PositionControl ctl) { return static_cast<size_t>(ctl); }
  static size_t Index(Boundary b) { return static_cast<size_t>(b); }

  void SetEnabled(PositionControl ctl, bool enabled);
  void SetEditEnabled(PositionControl ctl, bool enabled);
  void SetText(PositionControl ctl, std::string text) { Text_[Index(ctl)] = std::move(text); }
  // The cursor moved to `samples` (held within 0 … SampleCount); both fields rewritten.
  void MoveCursor(int64_t samples);
  // A boundary takes `samples` (held within 0 … SampleCount), its field is rewritten and
  // the lengths of its row follow.
  void SetBoundary(Boundary b, int64_t samples);
  void ShowTrackLength();
  void ShowPreGapLength();
  // The pre-gap region ends at the pre-gap end when that is edited, else at the track start.
  int32_t PreGapRegionEnd() const;

  Prompter& Prompter_;
  PreviewPlayer Player_;

  std::array<bool, kPositionControlCount> Enabled_{};
  std::array<std::string, kPositionControlCount> Text_{};
  std::array<FieldColour, kPositionControlCount> Colour_{};
  std::array<TextColour, kPositionControlCount> TextColour_{};
  int32_t TrackBarMax_ = 0;
  int32_t TrackBarPos_ = 0;
  std::string PlayUnavailableReason_;
  bool OpenForPlay();
  bool Playable();

  std::string ShownFileName_;
  WaveDataInfo ShownWaveInfo_;
  int32_t SampleCount_ = 0;
  int32_t MaxCursorFrame_ = 0;
  int32_t CursorPos_ = 0;
  int32_t CursorFrame_ = 0;
  std::array<int32_t, 4> Values_{};
  std::array<int32_t*, 4> Targets_{};
  int32_t TrackLength_ = 0;
  int32_t PreGapLength_ = 0;
};

}  // namespace varnel
