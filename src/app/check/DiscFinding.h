// One finding of the disc check: how grave it is, the track it concerns (its number on the
// disc, the data track counted; 0 for the whole disc), a stable code scripts can match, and
// a plain sentence with the figures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

enum class Severity : uint8_t {
  Error,    // a burner refuses the disc, or burns something other than the layout says
  Warning,  // burns, but most likely not as meant
  Note,     // worth knowing; nothing is wrong
};

struct DiscFinding {
  varnel::Severity Severity = varnel::Severity::Note;
  int32_t Track = 0;
  std::string Code;
  std::string Text;
  friend bool operator==(const DiscFinding&, const DiscFinding&) = default;
};

// "error", "warning", "note".
const char* SeverityName(Severity severity);

// "SEVERITY<TAB>TRACK<TAB>CODE<TAB>TEXT", TRACK "-" for the whole disc; no line end.
std::string FindingLine(const DiscFinding& finding);

// Whether any finding is an error.
bool HasError(const std::vector<DiscFinding>& findings);

}  // namespace varnel
