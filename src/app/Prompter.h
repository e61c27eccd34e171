// The port through which every message box, question, beep and file dialog of the
// system goes. The window implements it with real boxes, varnel-cli prints and answers by
// its flags, and tests use a scripted fake.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnel {

inline constexpr const char* kProgramTitle = "Varnel";

enum class TBoxKind {
  Plain,        // no icon, OK: limits and final results
  Information,  // information icon, OK
  Warning,      // warning icon, OK: values that fail a check
  Error,        // error icon, OK: refused files and failures
};

struct TFileDialogRequest {
  std::string Title;
  // Filter in the "Description|pattern;pattern|Description|pattern" form of the system.
  std::string Filter;
  std::string InitialDir;
  std::string FileName;
  std::string DefaultExt;
  bool Multi = false;
};

class TPrompter {
 public:
  virtual ~TPrompter() = default;

  // A modal box titled with the program's title and an OK button, preceded by the beep.
  virtual void ShowMessage(TBoxKind kind, const std::string& text) = 0;
  // "Do you want to continue?" questions: no icon, Yes and No, preceded by the beep.
  // True for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // Overwrite questions: OK and Cancel, preceded by the beep. True for OK.
  virtual bool ConfirmOkCancel(const std::string& text) = 0;
  // Just the beep.
  virtual void Beep() = 0;

  // Open dialog; the chosen paths in the dialog's order, empty when cancelled.
  virtual std::vector<std::string> OpenFiles(const TFileDialogRequest& request) = 0;
  // Save dialog; nothing when cancelled.
  virtual std::optional<std::string> SaveFile(const TFileDialogRequest& request) = 0;
  // Folder browser; nothing when cancelled.
  virtual std::optional<std::string> BrowseFolder(const std::string& title,
                                                  const std::string& initialDir) = 0;
};

}  // namespace varnel
