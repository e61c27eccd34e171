// The window program's Prompter: the system beep followed by a modal QMessageBox titled
// "Varnel", and Qt's own file and folder dialogs.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "app/ports/Prompter.h"

namespace varnel {

// Turns the system's filter form "Desc|pat;pat|Desc|pat" into Qt's "Desc (pat pat);;Desc
// (pat)". A parenthesised pattern list already ending a description is replaced by the
// real patterns, and "*.*" (every file on the system the form comes from) becomes "*".
// A trailing description without patterns is dropped.
QString QtFileFilter(const std::string& filter);

class QtPrompter : public Prompter {
 public:
  // `parent` gives the boxes their owner; when it returns null the active window is used.
  explicit QtPrompter(std::function<QWidget*()> parent = {});

  // The detail goes to the box's detailed text; a folder adds a button that opens it.
  void Show(const MessageBox& message) override;
  bool AskYesNo(const std::string& text) override;
  bool ConfirmOkCancel(const std::string& text) override;
  SaveAnswer AskSaveChanges(const std::string& text) override;
  void Beep() override;
  // The findings in a list, with "Make anyway" and "Cancel" (the default).
  bool ConfirmFindings(const std::vector<DiscFinding>& findings) override;
  std::vector<std::string> OpenFiles(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> BrowseFolder(const std::string& title,
                                          const std::string& initialDir) override;

 private:
  QWidget* Owner() const;
  std::function<QWidget*()> Parent_;
};

}  // namespace varnel
