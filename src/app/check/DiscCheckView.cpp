#include "app/check/DiscCheckView.h"

namespace varnel {

std::vector<FindingRow> FindingRows(const DiscLayout& layout,
                                    const std::vector<DiscFinding>& findings) {
  const int32_t firstAudio = layout.NamesDataTrack() ? 2 : 1;
  std::vector<FindingRow> rows;
  rows.reserve(findings.size());
  for (const DiscFinding& f : findings) {
    FindingRow& row = rows.emplace_back();
    row.Severity = f.Severity;
    row.Text = f.Text;
    if (f.Track <= 0) {
      row.Track = "Disc";
    } else if (f.Track < firstAudio) {
      row.Track = std::to_string(f.Track) + " (data)";
    } else {
      row.Track = std::to_string(f.Track);
      row.ListIndex = f.Track - firstAudio;
    }
  }
  return rows;
}

bool SelectFindingTrack(AppContext& ctx, const FindingRow& row) {
  if (row.ListIndex < 0 || row.ListIndex >= ctx.Layout.Count()) return false;
  ctx.SelectedTrack = row.ListIndex;
  if (ctx.RedrawTracks) ctx.RedrawTracks();
  return true;
}

}  // namespace varnel
