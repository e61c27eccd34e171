#include "app/editors/EntryChecks.h"

#include "app/commands/TrackListCommands.h"
#include "model/Isrc.h"

namespace varnel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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
  return IsBlankEntry(text) || IsIsrcIgnoringCase(text);
}

std::string IsrcStoredText(const std::string& entry) {
  return IsBlankEntry(entry) ? std::string() : IsrcInCapitals(entry);
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
