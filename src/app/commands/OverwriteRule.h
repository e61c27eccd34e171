// The one rule for writing over a file the user chose (a disc layout, a cue sheet).
//
// A name that holds something other than a folder counts as existing: a file, a symbolic
// link (also one that points nowhere yet: what is written goes where it points), a device.
// Such a name needs OK to "already exists. Do you overwrite?" and must then be writable: a
// link that points nowhere is (the file it names is created), a regular file (links
// followed) when it has a write permission bit and this process may write it; anything
// else is refused with "Cannot overwrite". An empty name, or a folder, asks nothing: writing
// there fails with the writer's own message.
//
// Before either, a command never writes over a file it reads (model/FileIdentity.h: by name,
// links followed, or by device and inode): Save, Save As, importing and `varnel-cli new`
// refuse such a name with an error box naming both paths, whatever the answer to a question
// would have been.
#pragma once

#include <string>
#include <vector>

#include "app/ports/Prompter.h"

namespace varnel {

// Ask for a file the user chose in a save dialog; Replace for a file the user already agreed
// to replace (the layout's own file after "Save" to the unsaved-changes question).
enum class Overwrite { Ask, Replace };

// True when the file may be written at `path`; false after Cancel or the refusal box.
bool MayWriteOver(Prompter& prompter, const std::string& path,
                  Overwrite overwrite = Overwrite::Ask);

// True when `path` is none of `inputs`; else shows "Cannot save "PATH": it is "INPUT", a file
// that the layout is made from." and returns false.
bool MayWriteBeside(Prompter& prompter, const std::string& path,
                    const std::vector<std::string>& inputs);

}  // namespace varnel
