// The port through which every message box, question, beep and file dialog of the
// system goes. The window implements it with real boxes, varnel-cli prints and answers by
// its flags, and tests use a scripted fake.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/check/DiscFinding.h"
#include "model/PathNames.h"

namespace varnel {

inline constexpr const char* kProgramTitle = "Varnel";
// When no program could be started to open a folder or the user guide: where to go by
// hand, the place following on a line of its own.
inline constexpr const char* kNoFileManagerMessage =
    "No file manager could be started to open the folder. It is:";
inline constexpr const char* kNoBrowserMessage =
    "No web browser could be started to open the user guide. It is at:";

enum class BoxKind {
  Plain,        // no icon, OK: final results
  Information,  // information icon, OK
  Warning,      // warning icon, OK: values that fail a check
  Error,        // error icon, OK: refused files and failures
  Limit,        // no icon, OK, like Plain: a limit was reached and the command stopped there
  LeftOut,      // warning icon, OK: a file was read without some of what it declares
                // (varnel-cli: a warning that --yes accepts)
};

// One message box. The text is the system's own, fixed wording; the detail travels beside
// it and is shown only on demand (the box's detailed text, varnel-cli --verbose): the
// reason of a failure (the system's error text and the path) or where a result went.
struct MessageBox {
  BoxKind Kind = BoxKind::Plain;
  std::string Text;
  std::string Detail;  // may be empty
  std::string Folder;  // a folder the box offers to open (results of a Make); may be empty
};

// The answers to the question asked before a command discards unsaved work.
enum class SaveAnswer { Save, Discard, Cancel };

struct FileDialogRequest {
  std::string Title;
  // Filter in the "Description|pattern;pattern|Description|pattern" form of the system.
  std::string Filter;
  std::string InitialDir;
  std::string FileName;
  std::string DefaultExt;
  bool Multi = false;
};

// A path in the form the file dialogs return a chosen one: absolute, without ".", ".." or
// doubled "/" (an empty path stays empty). Front ends that take paths from elsewhere, as
// varnel-cli does from its arguments, hand them on in this form.
inline std::string DialogPath(const std::string& path) {
  return path.empty() ? path : NormalAbsolutePath(path);
}

class Prompter {
 public:
  virtual ~Prompter() = default;

  // A modal box titled with the program's title and an OK button, preceded by the beep.
  virtual void Show(const MessageBox& message) = 0;
  void ShowMessage(BoxKind kind, const std::string& text) { Show({kind, text, {}, {}}); }
  // "Do you want to continue?" questions: no icon, Yes and No, preceded by the beep.
  // True for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // Overwrite questions: OK and Cancel, preceded by the beep. True for OK.
  virtual bool ConfirmOkCancel(const std::string& text) = 0;
  // The unsaved-changes question: Save, Discard and Cancel (Escape and the close box are
  // Cancel), preceded by the beep.
  virtual SaveAnswer AskSaveChanges(const std::string& text) = 0;
  // Just the beep.
  virtual void Beep() = 0;

  // The disc check's findings when Make or Test starts and the check found an error: the
  // list, with "Make anyway" and "Cancel". True for Make anyway. A front end without such
  // a list shows every finding line in one error box and answers Cancel.
  virtual bool ConfirmFindings(const std::vector<DiscFinding>& findings) {
    std::string text;
    for (const DiscFinding& f : findings) text += (text.empty() ? "" : "\n") + FindingLine(f);
    Show({BoxKind::Error, text, {}, {}});
    return false;
  }

  // Open dialog; the chosen paths in the dialog's order, empty when cancelled.
  virtual std::vector<std::string> OpenFiles(const FileDialogRequest& request) = 0;
  // Save dialog; nothing when cancelled.
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  // Folder browser; nothing when cancelled.
  virtual std::optional<std::string> BrowseFolder(const std::string& title,
                                                  const std::string& initialDir) = 0;
};

}  // namespace varnel
