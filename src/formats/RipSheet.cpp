// Small helpers of the ripped-disc picture.
#include "RipSheet.h"

#include <strings.h>

namespace varnel {

std::string TRipError::Text() const {
  if (Line <= 0) return Message;
  return "line " + std::to_string(Line) + ": " + Message;
}

bool TRipCdText::Empty() const {
  return Title.empty() && Performer.empty() && Songwriter.empty() && Composer.empty() &&
         Arranger.empty() && Message.empty() && DiscId.empty() && Genre.empty() && UpcEan.empty() &&
         Isrc.empty();
}

const TRipIndex* TRipTrack::FindIndex(int32_t number) const {
  for (const TRipIndex& index : Indices) {
    if (index.Number == number) return &index;
  }
  return nullptr;
}

const TRipRem* FindRem(const std::vector<TRipRem>& rems, const std::string& key) {
  for (const TRipRem& rem : rems) {
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
