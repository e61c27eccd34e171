#include "burn/CdrdaoFault.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace varnel {

namespace {

struct Sign {
  const char* Text;  // lower case
  CdrdaoFault Fault;
};

// The most telling first: a line about the TOC file is no fault of the drive; a line naming a
// permission is about the permission, whatever device it names.
constexpr Sign kSigns[] = {
    {"toc file", CdrdaoFault::None},  // about the file given, not the drive
    {"permission denied", CdrdaoFault::PermissionDenied},
    {"operation not permitted", CdrdaoFault::PermissionDenied},
    {"device or resource busy", CdrdaoFault::DriveBusy},
    {"exceeds capacity", CdrdaoFault::DoesNotFit},
    {"exceeds the capacity", CdrdaoFault::DoesNotFit},
    {"not empty", CdrdaoFault::DiscNotEmpty},
    {"no disk", CdrdaoFault::NoDisc},
    {"no disc", CdrdaoFault::NoDisc},
    {"medium not present", CdrdaoFault::NoDisc},
    {"unit not ready", CdrdaoFault::NoDisc},
    {"cue sheet", CdrdaoFault::RefusesDiscAtOnce},
    {"disk at once", CdrdaoFault::RefusesDiscAtOnce},
    {"disk-at-once", CdrdaoFault::RefusesDiscAtOnce},
    {"unable to open scsi device", CdrdaoFault::CannotOpenDevice},
    {"cannot setup device", CdrdaoFault::CannotOpenDevice},
    {"no such file or directory", CdrdaoFault::CannotOpenDevice},
    {"no such device", CdrdaoFault::CannotOpenDevice},
};

std::string Lower(const std::string& text) {
  std::string out;
  std::transform(text.begin(), text.end(), std::back_inserter(out),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

CdrdaoFault ClassifyCdrdaoLine(const std::string& line) {
  // A warning ("Unit not ready, still trying...") may come to nothing.
  if (line.rfind("ERROR:", 0) != 0 && line.rfind("FATAL ERROR:", 0) != 0) {
    return CdrdaoFault::None;
  }
  const std::string lower = Lower(line);
  for (const Sign& s : kSigns) {
    if (lower.find(s.Text) != std::string::npos) return s.Fault;
  }
  return CdrdaoFault::None;
}

bool IsCdrdaoReport(const std::string& line) {
  return line.rfind("ERROR:", 0) == 0 || line.rfind("FATAL ERROR:", 0) == 0 ||
         line.rfind("WARNING:", 0) == 0;
}

}  // namespace varnel
