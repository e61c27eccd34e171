// The track list's columns, left to right, in one table: the header text of each and a
// typical widest text it shows. How many columns there are and the width each starts with
// are the settings file's, which keeps one width per column (kTrackColumnCount,
// kDefaultColumnWidths in persist/AppSettings.h): the list, its row texts and the settings
// are all sized by that one count, and a list without stored widths starts as the settings
// file's defaults say.
#pragma once

#include <array>

#include "persist/AppSettings.h"

namespace varnel {

struct TrackColumn {
  const char* Title;       // the header text
  const char* WidestText;  // a typical widest text, for fitting the column to its texts
};

// A typical widest text of each column: a two-digit number, a file name of a song, the
// type, a hidden track's file, the longest length text, the flags, a whole ISRC, a path.
inline constexpr std::array<TrackColumn, kTrackColumnCount> kTrackColumns = {{
    {"Track#", "99"},
    {"File name", "00 A longer song title.wav"},
    {"Type", "WAVE"},
    {"Hidden track", "Hidden track.wav"},
    {"Length (Pregap)", "00:00:00 (00:00:00)"},
    {"Emphasis", "Enable"},
    {"Digital copy", "Prohibited"},
    {"ISRC", "GBAYE0601498"},
    {"Path", "/a/folder/00 A song title.wav"},
}};
// The column of the lengths (min:sec:frames).
inline constexpr int kLengthColumn = 4;

}  // namespace varnel
