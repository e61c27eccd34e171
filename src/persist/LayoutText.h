// The text of a disc layout file, written and read over one table of keys.
//
// The file is INI text with CR LF line ends: sections "FileInfo" (SoftName, Version),
// "DiscInfo" (NumTracks, MediaCatalog, CD-Text, CdtPath), "DataTrack" (TrackFileNmae,
// ImageType), then one section per track, "Track" + its 0-based index with at least two
// digits, holding the nineteen keys of kTrackKeys in table order; one empty line closes every
// section. Typed CD-Text follows the keys of its section, each key only when its value is not
// empty (kCdTextKeys; for the disc also CdTextGenre when not 0 and CdTextLanguage when not
// English), so a layout without typed text is the same text as before such keys existed, and
// readers that do not know them pass them by. The same table says how each track key is read back
// and what it defaults to, so the writer and the reader cannot drift apart. What a loaded layout
// derives from its audio files (the data summaries, the silence caches, the lengths) is never
// stored.
//
// Only the text lives here; the load and save commands, with their questions and the checks
// of the audio files, are the application's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/DiscLayout.h"
#include "model/Track.h"
#include "persist/AppSettings.h"
#include "persist/IniFile.h"

namespace varnel {

inline constexpr const char* kLayoutSoftName = "Varnel";
inline constexpr const char* kLayoutVersion = "2.03";

// How a key's value is written and read: strings as they stand; integers in decimal
// (read also as "0x" hexadecimal); booleans as "1" or "0", read as integers (non-zero true).
enum class KeyKind : uint8_t { String, Integer, Boolean };

// Where the value of a track key comes from when its section lacks it (or, for a number,
// holds no number).
struct TrackDefaults {
  const AppSettings& Settings;  // the "Default" section's options and PreGapFrames
  int32_t TrackWholeFile = 0;   // sample frames of the track file's data
  int32_t PreGapWholeFile = 0;  // sample frames of the pre-gap file's data (or the track's)
};

// A value as the table moves it: Number for integers and booleans, Text for strings.
struct KeyValue {
  int32_t Number = 0;
  std::string Text;
};

struct TrackKey {
  const char* Name;
  KeyKind Kind;
  // The value written for a track.
  KeyValue (*Get)(const Track& track);
  // The value a reader takes when the key is missing (strings: empty).
  int32_t (*Default)(const TrackDefaults& defaults);
  // Stores a value read into a track; null for the keys the loader handles itself (the
  // file and its kind make the track; the pre-gap file is checked first).
  void (*Set)(Track& track, const KeyValue& value);
};

inline constexpr int kTrackKeyCount = 19;
// The keys of a track section, in the order they are written (and applied).
extern const TrackKey kTrackKeys[kTrackKeyCount];
// Indices in kTrackKeys of the keys the loader reads before it builds a track.
inline constexpr int kTrackFileKey = 0;   // "TrackFileNmae"
inline constexpr int kFileModeKey = 1;    // "FileMode"
inline constexpr int kPreGapFileKey = 9;  // "PreGapFileName"

// The keys of typed CD-Text, in field order (CdTextFields.h), in "DiscInfo" and in each
// track section; and the disc's genre code and EBU language code.
extern const char* const kCdTextKeys[kCdTextFieldCount];
inline constexpr const char* kCdTextGenreKey = "CdTextGenre";
inline constexpr const char* kCdTextLanguageKey = "CdTextLanguage";

// "Track" + index with at least two digits: "Track00", "Track11", "Track100".
std::string TrackSectionName(int32_t index);

// The whole text of the layout file for `layout`.
std::string LayoutFileText(const DiscLayout& layout);

// The disc-wide values of a layout file, each with the default of a missing key.
struct LayoutHead {
  std::string SoftName;      // "FileInfo" / "SoftName", default empty
  std::string MediaCatalog;  // as the catalog field shows it (CatalogFieldText)
  bool CdTextEnabled = false;
  std::string CdtPath;
  std::string DataTrackFile;  // "DataTrack" / "TrackFileNmae"
  int32_t ImageType = 0;
  int32_t NumTracks = 0;
  // Genre and language as stored, when they are numbers in range (else the defaults).
  DiscCdText CdText;
  // "DiscInfo" keys written only when the layout sets them (an imported rip): the leading
  // silence of this layout (−1 when missing) and what the rip recorded of its original.
  int32_t LeadingSilence = -1;
  OriginalDisc Original;
};
LayoutHead ReadLayoutHead(const IniFile& ini);

// The indices, ascending, of the track sections below `count` that a lookup of
// TrackSectionName(index) finds. Costs time in proportion to the text, however large
// `count` is.
std::vector<int32_t> TrackSectionIndexes(const IniFile& ini, int32_t count);

// The value of track key `key` in `section`: its text, or its number with the table's
// default for the key when the section lacks it or holds no number there.
KeyValue ReadTrackKey(const IniFile& ini, const std::string& section, int key,
                      const TrackDefaults& defaults);

// Stores every key of `section` that the table sets into `track`, in table order, then its
// typed CD-Text; the
// pre-gap file becomes `preGapFile` with the summary `preGapInfo` and the decoded copy
// `preGapAudioFile` (its region the whole file, before the region's keys are applied).
void ApplyTrackSection(Track& track, const IniFile& ini, const std::string& section,
                       const TrackDefaults& defaults, const std::string& preGapFile,
                       const WaveDataInfo& preGapInfo, const std::string& preGapAudioFile = {});

}  // namespace varnel
