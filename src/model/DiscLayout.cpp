#include "model/DiscLayout.h"

#include <filesystem>
#include <stdexcept>
#include <utility>

namespace varnel {

const char* const kImageTypeTexts[4] = {
    "MODE1/2048  - CDROM Mode1 Data (cooked)",
    "MODE1/2352  - CDROM Mode1 Data (raw)",
    "MODE2/2336  - CDROM-XA Mode2 Data",
    "MODE2/2352  - CDROM-XA Mode2 Data",
};

std::string CatalogFieldText(const std::string& text) {
  std::string field(13, ' ');
  for (size_t i = 0; i < field.size() && i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') field[i] = text[i];
  }
  return field;
}

bool DiscLayout::DataTrackImageExists() const {
  if (DataTrackFile.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(DataTrackFile, ec);
}

bool DiscLayout::HasTypedCdText() const {
  if (!CdText.Empty()) return true;
  for (const auto& track : Tracks) {
    if (!track->CdText.Empty()) return true;
  }
  return false;
}

void DiscLayout::Delete(int32_t index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("DiscLayout::Delete: no such track");
  Tracks.erase(Tracks.begin() + index);
}

void DiscLayout::Exchange(int32_t a, int32_t b) {
  if (a < 0 || a >= Count() || b < 0 || b >= Count()) {
    throw std::out_of_range("DiscLayout::Exchange: no such track");
  }
  std::swap(Tracks[static_cast<size_t>(a)], Tracks[static_cast<size_t>(b)]);
}

}  // namespace varnel
