// Everything the user assembles for one disc: catalog number, CD-Text switch and file,
// the optional data track image, and the ordered list of audio tracks it owns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Track.h"

namespace varnel {

inline constexpr int32_t kMaxTracks = 99;

// Texts of the image type box, indexed by ImageType.
extern const char* const kImageTypeTexts[4];

// The text the catalog number field holds for `text`: 13 positions, a digit where `text`
// has one, a blank everywhere else (an empty text gives 13 blanks).
std::string CatalogFieldText(const std::string& text);

class DiscLayout {
 public:
  std::string MediaCatalog = std::string(13, ' ');
  bool CdTextEnabled = false;
  std::string CdtPath;
  std::string DataTrackFile;
  int32_t ImageType = 0;
  // Running sum of GetTotalBytes over the tracks, kept by the list operations.
  int64_t TotalBytes = 0;

  // A regular file exists at DataTrackFile (empty path: no): the disc is mixed-mode and
  // the data track is track 1.
  bool HasDataTrack() const;

  // The ordered, owned track list.
  int32_t Count() const { return static_cast<int32_t>(Tracks.size()); }
  Track& At(int32_t index) { return *Tracks.at(static_cast<size_t>(index)); }
  const Track& At(int32_t index) const { return *Tracks.at(static_cast<size_t>(index)); }
  void Append(std::unique_ptr<Track> track) { Tracks.push_back(std::move(track)); }
  // Delete destroys the track at index; Exchange swaps two entries (the same objects move).
  // Both leave TotalBytes to the caller and throw std::out_of_range for an index outside
  // [0, Count()), changing nothing.
  void Delete(int32_t index);
  void Exchange(int32_t a, int32_t b);
  void Clear() { Tracks.clear(); }

 private:
  std::vector<std::unique_ptr<Track>> Tracks;
};

}  // namespace varnel
