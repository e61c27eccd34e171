// "Import a cue sheet or TOC…": a ripped disc's sheet (a cue sheet, a cdrdao TOC file, or a
// FLAC file with a CUESHEET block) read and laid out (RipLayout.h), replacing the layout as
// "Load disc layout" does. The imported layout belongs to no layout file yet, so it counts
// as unsaved work until it is saved.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "formats/sheets/RipSheet.h"

namespace varnel {

// Filter of the import dialog.
extern const char* const kSheetFileFilter;

// Reads the sheet by its extension: ".toc" a TOC file, ".flac" a FLAC file's cue sheet,
// anything else a cue sheet (any case).
RipResult ReadRipSheetFile(const std::string& path);

// Reads and lays out the sheet at `sheetPath` and, when that succeeds, replaces ctx.Layout
// with it. A sheet that cannot be read or laid out gives an error box naming it, with the
// line; the file questions come from the layout; nothing changes after an error or a No.
// A CDTEXTFILE the sheet names and that exists is used as it is; else the sheet's CD-Text
// (and FLAC files' Vorbis comments) become the layout's typed text. Either turns CD-Text
// on, unless the disc has a data track. What the layout leaves out of the sheet, and the decoded or
// wave copies it lays out compressed and raw files from, are listed in one information box
// afterwards. Ignored while busy. True when the layout was replaced.
bool ImportSheetFile(AppContext& ctx, const std::string& sheetPath);

// The File menu command: ignored while busy; the unsaved-changes question first, then the
// open dialog in LayoutFileDir (the folder remembered), then ImportSheetFile.
void ImportSheet(AppContext& ctx);

}  // namespace varnel
