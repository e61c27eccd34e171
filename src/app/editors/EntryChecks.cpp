#include "app/editors/EntryChecks.h"

#include "app/commands/TrackListCommands.h"

namespace varnel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsLetterOrDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsBlankEntry(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

bool IsCatalogEntry(const std::string& text) {
  if (IsBlankEntry(text)) return true;
  if (text.size() != 13) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

bool IsIsrcEntry(const std::string& text) {
  if (IsBlankEntry(text)) return true;
  if (text.size() != 12) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(i < 5 ? IsLetterOrDigit(text[i]) : IsDigit(text[i]))) return false;
  }
  return true;
}

std::string IsrcStoredText(const std::string& entry) {
  if (IsBlankEntry(entry)) return std::string();
  std::string stored = entry;
  for (char& c : stored) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return stored;
}

bool EnterMediaCatalog(AppContext& ctx, const std::string& text) {
  if (!IsCatalogEntry(text)) {
    ctx.Prompter.ShowMessage(BoxKind::Warning, kCatalogEntryMessage);
    return false;
  }
  ctx.Layout.MediaCatalog = CatalogFieldText(text);
  return true;
}

}  // namespace varnel
