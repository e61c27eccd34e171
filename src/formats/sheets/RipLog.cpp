#include "formats/sheets/RipLog.h"

#include <cctype>
#include <cstdlib>

#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr int64_t kSessionGap = 11400;
constexpr int64_t kMaxSector = 100 * 60 * 75;

// The log as ASCII text: UTF-16 (either byte order, by its mark) narrowed, UTF-8 as it is;
// every character beyond ASCII becomes '?'.
std::string AsciiText(const std::string& bytes) {
  const auto b = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const bool le = bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE;
  const bool be = bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF;
  std::string text;
  if (le || be) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const unsigned unit = le ? (b(i) | b(i + 1) << 8) : (b(i) << 8 | b(i + 1));
      text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
  }
  for (size_t i = 0; i < bytes.size(); ++i) text += b(i) < 0x80 ? bytes[i] : '?';
  return text;
}

std::string Trimmed(const std::string& s) {
  size_t a = 0;
  size_t e = s.size();
  while (a < e && std::isspace(static_cast<unsigned char>(s[a])) != 0) ++a;
  while (e > a && std::isspace(static_cast<unsigned char>(s[e - 1])) != 0) --e;
  return s.substr(a, e - a);
}

// A decimal number of at most `digits` digits making up all of `s`.
bool Number(const std::string& s, int64_t& value, size_t digits = 9) {
  if (s.empty() || s.size() > digits) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

bool Crc(const std::string& s, uint32_t& value) {
  if (s.size() != 8) return false;
  for (char c : s) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  value = static_cast<uint32_t>(std::strtoul(s.c_str(), nullptr, 16));
  return true;
}

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = s.find(by, from)) != std::string::npos; from = at + 1) {
    parts.push_back(Trimmed(s.substr(from, at - from)));
  }
  parts.push_back(Trimmed(s.substr(from)));
  return parts;
}

void AddCrc(RipLog& log, int32_t track, uint32_t crc) {
  if (track < 1 || track > 99) return;
  for (const RipLogCrc& c : log.Crcs) {
    if (c.Track == track) return;
  }
  log.Crcs.push_back({track, crc});
}

void AddTrack(RipLog& log, int64_t number, int64_t start, int64_t end) {
  if (number < 1 || number > 99 || start > end || end >= kMaxSector) return;
  for (const RipLogTrack& t : log.Tracks) {
    if (t.Number == number) return;
  }
  log.Tracks.push_back({static_cast<int32_t>(number), start, end});
}

std::string TocOf(const std::vector<RipLogTrack>& tracks) {
  if (tracks.empty()) return {};
  for (size_t i = 1; i < tracks.size(); ++i) {
    if (tracks[i].Number != tracks[i - 1].Number + 1 ||
        tracks[i].StartSector <= tracks[i - 1].EndSector) {
      return {};
    }
  }
  size_t count = tracks.size();
  int64_t leadOut = tracks.back().EndSector + 1 + 150;
  // A data session after the audio: MusicBrainz counts the audio session alone.
  if (count > 1 && tracks[count - 1].StartSector > tracks[count - 2].EndSector + 1) {
    leadOut = tracks[count - 1].StartSector + 150 - kSessionGap;
    --count;
  }
  std::string toc = std::to_string(tracks.front().Number) + " " +
                    std::to_string(tracks[count - 1].Number) + " " + std::to_string(leadOut);
  for (size_t i = 0; i < count; ++i) toc += " " + std::to_string(tracks[i].StartSector + 150);
  return toc;
}

}  // namespace

RipLog ReadRipLog(const std::string& bytes) {
  RipLog log;
  const std::string text = AsciiText(bytes);
  enum class Yaml { None, Toc, Tracks } section = Yaml::None;
  int64_t track = 0;  // the track the lines below belong to
  int64_t start = -1;
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    const std::string raw = text.substr(from, end - from);
    from = end + 1;
    const std::string line = Trimmed(raw);
    if (line.empty()) continue;
    const bool indented = std::isspace(static_cast<unsigned char>(raw[0])) != 0;
    int64_t n = 0;
    uint32_t crc = 0;

    // The table of the Windows ripper: "1 | 0:00.00 | 5:22.20 | 0 | 24169".
    const std::vector<std::string> cells = Split(line, '|');
    int64_t s = 0;
    int64_t e = 0;
    if (cells.size() == 5 && Number(cells[0], n, 2) && Number(cells[3], s) && Number(cells[4], e)) {
      AddTrack(log, n, s, e);
      continue;
    }
    // whipper: top-level sections, "  N:" entries, "    Key: value" lines.
    if (!indented) {
      section = line == "TOC:" ? Yaml::Toc : line == "Tracks:" ? Yaml::Tracks : Yaml::None;
      track = 0;
      start = -1;
    }
    if (indented && line.back() == ':' && Number(line.substr(0, line.size() - 1), n, 2)) {
      track = n;
      start = -1;
      continue;
    }
    const size_t colon = line.find(':');
    const std::string key = colon == std::string::npos ? line : Trimmed(line.substr(0, colon));
    const std::string value = colon == std::string::npos ? "" : Trimmed(line.substr(colon + 1));
    if (section == Yaml::Toc && key == "Start sector" && Number(value, n)) start = n;
    if (section == Yaml::Toc && key == "End sector" && Number(value, n) && start >= 0) {
      AddTrack(log, track, start, n);
    }
    if (section == Yaml::Tracks && key == "Copy CRC" && Crc(value, crc)) {
      AddCrc(log, static_cast<int32_t>(track), crc);
    }
    // The Windows ripper: "Track  3" opens a track's report, "Copy CRC 1A2B3C4D" in it.
    if (section == Yaml::None) {
      if (line.rfind("Track ", 0) == 0 && Number(Trimmed(line.substr(6)), n, 2)) track = n;
      if (line.rfind("Copy CRC ", 0) == 0 && Crc(Trimmed(line.substr(9)), crc)) {
        AddCrc(log, static_cast<int32_t>(track), crc);
      }
    }
  }
  log.Toc = TocOf(log.Tracks);
  return log;
}

RipLog ReadRipLogFile(const std::string& path) {
  try {
    PosixFile file = PosixFile::OpenForReading(path);
    const int64_t size = file.Size();
    if (size <= 0 || size > kMaxRipLogBytes) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
    return ReadRipLog(bytes);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace varnel
