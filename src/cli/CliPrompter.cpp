#include "CliPrompter.h"

#include <ostream>

namespace varnel::cli {

void TCliPrompter::Show(const TMessage& m) {
  switch (m.Kind) {
    case TBoxKind::Warning:
    case TBoxKind::Error:
      ShowedError = true;
      Err_ << m.Text << std::endl;
      break;
    case TBoxKind::Limit:
      Err_ << m.Text << std::endl;
      break;
    case TBoxKind::Plain:
    case TBoxKind::Information:
      Out_ << m.Text << std::endl;
      break;
  }
  if (Verbose && !m.Detail.empty()) Err_ << m.Detail << std::endl;
}

bool TCliPrompter::AskYesNo(const std::string& text) {
  Err_ << text << std::endl;
  if (!AnswerYes) Unanswered = true;
  return AnswerYes;
}

bool TCliPrompter::ConfirmOkCancel(const std::string& text) {
  Err_ << text << std::endl;
  if (!AnswerOverwrite) Unanswered = true;
  return AnswerOverwrite;
}

bool TCliPrompter::ConfirmFindings(const std::vector<TDiscFinding>& findings) {
  for (const TDiscFinding& f : findings) Err_ << FindingLine(f) << '\n';
  Err_.flush();
  if (!AnswerYes) ShowedError = true;
  return AnswerYes;
}

TSaveAnswer TCliPrompter::AskSaveChanges(const std::string& text) {
  Err_ << text << std::endl;
  return TSaveAnswer::Discard;
}

std::vector<std::string> TCliPrompter::OpenFiles(const TFileDialogRequest&) {
  return OpenPaths;
}

std::optional<std::string> TCliPrompter::SaveFile(const TFileDialogRequest&) {
  return SavePath;
}

std::optional<std::string> TCliPrompter::BrowseFolder(const std::string&, const std::string&) {
  return std::nullopt;
}

}  // namespace varnel::cli
