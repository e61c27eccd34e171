#include "cli/CliPrompter.h"

#include <ostream>

namespace varnel::cli {

void CliPrompter::Show(const MessageBox& m) {
  switch (m.Kind) {
    case BoxKind::Warning:
    case BoxKind::Error:
      ShowedError = true;
      Err_ << m.Text << std::endl;
      break;
    case BoxKind::Limit:
      Err_ << m.Text << std::endl;
      break;
    case BoxKind::LeftOut:
      if (!AnswerYes) ShowedError = true;
      Err_ << m.Text << std::endl;
      break;
    case BoxKind::Plain:
    case BoxKind::Information:
      Out_ << m.Text << std::endl;
      break;
  }
  if (Verbose && !m.Detail.empty()) Err_ << m.Detail << std::endl;
}

bool CliPrompter::AskYesNo(const std::string& text) {
  Err_ << text << std::endl;
  if (!AnswerYes) Unanswered = true;
  return AnswerYes;
}

bool CliPrompter::ConfirmOkCancel(const std::string& text) {
  Err_ << text << std::endl;
  if (!AnswerOverwrite) Unanswered = true;
  return AnswerOverwrite;
}

bool CliPrompter::ConfirmFindings(const std::vector<DiscFinding>& findings) {
  for (const DiscFinding& f : findings) Err_ << FindingLine(f) << '\n';
  Err_.flush();
  if (!AnswerYes) ShowedError = true;
  return AnswerYes;
}

SaveAnswer CliPrompter::AskSaveChanges(const std::string& text) {
  Err_ << text << std::endl;
  return SaveAnswer::Discard;
}

std::vector<std::string> CliPrompter::OpenFiles(const FileDialogRequest&) {
  return OpenPaths;
}

std::optional<std::string> CliPrompter::SaveFile(const FileDialogRequest&) {
  return SavePath;
}

std::optional<std::string> CliPrompter::BrowseFolder(const std::string&, const std::string&) {
  return std::nullopt;
}

}  // namespace varnel::cli
