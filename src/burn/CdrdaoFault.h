// What a line cdrdao printed on stderr says went wrong, for the faults a user can do
// something about; and which of its lines are its reports (ERROR:, FATAL ERROR:, WARNING:),
// the lines a failure's details keep.
#pragma once

#include <string>

namespace varnel {

enum class CdrdaoFault {
  None,
  CannotOpenDevice,   // no such device, or not a drive
  PermissionDenied,   // the device may not be opened by this user
  DriveBusy,          // another program holds the drive
  NoDisc,             // no medium, or the drive is not ready
  DiscNotEmpty,       // the medium already holds data
  DoesNotFit,         // the disc is longer than the medium
  RefusesDiscAtOnce,  // the drive rejects the cue sheet of a disc-at-once write
};

// Only an ERROR: or FATAL ERROR: line names a fault.
CdrdaoFault ClassifyCdrdaoLine(const std::string& line);

// Whether the line is one of cdrdao's reports: ERROR:, FATAL ERROR: or WARNING:.
bool IsCdrdaoReport(const std::string& line);

}  // namespace varnel
