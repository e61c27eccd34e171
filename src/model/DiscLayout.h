// Everything the user assembles for one disc: catalog number, CD-Text switch, file and typed
// text, the optional data track image, and the ordered list of audio tracks it owns.
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

// What a rip recorded of the disc it was ripped from; each part empty when it told nothing:
// its MusicBrainz disc ID, its freedb ID (8 hexadecimal digits), its table of contents as
// MusicBrainz writes it ("first last lead-out offset…") and the CRC32 of each audio track's
// rip ("NN:crc32" separated by blanks).
struct OriginalDisc {
  std::string DiscId;
  std::string FreeDbId;
  std::string Toc;
  std::string Crcs;
  friend bool operator==(const OriginalDisc&, const OriginalDisc&) = default;
};

class DiscLayout {
 public:
  std::string MediaCatalog = std::string(13, ' ');
  bool CdTextEnabled = false;
  std::string CdtPath;
  std::string DataTrackFile;
  int32_t ImageType = 0;
  // The disc's typed CD-Text (each track's is in its record).
  DiscCdText CdText;
  // The CD frames of silence added before the first track's audio when its pre-gap is not
  // plain silence, for this layout alone; −1: the settings' "add leading silence" decides.
  // An imported rip sets 0, so that the copy keeps the original's positions.
  int32_t LeadingSilence = -1;
  // What an imported rip recorded of the disc it was ripped from.
  OriginalDisc Original;
  // Running sum of GetTotalBytes over the tracks, kept by the list operations.
  int64_t TotalBytes = 0;

  // Whether there is a data track has two answers, each right in its place:
  // - NamesDataTrack: a path is set. The disc that is made, and what is said of it (the cue
  //   sheet and the TOC, the disc's time, the disc check), has the data track as track 1
  //   and numbers the audio tracks from 2, whether or not the image exists yet.
  // - DataTrackImageExists: a regular file exists at the path. The layout being edited is a
  //   mixed-mode disc only then: the track list numbers from 2, the status bar counts the
  //   image, the data track takes one of the 99 tracks, and CD-Text is off.
  // So a path to a missing image numbers the list from 1 and the sheet from 2, on purpose.
  bool NamesDataTrack() const { return !DataTrackFile.empty(); }
  bool DataTrackImageExists() const;
  // Every file the layout names and that is read to make the disc: the data track image,
  // the CD-Text file, each track's file and pre-gap file, and the decoded copies of them
  // (empty names left out). No command may write over one of them.
  std::vector<std::string> FilesRead() const;
  // Whether any CD-Text was typed: for the disc (a genre counts) or for any track. When it
  // was, making writes it and no .cdt file is read.
  bool HasTypedCdText() const;

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
