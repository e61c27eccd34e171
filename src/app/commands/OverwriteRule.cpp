#include "app/commands/OverwriteRule.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "model/FileIdentity.h"

namespace varnel {

bool MayWriteOver(Prompter& prompter, const std::string& path, Overwrite overwrite) {
  struct stat entry {};
  if (path.empty() || ::lstat(path.c_str(), &entry) != 0) return true;  // nothing there
  struct stat st {};
  const bool reached = ::stat(path.c_str(), &st) == 0;
  const bool dangling = !reached && errno == ENOENT && S_ISLNK(entry.st_mode);
  if (reached && S_ISDIR(st.st_mode)) return true;
  if (overwrite == Overwrite::Ask &&
      !prompter.ConfirmOkCancel("\"" + path + "\" already exists. Do you overwrite?")) {
    return false;
  }
  // Read-only: no write permission bit at all (what root ignores), or not writable by us.
  const bool writable = dangling || (reached && S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 &&
                                     ::access(path.c_str(), W_OK) == 0);
  if (!writable) {
    prompter.ShowMessage(BoxKind::Error, "Cannot overwrite \"" + path + "\".");
    return false;
  }
  return true;
}

bool MayWriteBeside(Prompter& prompter, const std::string& path,
                    const std::vector<std::string>& inputs) {
  const std::string input = InputWrittenOver(path, inputs);
  if (input.empty()) return true;
  prompter.ShowMessage(BoxKind::Error, "Cannot save \"" + path + "\": it is \"" + input +
                                           "\", a file that the layout is made from.");
  return false;
}

}  // namespace varnel
