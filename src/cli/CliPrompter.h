// The prompter of varnel-cli: every text goes out exactly as the system words it, on a
// line of its own; questions are answered by the command's flags.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/ports/Prompter.h"

namespace varnel::cli {

// Exit codes of varnel-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // a warning or error was shown, or a check refused
inline constexpr int kExitQuestion = 2;  // a question the flags did not answer
inline constexpr int kExitUsage = 2;     // the command line itself is wrong
inline constexpr int kExitCancelled = 130;

class CliPrompter : public Prompter {
 public:
  CliPrompter(std::ostream& out, std::ostream& err) : Out_(out), Err_(err) {}

  // --yes answers "Do you want to continue?" questions with Yes.
  bool AnswerYes = false;
  // --force answers overwrite questions with OK.
  bool AnswerOverwrite = false;
  // --verbose prints a message's detail after it.
  bool Verbose = false;
  // What the save dialog "chooses" (the path given on the command line).
  std::optional<std::string> SavePath;
  // What the open dialog "chooses".
  std::vector<std::string> OpenPaths;

  // A question was left unanswered (exit 2), or a warning or error was shown (exit 1).
  bool Unanswered = false;
  bool ShowedError = false;

  // Warnings, errors and limits go to stderr, results to stdout; the detail follows on
  // stderr, on a line of its own, with --verbose.
  void Show(const MessageBox& message) override;
  bool AskYesNo(const std::string& text) override;
  bool ConfirmOkCancel(const std::string& text) override;
  // varnel-cli never holds work of its own beyond one command, so nothing is lost: the
  // text is printed and the answer is Discard.
  SaveAnswer AskSaveChanges(const std::string& text) override;
  void Beep() override {}
  // Every finding line on stderr; --yes answers "Make anyway". Refused: exit 1, as for an
  // error.
  bool ConfirmFindings(const std::vector<DiscFinding>& findings) override;
  std::vector<std::string> OpenFiles(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> BrowseFolder(const std::string& title,
                                          const std::string& initialDir) override;

 private:
  std::ostream& Out_;
  std::ostream& Err_;
};

}  // namespace varnel::cli
