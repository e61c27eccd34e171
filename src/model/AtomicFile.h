// Saving a whole text file so that the old file is replaced in one step or not at all: the
// text goes to a temporary file in the same folder, is flushed to the device, and is renamed
// over the old file only when complete.
#pragma once

#include <string>

namespace varnel {

// Writes `text` to `path`. A missing folder is created; a replaced file keeps its permission
// bits (and owner, where allowed), a new one gets 0666 less the umask; an existing file that
// may not be written is refused (as a read-only file is); anything but a regular file is
// refused. A symbolic link stays a link and the file it names is the one written: replaced
// when it exists, created when the link points nowhere yet. On failure the old file is
// untouched, the temporary removed, and `error` (may be null) receives the system's error text.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

// The name a symbolic link at `path` finally points at, followed link by link (relative
// targets from the link's own folder), also when nothing exists there yet; `path` itself
// when it is no link. Empty after 40 links (a loop).
std::string LinkDestination(const std::string& path);

}  // namespace varnel
