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

}  // namespace varnel
