// One finding of the disc check: how grave it is, the track it concerns (its number on the
// disc, the data track counted; 0 for the whole disc), a stable code scripts can match, and
// a plain sentence with the figures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

enum class TSeverity : uint8_t {
  Error,    // a burner refuses the disc, or burns something other than the layout says
  Warning,  // burns, but most likely not as meant
  Note,     // worth knowing; nothing is wrong
};

struct TDiscFinding {
  TSeverity Severity = TSeverity::Note;
  int32_t Track = 0;
  std::string Code;
  std::string Text;
  friend bool operator==(const TDiscFinding&, const TDiscFinding&) = default;
};

// "error", "warning", "note".
const char* SeverityName(TSeverity severity);

// "SEVERITY<TAB>TRACK<TAB>CODE<TAB>TEXT", TRACK "-" for the whole disc; no line end.
std::string FindingLine(const TDiscFinding& finding);

// Whether any finding is an error.
bool HasError(const std::vector<TDiscFinding>& findings);

}  // namespace varnel
