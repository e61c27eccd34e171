// The operations that change the disc layout from the main window's commands: choosing
// the data track image and the CD-Text file, adding audio files (from the file dialog or
// by dropping them), removing and clearing tracks, starting a new layout and correcting
// the running byte total. Dialogs, questions, messages and beeps go through ctx.Prompter;
// every change of the track list or of the data track path ends with RefreshStatusBar.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"

namespace varnel {

// File dialog filters of the track list commands, in the system's "Description|pattern" form.
extern const char* const kAudioFileFilter;
extern const char* const kImageFileFilter;
extern const char* const kCdtFileFilter;

inline constexpr const char* kTooManyTracksMessage = "A disc cannot have more than 99 tracks.";

// Checks one file and appends it as a track with the default properties of the settings
// (MP3 and CD+G tracks without cut and head-padding options); adds its bytes to TotalBytes.
// Returns whether to go on with further files: true after adding, or the user's answer to
// the refusal question.
bool AddTrackFile(AppContext& ctx, const std::string& path);

// The loop that adding from the dialog and dropping on the list share: the paths that can
// find room on the disc decoded first, all at once (DecodeAhead); then for each path in
// order, stop with the 99-track message when the disc is full (the data track counted),
// else AddTrackFile, stopping when it says so. Does not refresh the status bar.
void AddTrackFiles(AppContext& ctx, const std::vector<std::string>& paths);

// "Select .wav/.mp3/.cdg files for audio tracks": multi-selection dialog in the wave folder,
// the files added in the dialog's order, the folder remembered. Ignored while busy.
void AddAudioFiles(AppContext& ctx);

// Files dropped on the main window; `controlName` is the objectName of the control under
// the pointer. Data track controls take the first path as the image, the .cdt field the
// first path when its extension is exactly ".cdt", the track list and its header add every
// path; anything else ignores the drop. Paths are taken whole.
void DropFiles(AppContext& ctx, const std::string& controlName,
               const std::vector<std::string>& paths);

// Removes the selected track and subtracts its bytes from TotalBytes. Ignored while busy or
// when nothing is selected.
void RemoveSelectedTrack(AppContext& ctx);

// Destroys every track and sets TotalBytes to 0 (no status bar refresh). Ignored while busy.
void ClearTracks(AppContext& ctx);
// "Clear audio tracks": the unsaved-changes question (ConfirmDiscardLayout), then
// ClearTracks and RefreshStatusBar. Ignored while busy.
void ClearAudioTracks(AppContext& ctx);

// "New deic layout": the unsaved-changes question, then empties data track path, CD-Text
// switch, catalog, .cdt path and the tracks; the image type keeps its value. The new
// layout has no file and no changes. Ignored while busy.
void NewLayout(AppContext& ctx);

// Exchanges the entries `a` and `b` of the track list (a row dragged over another).
// Indexes outside the list are ignored. TotalBytes and the status bar are unaffected.
void ExchangeTracks(AppContext& ctx, int32_t a, int32_t b);

// Moves the selected track one place up (`delta` −1) or down (+1), the selection going
// with it. Ignored while busy, without a selection, or at either end of the list. True
// when a track moved.
bool MoveSelectedTrack(AppContext& ctx, int32_t delta);

// Adds `difference` to TotalBytes and refreshes the status bar (the track dialog calls it
// with the new minus the old GetTotalBytes of the track it edited).
void AdjustTotal(AppContext& ctx, int64_t difference);

// "Select a .bin file for mix-mode disc": open dialog in the image folder; the chosen path
// becomes the data track. Ignored while busy.
void ChooseDataTrackImage(AppContext& ctx);

// The image path field changed to `path`: stores it and runs DataTrackFileChanged.
void SetDataTrackFile(AppContext& ctx, const std::string& path);
// After a change of DataTrackFile: an existing image turns CD-Text off and makes its box
// unavailable and the image type box available; otherwise the reverse (the CD-Text check
// mark is left as it is). Redraws the list and refreshes the status bar.
void DataTrackFileChanged(AppContext& ctx);

// "Select a .cdt file for CD-TEXT information": open dialog in the .cdt folder; sets CdtPath.
void ChooseCdtFile(AppContext& ctx);

}  // namespace varnel
