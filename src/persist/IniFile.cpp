#include "persist/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "model/PosixFile.h"

namespace varnel {

namespace {

constexpr size_t IniFileOffsetLimit = 0xFFFFFFF0u;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  size_t e = s.size();
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A line break inside a name or value would split the line; each CR and LF becomes a blank.
std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

// The section named by a header line, or nothing when the line is no header.
std::optional<std::string_view> SectionName(std::string_view raw) {
  std::string_view t = TrimBlanks(raw);
  if (t.empty() || t.front() != '[') return std::nullopt;
  size_t close = t.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return TrimBlanks(t.substr(1, close - 1));
}

bool IsComment(std::string_view raw) {
  std::string_view t = TrimBlanks(raw);
  return !t.empty() && t.front() == ';';
}

// The key of a key line (the text before the first "=", blanks trimmed), or nothing.
std::optional<std::string_view> KeyName(std::string_view raw) {
  if (IsComment(raw) || SectionName(raw)) return std::nullopt;
  size_t eq = raw.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return TrimBlanks(raw.substr(0, eq));
}

// Decimal with an optional sign, or "0x"/"0X" followed by hexadecimal digits whose value
// fits 32 bits (taken as the bit pattern). Nothing else is a number.
std::optional<int32_t> ParseInteger(std::string_view t) {
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    uint32_t v = 0;
    for (char c : t.substr(2)) {
      uint32_t d;
      if (c >= '0' && c <= '9') {
        d = static_cast<uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        d = static_cast<uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        d = static_cast<uint32_t>(c - 'A' + 10);
      } else {
        return std::nullopt;
      }
      if (v > 0x0FFFFFFFu) return std::nullopt;  // a fifth hex digit beyond 32 bits
      v = (v << 4) | d;
    }
    return static_cast<int32_t>(v);
  }
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  if (i == t.size()) return std::nullopt;
  // Accumulated as a magnitude in 64 bits, bounded at every step, so nothing overflows.
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -v : v);
}

size_t NoCaseHash(std::string_view name) {
  uint64_t h = 14695981039346656037ULL;
  for (char c : name) h = (h ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ULL;
  return static_cast<size_t>(h ^ (h >> 29));
}

bool NoCaseEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

uint8_t Tag(size_t hash) {
  return static_cast<uint8_t>(hash >> 56);
}

size_t Mix(size_t hash, size_t section) {
  return hash ^ ((section + 1) * 0x9E3779B97F4A7C15ULL);
}

// Offsets are 32 bits: a text may not grow past them.
void CheckSize(size_t size) {
  if (size >= IniFileOffsetLimit) throw std::length_error("INI text too large");
}

}  // namespace

IniFile::IniFile(std::string path) : Path_(std::move(path)) {
  std::string text;
  try {
    text = ReadWholeFile(Path_, kMaxFileBytes);
  } catch (const FileError& e) {
    LoadErrno_ = e.Errno();
    if (e.Errno() == EFBIG) {
      LoadError_ = "\"" + Path_ + "\" is larger than 64 MiB";
    } else if (e.Errno() == EINVAL) {
      LoadError_ = "\"" + Path_ + "\" is not a regular file";
    } else {
      LoadError_ = e.what();
    }
  }
  LoadText(std::move(text));
}

void IniFile::LoadText(std::string text) {
  CheckSize(text.size());
  Text_ = std::move(text);
  Reindex();
}

IniFile::LineSpan IniFile::LineAt(size_t offset) const {
  const size_t lf = Text_.find('\n', offset);
  if (lf == std::string::npos) return {offset, Text_.size(), Text_.size()};
  const size_t end = lf > offset && Text_[lf - 1] == '\r' ? lf - 1 : lf;
  return {offset, end, lf + 1};
}

std::string_view IniFile::LineText(size_t offset) const {
  const LineSpan line = LineAt(offset);
  return std::string_view(Text_).substr(line.Begin, line.End - line.Begin);
}

size_t IniFile::SectionHash(size_t section) const {
  return NoCaseHash(*SectionName(LineText(Sections_[section])));
}

size_t IniFile::KeyHash(size_t keyLine) const {
  return Mix(NoCaseHash(*KeyName(LineText(keyLine))), OwnerOf(keyLine));
}

size_t IniFile::OwnerOf(size_t offset) const {
  const auto after = std::upper_bound(Sections_.begin(), Sections_.end(), offset);
  return static_cast<size_t>(after - Sections_.begin()) - 1;
}

template <typename Hash>
void IniFile::Grow(OffsetTable& table, const Hash& hash) {
  // Kept at most three quarters full.
  if ((table.Count + 1) * 4 <= table.Slots.size() * 3) return;
  std::vector<uint32_t> old = std::move(table.Slots);
  table.Slots.assign(old.empty() ? 16 : old.size() * 2, OffsetTable::kEmpty);
  table.Tags.assign(table.Slots.size(), 0);
  const size_t mask = table.Slots.size() - 1;
  for (const uint32_t value : old) {
    if (value == OffsetTable::kEmpty) continue;
    const size_t h = hash(value);
    size_t at = h & mask;
    while (table.Slots[at] != OffsetTable::kEmpty) at = (at + 1) & mask;
    table.Slots[at] = value;
    table.Tags[at] = Tag(h);
  }
}

bool IniFile::IndexSection(size_t headerOffset, std::string_view name) {
  if (FindSection(name)) return false;  // not the first of its name: never found
  Grow(SectionTable_, [this](uint32_t s) { return SectionHash(s); });
  const size_t mask = SectionTable_.Slots.size() - 1;
  const size_t hash = NoCaseHash(name);
  size_t at = hash & mask;
  while (SectionTable_.Slots[at] != OffsetTable::kEmpty) at = (at + 1) & mask;
  SectionTable_.Slots[at] = static_cast<uint32_t>(Sections_.size());
  SectionTable_.Tags[at] = Tag(hash);
  ++SectionTable_.Count;
  // Sections are indexed in file order, so the offsets stay sorted.
  Sections_.insert(std::upper_bound(Sections_.begin(), Sections_.end(), headerOffset),
                   static_cast<uint32_t>(headerOffset));
  return true;
}

void IniFile::IndexKey(size_t section, size_t lineOffset, std::string_view name) {
  const size_t hash = Mix(NoCaseHash(name), section);
  if (!KeyTable_.Slots.empty()) {
    const size_t mask = KeyTable_.Slots.size() - 1;
    for (size_t at = hash & mask; KeyTable_.Slots[at] != OffsetTable::kEmpty;
         at = (at + 1) & mask) {
      const uint32_t line = KeyTable_.Slots[at];
      if (KeyTable_.Tags[at] == Tag(hash) && OwnerOf(line) == section &&
          NoCaseEqual(*KeyName(LineText(line)), name)) {
        if (line <= lineOffset) return;  // an earlier key of the name is the one found
        KeyTable_.Slots[at] = static_cast<uint32_t>(lineOffset);
        return;
      }
    }
  }
  Grow(KeyTable_, [this](uint32_t line) { return KeyHash(line); });
  const size_t mask = KeyTable_.Slots.size() - 1;
  size_t at = hash & mask;
  while (KeyTable_.Slots[at] != OffsetTable::kEmpty) at = (at + 1) & mask;
  KeyTable_.Slots[at] = static_cast<uint32_t>(lineOffset);
  KeyTable_.Tags[at] = Tag(hash);
  ++KeyTable_.Count;
}

void IniFile::Reindex() {
  Sections_.clear();
  SectionTable_ = {};
  KeyTable_ = {};
  bool found = false;  // the lines are in a section that lookups find
  for (size_t pos = 0; pos < Text_.size();) {
    const LineSpan line = LineAt(pos);
    const std::string_view raw(Text_.data() + line.Begin, line.End - line.Begin);
    if (const auto name = SectionName(raw)) {
      found = IndexSection(pos, *name);
    } else if (found) {
      if (const auto key = KeyName(raw)) IndexKey(Sections_.size() - 1, pos, *key);
    }
    pos = line.Next;
  }
}

std::optional<size_t> IniFile::FindSection(std::string_view name) const {
  if (SectionTable_.Slots.empty()) return std::nullopt;
  name = TrimBlanks(name);
  const size_t mask = SectionTable_.Slots.size() - 1;
  const size_t hash = NoCaseHash(name);
  for (size_t at = hash & mask; SectionTable_.Slots[at] != OffsetTable::kEmpty;
       at = (at + 1) & mask) {
    const uint32_t section = SectionTable_.Slots[at];
    if (SectionTable_.Tags[at] == Tag(hash) &&
        NoCaseEqual(*SectionName(LineText(Sections_[section])), name)) {
      return section;
    }
  }
  return std::nullopt;
}

std::optional<size_t> IniFile::FindKey(const std::string& section, const std::string& key) const {
  const std::optional<size_t> sec = FindSection(section);
  if (!sec || KeyTable_.Slots.empty()) return std::nullopt;
  const std::string_view name = TrimBlanks(key);
  const size_t mask = KeyTable_.Slots.size() - 1;
  const size_t hash = Mix(NoCaseHash(name), *sec);
  for (size_t at = hash & mask; KeyTable_.Slots[at] != OffsetTable::kEmpty; at = (at + 1) & mask) {
    const uint32_t line = KeyTable_.Slots[at];
    if (KeyTable_.Tags[at] == Tag(hash) && OwnerOf(line) == *sec &&
        NoCaseEqual(*KeyName(LineText(line)), name)) {
      return line;
    }
  }
  return std::nullopt;
}

bool IniFile::HasSection(const std::string& section) const {
  return FindSection(section).has_value();
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  return FindKey(section, key).has_value();
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(Sections_.size());
  VisitSectionNames([&names](std::string_view name) { names.emplace_back(name); });
  return names;
}

void IniFile::VisitSectionNames(const std::function<void(std::string_view)>& visit) const {
  for (const uint32_t header : Sections_) visit(*SectionName(LineText(header)));
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  const std::optional<size_t> line = FindKey(section, key);
  if (!line) return def;
  const std::string_view raw = LineText(*line);
  return std::string(raw.substr(raw.find('=') + 1, kMaxValueLength));
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t def) const {
  const std::optional<size_t> line = FindKey(section, key);
  if (!line) return def;
  std::string_view value = LineText(*line);
  value = value.substr(value.find('=') + 1);
  value = value.substr(0, kMaxValueLength);
  return ParseInteger(TrimBlanks(value)).value_or(def);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::Splice(size_t at, size_t length, const std::string& text) {
  CheckSize(Text_.size() - length + text.size());
  Text_.replace(at, length, text);
  // Every line that begins after the spliced bytes moves (a line beginning at `at` itself
  // moves only when the splice inserts before it).
  const int64_t delta = static_cast<int64_t>(text.size()) - static_cast<int64_t>(length);
  if (delta == 0) return;
  auto moved = [at, length](uint32_t offset) { return length == 0 ? offset >= at : offset > at; };
  for (uint32_t& header : Sections_) {
    if (moved(header)) header = static_cast<uint32_t>(header + delta);
  }
  for (uint32_t& line : KeyTable_.Slots) {
    if (line != OffsetTable::kEmpty && moved(line)) line = static_cast<uint32_t>(line + delta);
  }
}

size_t IniFile::AppendLine(const std::string& raw) {
  // A last line that had no ending gets one as soon as a line follows it.
  std::string add;
  if (!Text_.empty() && Text_.back() != '\n') add = "\r\n";
  const size_t at = Text_.size() + add.size();
  Splice(Text_.size(), 0, add + raw + "\r\n");
  return at;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  const std::string sec = OneLine(section);
  const std::string k = OneLine(key);
  const std::string v = OneLine(value);
  const std::optional<size_t> found = FindSection(sec);
  if (!found) {
    // A new section goes at the end, set off by one empty line before it and closed by
    // one empty line after its key.
    if (!Text_.empty()) {
      // The last line ends at the last byte, or before the line ending there.
      const size_t end = Text_.back() == '\n' ? Text_.size() - 1 : Text_.size();
      const size_t lf = end == 0 ? std::string::npos : Text_.rfind('\n', end - 1);
      if (!TrimBlanks(LineText(lf == std::string::npos ? 0 : lf + 1)).empty()) AppendLine("");
    }
    const size_t header = AppendLine("[" + sec + "]");
    const size_t keyLine = AppendLine(k + "=" + v);
    AppendLine("");
    // The header names exactly this section (the name holds no line break), which no
    // lookup found: it is the first of its name.
    IndexSection(header, TrimBlanks(sec));
    const std::string_view raw = LineText(keyLine);
    if (SectionName(raw)) return Reindex();
    if (const auto name = KeyName(raw)) IndexKey(Sections_.size() - 1, keyLine, *name);
    return;
  }
  if (const std::optional<size_t> line = FindKey(sec, k)) {
    const std::string_view raw = LineText(*line);
    const std::string replaced = std::string(TrimBlanks(raw.substr(0, raw.find('=')))) + "=" + v;
    Splice(*line, raw.size(), replaced);
    // The key stays the same, but a value can turn a line that begins with "[" into a
    // header: then the sections are no longer what they were.
    if (SectionName(LineText(*line))) Reindex();
    return;
  }
  // A new key follows the last key line of its section (or its header).
  const size_t header = Sections_[*found];
  size_t at = LineAt(header).Next;
  for (size_t pos = at; pos < Text_.size();) {
    const LineSpan line = LineAt(pos);
    const std::string_view raw(Text_.data() + line.Begin, line.End - line.Begin);
    if (SectionName(raw)) break;
    if (KeyName(raw)) at = line.Next;
    pos = line.Next;
  }
  size_t keyLine = at;
  if (at == Text_.size()) {
    keyLine = AppendLine(k + "=" + v);
  } else {
    Splice(at, 0, k + "=" + v + "\r\n");
  }
  const std::string_view raw = LineText(keyLine);
  if (SectionName(raw)) return Reindex();
  if (const auto name = KeyName(raw)) IndexKey(*found, keyLine, *name);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::Save(std::string* error) const {
  if (Path_.empty()) {
    if (error) *error = std::strerror(ENOENT);
    return false;
  }
  return WriteFileAtomically(Path_, Text_, error);
}

}  // namespace varnel
