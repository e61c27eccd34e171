// Values checked where they are typed, so that a half-typed one never reaches a cue sheet:
// the media catalog number (13 digits or none) and a track's ISRC (12 characters of the
// right form, or none). Values that a loaded layout already holds are not checked here.
#pragma once

#include <string>

#include "app/AppContext.h"

namespace varnel {

inline constexpr const char* kCatalogEntryMessage =
    "A media catalog number has exactly 13 digits. Type all 13 digits, or clear the field "
    "for a disc without one.";
inline constexpr const char* kIsrcEntryMessage =
    "An ISRC has 12 characters: 5 letters or digits, then 7 digits. Type all 12, or clear "
    "the field for a track without one.";

// Nothing but blanks (or no text at all).
bool IsBlankEntry(const std::string& text);

// A catalog field's text that may be taken: exactly 13 digits, or blank.
bool IsCatalogEntry(const std::string& text);

// An ISRC field's text that may be taken: 5 letters or digits then 7 digits (letters of
// either case), or blank.
bool IsIsrcEntry(const std::string& text);

// The ISRC as it is stored: letters upper-cased (the form recorders accept), a blank
// entry stored as no ISRC.
std::string IsrcStoredText(const std::string& entry);

// The catalog number field was left holding `text`. An entry IsCatalogEntry accepts goes
// into the layout (CatalogFieldText) and the result is true; any other gives the warning
// and false, and the layout keeps its number.
bool EnterMediaCatalog(AppContext& ctx, const std::string& text);

}  // namespace varnel
