// The argument vectors this program runs cdrdao with. Writing and simulating:
//   cdrdao write|simulate --device D -n -v 2 [--eject] [--speed N]
//          [--driver generic-mmc:0x10] --remote FD TOC
// -n skips cdrdao's 10-second pause before writing; the driver option makes cdrdao before
// 1.2.5 write the CD-Text a TOC holds, which its generic MMC driver leaves out otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "burn/CdrdaoVersion.h"

namespace varnel {

struct CdrdaoWrite {
  bool Simulate = false;
  std::string Device;
  int32_t Speed = 0;  // 0: no --speed, the drive's best
  bool Eject = false;
  bool HasCdText = false;
  CdrdaoVersion Version;
  int RemoteFd = 3;
  std::string TocName;  // the copy, named from the working folder
};

std::vector<std::string> CdrdaoWriteArguments(const CdrdaoWrite& w);
std::vector<std::string> CdrdaoDiskInfoArguments(const std::string& device);
std::vector<std::string> CdrdaoVersionArguments();
// Minimal blanking of a rewritable disc, with progress on the remote FD.
std::vector<std::string> CdrdaoBlankArguments(const std::string& device, int remoteFd);

}  // namespace varnel
