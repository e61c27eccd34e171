// The version cdrdao names in the banner it prints on stderr before anything else
// ("Cdrdao version 1.2.4 - (C) Andreas Mueller <andreas@daneb.de>"), and what follows from
// it: before 1.2.5 the generic MMC driver writes CD-Text only when told to with driver
// option 0x10.
#pragma once

#include <string>

namespace varnel {

struct CdrdaoVersion {
  bool Known = false;
  int Major = 0;
  int Minor = 0;
  int Patch = 0;
};

// The first banner line in `text`; unknown when there is none.
CdrdaoVersion ParseCdrdaoVersion(const std::string& text);

// Whether cdrdao needs "--driver generic-mmc:0x10" to write CD-Text: versions before 1.2.5,
// and a version it did not name (an old one is the safe guess).
bool NeedsCdTextDriverOption(const CdrdaoVersion& version);

}  // namespace varnel
