// The International Standard Recording Code as the disc and its sheets carry it: 12
// characters, a country and an owner code of 5 letters or digits (CCOOO), then the year and
// a serial number in 7 digits (YYNNNNN). Recorders and cdrdao take capital letters only;
// where a reader or a typed field takes either case, it stores capitals. One syntax for
// every reader, writer, entry field and check.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// 5 capital letters (A to Z) or digits, then 7 digits: what a recorder takes.
bool IsIsrc(std::string_view text);

// IsIsrc with letters of either case: what a typed field or a sheet may hold before it is
// stored in capitals (IsrcInCapitals).
bool IsIsrcIgnoringCase(std::string_view text);

// IsIsrc whose country code (the first two) is two letters, as the codes are assigned;
// recorders take digits there too.
bool IsAssignedIsrc(std::string_view text);

// `text` with the letters a to z upper-cased, every other byte as it is.
std::string IsrcInCapitals(std::string_view text);

}  // namespace varnel
