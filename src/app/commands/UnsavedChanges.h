// Unsaved work: whether the disc layout differs from the layout file it was last loaded
// from or saved to (or from the empty layout of the start or of "New"), the main window's
// title that shows it, and the question a command asks before it discards such work.
//
// The layout counts as changed when saving it now would write another text than the one
// remembered: every change of a value the file keeps counts, whoever made it (a command,
// a dialog, a field typed into, a row dragged), and a change undone counts no more.
#pragma once

#include <string>

#include "app/AppContext.h"

namespace varnel {

inline constexpr const char* kSaveChangesQuestion = "Save changes to the disc layout?";

// Remembers the layout as it is now as the one the file at `path` holds (empty: no file).
void RememberSavedLayout(AppContext& ctx, const std::string& path);

// The layout differs from the one remembered.
bool LayoutModified(const AppContext& ctx);

// What the title calls a layout that has no file yet.
inline constexpr const char* kUntitledLayoutName = "Untitled";

// "Varnel" while no layout file is known and nothing was changed; otherwise the file's name
// ("Untitled" without one), "*" after it when the layout has unsaved changes, then
// " — Varnel": "disc.txt* — Varnel", "Untitled* — Varnel".
std::string MainWindowTitle(const AppContext& ctx);

// Asked by every command that would discard the layout (Clear, New, Load, closing the
// window) before it does anything: true when it may go on. Without unsaved changes it
// asks nothing. Otherwise "Save changes to the disc layout?": Save writes the layout to
// its file (or, without one, through the save dialog) and goes on only when it was
// written; Discard goes on; Cancel stops.
bool ConfirmDiscardLayout(AppContext& ctx);

}  // namespace varnel
