// Small helpers of the ripped-disc picture.
#include "formats/sheets/RipSheet.h"

#include <strings.h>

namespace varnel {

std::string RipError::Text() const {
  if (Line <= 0) return Message;
  return "line " + std::to_string(Line) + ": " + Message;
}

bool RipCdText::Empty() const {
  return Title.empty() && Performer.empty() && Songwriter.empty() && Composer.empty() &&
         Arranger.empty() && Message.empty() && DiscId.empty() && Genre.empty() && UpcEan.empty() &&
         Isrc.empty();
}

const RipIndex* RipTrack::FindIndex(int32_t number) const {
  for (const RipIndex& index : Indices) {
    if (index.Number == number) return &index;
  }
  return nullptr;
}

const RipRem* FindRem(const std::vector<RipRem>& rems, const std::string& key) {
  for (const RipRem& rem : rems) {
    if (::strcasecmp(rem.Key.c_str(), key.c_str()) == 0) return &rem;
  }
  return nullptr;
}

std::string ResolveSheetPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty() || name.front() == '/') return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string SheetFolder(const std::string& sheetPath) {
  const size_t slash = sheetPath.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return sheetPath.substr(0, slash);
}

}  // namespace varnel
