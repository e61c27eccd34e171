// "Import a cue sheet or TOC…": a ripped disc's sheet (a cue sheet, a cdrdao TOC file, or a
// FLAC file with a CUESHEET block) read and laid out (RipLayout.h), replacing the layout as
// "Load disc layout" does. The imported layout belongs to no layout file yet, so it counts
// as unsaved work until it is saved.
#pragma once

#include <string>

#include "app/AppContext.h"
#include "app/commands/OverwriteRule.h"
#include "formats/sheets/RipSheet.h"

namespace varnel {

// Filter of the import dialog.
extern const char* const kSheetFileFilter;

// Reads the sheet by its extension: ".toc" a TOC file, ".flac" a FLAC file's cue sheet,
// anything else a cue sheet (any case).
RipResult ReadRipSheetFile(const std::string& path);

// The .cdt file that keeps an imported disc's CD-Text beside `path`: its name with ".cdt"
// for the extension.
std::string CdtPathBeside(const std::string& path);

// Reads and lays out the sheet at `sheetPath` and, when that succeeds, replaces ctx.Layout
// with it. A sheet that cannot be read or laid out gives an error box naming it, with the
// line; the file questions come from the layout; nothing changes after an error or a No.
// When the sheet carries CD-Text it is written to `cdtPath` (the overwrite question first;
// an empty path writes none) and CD-Text is turned on; a CDTEXTFILE the sheet names and
// that exists is used as it is. What the layout leaves out of the sheet, and the decoded or
// wave copies it lays out compressed and raw files from, are listed in one information box
// afterwards. Ignored while busy. True when the layout was replaced.
// Neither the .cdt file nor `layoutPath` (where the caller saves the layout next; may be
// empty) may be the sheet or a file the layout reads: such a name is refused
// (MayWriteBeside) before anything is written. The sheet stays ctx.SourceSheet.
bool ImportSheetFile(AppContext& ctx, const std::string& sheetPath, const std::string& cdtPath,
                     Overwrite overwrite = Overwrite::Ask, const std::string& layoutPath = {});

// The File menu command: ignored while busy; the unsaved-changes question first, then the
// open dialog in LayoutFileDir (the folder remembered), then ImportSheetFile with the .cdt
// beside the sheet (in the working folder when the sheet's folder cannot be written).
void ImportSheet(AppContext& ctx);

}  // namespace varnel
