#include "CliPrompter.h"

#include <ostream>

namespace varnel::cli {

void TCliPrompter::ShowMessage(TBoxKind kind, const std::string& text) {
  if (kind == TBoxKind::Warning || kind == TBoxKind::Error) {
    ShowedError = true;
    Err_ << text << std::endl;
  } else {
    Out_ << text << std::endl;
  }
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
