// What `cdrdao disk-info` prints on stdout about the medium in the drive, read field by
// field ("CD-RW                : yes", "Total Capacity       : 79:59:74 (359849 blocks,
// 702/807 MB)", "CD-R empty           : yes"). A field cdrdao could not learn reads "n/a"
// and stays unknown here; lines this reader does not know are passed over.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace varnel {

struct CdrdaoDiskInfo {
  std::optional<bool> Rewritable;         // "CD-RW"
  std::optional<int64_t> CapacityFrames;  // "Total Capacity", in blocks of 1/75 s
  std::optional<bool> Empty;              // "CD-R empty"
  std::optional<bool> Appendable;         // "Appendable", shown for a disc with data
  std::string Medium;                     // "CD-R medium": the maker, when known

  // cdrdao saw a medium: it knew its capacity or whether it is empty.
  bool Present() const { return CapacityFrames.has_value() || Empty.has_value(); }
};

CdrdaoDiskInfo ParseCdrdaoDiskInfo(const std::string& stdoutText);

}  // namespace varnel
