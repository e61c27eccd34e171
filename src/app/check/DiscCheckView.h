// What the "Check disc…" dialog and the question before making show of the disc check's
// findings: one row per finding with its severity (the icon), the track it concerns and its
// text, and the track list entry a double click selects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/check/DiscFinding.h"

namespace varnel {

inline constexpr const char* kCheckDiscTitle = "Check disc";
inline constexpr const char* kCheckBeforeMakeTitle = "The disc check found errors";
inline constexpr const char* kCheckBeforeMakeText =
    "A burner would refuse this disc or burn it otherwise than the layout says. Make it anyway?";
inline constexpr const char* kMakeAnywayCaption = "Make anyway";
// The single row of a disc without findings.
inline constexpr const char* kNoFindingsText = "The check found nothing to report.";

struct FindingRow {
  varnel::Severity Severity = varnel::Severity::Note;
  std::string Track;  // "Disc", "1 (data)", "3"
  std::string Text;
  // The track list entry of the finding's track; −1 for the disc or the data track.
  int32_t ListIndex = -1;
};

// The rows of `findings` for the disc `layout` describes, in their order.
std::vector<FindingRow> FindingRows(const DiscLayout& layout,
                                    const std::vector<DiscFinding>& findings);

// A double click on `row`: its track becomes the selected list entry. False, and nothing
// changed, for a row without a list entry or an entry the list no longer has.
bool SelectFindingTrack(AppContext& ctx, const FindingRow& row);

}  // namespace varnel
