// The logic of the track property dialog ("Track Properties"): one track of the layout
// edited on copies, stored in one go by OK or Apply when the checks pass.
//
// The caller sets Track and WaveFileDir, calls Load, lets the user act, and after the
// dialog has closed (whatever closed it) takes WaveFileDir back into its settings. The
// editor holds the state of every control; the window binds each widget to it and forwards
// the user's actions to the methods below. Messages and the file dialog go through the
// prompter of the context; the position editor is reached through its port.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/AppContext.h"
#include "app/editors/FieldColours.h"
#include "app/editors/PreGapLengthFields.h"
#include "app/ports/PositionEditorPort.h"
#include "model/Track.h"

namespace varnel {

inline constexpr const char* kWaveOpenFilter =
    "Wave files (*.wav)|*.wav|"
    "FLAC, AIFF, Ogg Vorbis and Opus files (*.flac; *.aif; *.aiff; *.ogg; *.oga; *.opus)|"
    "*.flac;*.aif;*.aiff;*.ogg;*.oga;*.opus|All files (*.*)|*.*";
inline constexpr const char* kWaveOpenDefaultExt = ".wav";
inline constexpr const char* kSelectHiddenWaveMessage = "Select a wave file for the hidden track.";
inline constexpr const char* kSetPreGapAndTrackMessage = "Set pre-gap and track length.";
// Follow the quoted path in the Browse refusals.
inline constexpr const char* kNotCdAudioSuffix = " is not PCM, 44.1kHz, 16bit, Streo. ";
inline constexpr const char* kNotRiffWaveSuffix = " is not Riff-Wave file.";

// The controls whose state the editor holds; TrackPropertyControlName gives each one's name,
// which the window uses as the widget's object name.
enum class TrackPropertyControl : int32_t {
  TrackPathEdit,
  PosBtn,
  ISRCEdit,
  PreEmphCk,
  ProtectCk,
  PadHeadRdBtn,
  PadTailRdBtn,
  SilenceGroup,
  CutLeadCk,
  CutTrailCk,
  PreGapNormalRdBtn,
  MinLbl,
  MinEdit,
  MinUd,
  SecLbl,
  SecEdit,
  SecUd,
  FrameLbl,
  FrameEdit,
  FrameUd,
  PreGapFileRdBtn,
  HdnFileLbl,
  PreGapPathEdit,
  PreGapBrowseBtn,
  PreGapPosBtn,
  PreGapPadGroup,
  PreGapPadLbl,
  PreGapPadHeadRdBtn,
  PreGapPadTailRdBtn,
  PreGapSilenceGroup,
  PreGapSilenceLbl,
  GapCutLeadCk,
  GapCutTrailCk,
  PreGapIndexRdBtn,
  OkBtn,
  ApplyBtn,
  CancelBtn,
};
inline constexpr int32_t kTrackPropertyControlCount =
    static_cast<int32_t>(TrackPropertyControl::CancelBtn) + 1;
const char* TrackPropertyControlName(TrackPropertyControl ctl);

// The text the ISRC field holds for `text`: 12 places, five letters or digits then seven
// digits; a place whose character does not fit is empty (a blank). A field with nothing
// in it gives the empty text.
std::string IsrcFieldText(const std::string& text);

// Reads a chosen hidden-track file: 1 for a PCM wave file of 44 100 Hz, 2 channels,
// 16 bits; 0 for another PCM wave file; −1 when no PCM wave header can be read (missing
// file, not RIFF/WAVE, bad format chunk, no data chunk). `info` is filled on 1 and 0.
int32_t CheckPreGapWave(const std::string& path, WaveDataInfo& info);

class TrackPropertiesEditor {
 public:
  // `positions` may be null: the position buttons then do nothing.
  TrackPropertiesEditor(AppContext& ctx, PositionEditorPort* positions);

  // Set by the caller before showing. Without a track, showing and storing do nothing.
  varnel::Track* Track = nullptr;
  // In: the folder the wave-file dialog starts in. Out: the folder of the last file chosen
  // with Browse, once a store has succeeded.
  std::string WaveFileDir;

  // Loads every control and the working state from the track.
  void Load();

  // The pre-gap style radios: each checks itself and sets the enable states of its style.
  void ChooseSilentPreGap();
  void ChooseHiddenFilePreGap();
  void ChooseSameFilePreGap();
  // Enables or disables the controls that only make sense for a wave track (edit field
  // colours are left as they are).
  void EnableWaveControls(bool enable);

  // Typing. The ISRC field's text is taken as shown, place by place (a blank or a mask's
  // placeholder where nothing was typed).
  void TypeIsrc(const std::string& text) { Isrc = IsrcFieldText(text); }
  void TypePreGapPath(const std::string& text);
  void TypeLength(LengthField field, const std::string& text);
  // One click on an arrow of the pre-gap length, with the carry rules (refused clicks
  // change nothing).
  void StepLength(LengthField field, bool up);

  // "&Browse": the wave-file dialog in BrowseDir, then ReadPreGapFile; BrowseDir follows
  // the chosen file in either case.
  void BrowsePreGapFile();
  // Reads `path` as the hidden-track file: an accepted file becomes it with its whole data
  // as the region, a refused one gives its error (and false). Browse and storing a typed
  // path both come here.
  bool ReadPreGapFile(const std::string& path);
  // "&Position": the position editor on the track's own file (track start and end, and
  // the pre-gap start in the same-file style).
  void EditTrackPositions();
  // "Pos&ition": the position editor on the hidden-track file (a typed path read first);
  // nothing without a path.
  void EditPreGapPositions();

  // Checks, then writes every field to the track, redraws the track list and corrects the
  // layout's byte total by the track's change since it was shown or last stored. False
  // (after the warning) when a check fails: nothing is written then. A hidden-track path
  // typed rather than chosen is read first (ReadPreGapFile). An ISRC that was
  // edited must be complete or blank (EntryChecks.h); one left as shown is kept as the
  // track holds it.
  bool StoreProperties();
  // OK: true when the dialog may close.
  bool Accept() { return StoreProperties(); }
  void Apply() { StoreProperties(); }

  // The values of the controls. Radio pairs are held as "Head checked".
  std::string TrackPath;
  std::string Isrc;
  bool PreEmph = false;
  bool Protect = false;
  bool PaddingHead = false;
  bool CutLeading = false;
  bool CutTrailing = false;
  std::string PreGapPath;
  bool PreGapPaddingHead = true;
  bool PreGapCutLeading = false;
  bool PreGapCutTrailing = false;
  PreGapLengthFields Length;
  // Which pre-gap radio is checked.
  uint8_t Style() const { return Style_; }
  bool Checked(TrackPropertyControl radio) const;

  // A control's own enabled state, and whether the user can reach it: enabled, and inside
  // a group that is enabled too.
  bool Enabled(TrackPropertyControl ctl) const { return Enabled_[Index(ctl)]; }
  bool Usable(TrackPropertyControl ctl) const;
  FieldColour Colour(TrackPropertyControl ctl) const { return Colour_[Index(ctl)]; }

  // The working state.
  int32_t PendingTrackPreGapPos() const { return PendingTrackPreGapPos_; }
  int32_t PendingTrackStartPos() const { return PendingTrackStartPos_; }
  int32_t PendingTrackEndPos() const { return PendingTrackEndPos_; }
  const WaveDataInfo& PendingPreGapWaveInfo() const { return PendingPreGapWaveInfo_; }
  int32_t PendingPreGapStartPos() const { return PendingPreGapStartPos_; }
  int32_t PendingPreGapEndPos() const { return PendingPreGapEndPos_; }
  const std::string& BrowseDir() const { return BrowseDir_; }
  int64_t ShownTotalBytes() const { return ShownTotalBytes_; }

 private:
  static size_t Index(TrackPropertyControl ctl) { return static_cast<size_t>(ctl); }
  void SetEnabled(TrackPropertyControl ctl, bool enabled) { Enabled_[Index(ctl)] = enabled; }
  void SetEditEnabled(TrackPropertyControl ctl, bool enabled);
  // The enable table of the pre-gap styles, then the wave-only rule.
  void ApplyStyle(uint8_t style);
  bool IsWaveTrack() const { return Track != nullptr && Track->FileMode == FileModeWave; }

  AppContext& Ctx_;
  PositionEditorPort* Positions_;

  uint8_t Style_ = PreGapNormal;
  std::array<bool, kTrackPropertyControlCount> Enabled_{};
  std::array<FieldColour, kTrackPropertyControlCount> Colour_{};

  int32_t PendingTrackPreGapPos_ = 0;
  int32_t PendingTrackStartPos_ = 0;
  int32_t PendingTrackEndPos_ = 0;
  WaveDataInfo PendingPreGapWaveInfo_;
  // The decoded copy of a decoded pre-gap source, and the path it belongs to: it goes with
  // the pre-gap file only while the field still names that path.
  std::string PendingPreGapAudioSource_;
  std::string PendingPreGapAudioFile_;
  const std::string& PendingPreGapAudioPath() const;
  int32_t PendingPreGapStartPos_ = 0;
  int32_t PendingPreGapEndPos_ = 0;
  std::string BrowseDir_;
  int64_t ShownTotalBytes_ = 0;
  // The ISRC field as shown or last stored.
  std::string ShownIsrc_;
};

}  // namespace varnel
