// The log a ripper writes beside its rip, read for what it says of the original disc: its
// table of contents and the CRC32 of each track's copy. Two kinds are read: the extraction
// log of the Windows ripper most rips come with (UTF-16 with a byte order mark, or UTF-8),
// with its "Track | Start | Length | Start sector | End sector" table and "Copy CRC" lines,
// and whipper's YAML log ("TOC:" and "Tracks:" with "Start sector", "End sector" and
// "Copy CRC" keys). Anything else, or a log that cannot be read, gives nothing; nothing in a
// log is trusted beyond its numbers' syntax.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

struct RipLogTrack {
  int32_t Number = 0;
  int64_t StartSector = 0;  // counted from the disc's first audio sector (LBA)
  int64_t EndSector = 0;    // the last sector of the track
};

struct RipLogCrc {
  int32_t Track = 0;
  uint32_t Crc32 = 0;
};

struct RipLog {
  std::vector<RipLogTrack> Tracks;  // the log's table of contents, in order
  // The table as MusicBrainz writes a disc's TOC ("first last lead-out offset…", offsets +
  // 150); an Enhanced CD's data track (after a gap of 11 400 sectors) left out as MusicBrainz
  // leaves it out. Empty when the table is missing or not in order.
  std::string Toc;
  std::vector<RipLogCrc> Crcs;  // in the order the log gives them, one per track at most
};

// The largest log text read (a 99-track log is some tens of kilobytes).
inline constexpr int64_t kMaxRipLogBytes = 4 * 1024 * 1024;

// Reads the log text `bytes` (any encoding the log kinds use).
RipLog ReadRipLog(const std::string& bytes);

// Reads the file at `path`; a missing, unreadable or too large file gives an empty log.
RipLog ReadRipLogFile(const std::string& path);

}  // namespace varnel
