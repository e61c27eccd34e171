// Saving and loading a disc layout as an INI-style text file ("Save disc layout" and
// "Load disc layout"). The file carries every user-set field; everything derived from the
// audio files is rebuilt on load by checking each file again.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "AppContext.h"
#include "DiscLayout.h"

namespace varnel {

// Filter of the layout file dialogs.
extern const char* const kLayoutFileFilter;

// The nineteen keys of a track section, in the order they are written.
extern const char* const kTrackSectionKeys[19];

// The whole text of a layout file: sections "FileInfo", "DiscInfo", "DataTrack", then one
// "TrackNN" section per track with its nineteen keys in fixed order; CR LF line ends and
// one empty line after each section.
std::string LayoutFileText(const DiscLayout& layout);

// The track sections of a layout file's text, each as the text of its own: for every index
// below `count` whose section "Track" + index (two digits at least, letter case disregarded)
// the text holds, the first such section, header line included, up to the next header. The
// loader reads each entry from its own section, so that a huge "NumTracks" or a huge file
// costs time in proportion to the text only.
std::map<int32_t, std::string> TrackSectionTexts(const std::string& text, int32_t count);

// Whether saving over an existing file asks first: Ask for a file the user chose in the
// save dialog, Replace for the layout's own file when the user said "Save" to the
// unsaved-changes question.
enum class TOverwrite { Ask, Replace };

// Saves the layout to `path` as "Save disc layout" does after its dialog: an existing file
// needs OK to the overwrite question (unless `overwrite` is Replace) and must be writable;
// the text is written to a temporary file and renamed over the old one only when
// complete, so a failed write (shown in an error box with the file name and the system's
// reason) keeps the old file. True when the file was written; the layout then counts as
// saved to `path`.
bool SaveLayoutFile(TAppContext& ctx, const std::string& path,
                    TOverwrite overwrite = TOverwrite::Ask);

// "Save disc layout": save dialog in LayoutFileDir (offering the layout file's name), the
// folder remembered, then SaveLayoutFile. True when the file was written.
bool FileSaveExecute(TAppContext& ctx);

// Loads the layout file at `path` into ctx.Layout as "Load disc layout" does (questions and
// messages through ctx.Prompter; MakeState guard). A file that is no layout of this
// program, or that cannot be read (not a regular file, over 64 MiB: the reason goes to the
// box's detail), is refused before the current layout is touched. True when a layout was
// loaded; it then counts as unchanged, held by `path`.
bool LoadLayoutFile(TAppContext& ctx, const std::string& path);

// "Load disc layout": ignored while busy; the unsaved-changes question (ConfirmDiscardLayout)
// first, then the open dialog in LayoutFileDir, the folder remembered, then LoadLayoutFile.
void FileLoadExecute(TAppContext& ctx);

}  // namespace varnel
