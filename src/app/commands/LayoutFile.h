// Saving and loading a disc layout as an INI-style text file ("Save disc layout" and
// "Load disc layout"): the dialogs, the questions, the checks of the audio files a loaded
// layout names, and the unsaved-changes bookkeeping. The text itself (LayoutFileText and its
// reading side) is the persistence layer's. Everything derived from the audio files is
// rebuilt on load by checking each file again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/commands/OverwriteRule.h"
#include "model/DiscLayout.h"
#include "persist/LayoutText.h"

namespace varnel {

// Filter of the layout file dialogs.
extern const char* const kLayoutFileFilter;

// The text after the quoted path in the question a refused track file asks while a layout
// is loaded (or a ripped disc imported): " is not MP3 file or doesnot exist."
std::string LoadRefusal(int32_t mode, int32_t result);

// The files a save of the layout must not write over: those the layout reads, and the sheet
// it was imported from.
std::vector<std::string> FilesSavedFrom(const AppContext& ctx);

// Saves the layout to `path` as "Save disc layout" does after its dialog: a file the layout
// is made from is refused (MayWriteBeside); an existing file
// needs OK to the overwrite question (unless `overwrite` is Replace) and must be writable
// (MayWriteOver); the text is written to a temporary file and renamed over the old one only
// when complete, so a failed write (shown in an error box with the file name and the
// system's reason) keeps the old file. True when the file was written; the layout then
// counts as saved to `path`.
bool SaveLayoutFile(AppContext& ctx, const std::string& path, Overwrite overwrite = Overwrite::Ask);

// "Save disc layout": save dialog in LayoutFileDir (offering the layout file's name), the
// folder remembered, then SaveLayoutFile. True when the file was written.
bool SaveLayoutAs(AppContext& ctx);

// Loads the layout file at `path` into ctx.Layout as "Load disc layout" does (questions and
// messages through ctx.Prompter; MakeState guard). A file that is no layout of this
// program, or that cannot be read (not a regular file, over 64 MiB: the reason goes to the
// box's detail), is refused before the current layout is touched. First, a commit of made
// files that a killed run left half done in the work folder (with none set, in the layout's
// own folder) is finished or rolled back. True
// when a layout was loaded; it then counts as unchanged, held by `path`, with no change to
// undo.
bool LoadLayoutFile(AppContext& ctx, const std::string& path);

// "Load disc layout": ignored while busy; the unsaved-changes question (ConfirmDiscardLayout)
// first, then the open dialog in LayoutFileDir, the folder remembered, then LoadLayoutFile.
void OpenLayout(AppContext& ctx);

}  // namespace varnel
