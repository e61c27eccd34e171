#include "persist/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "model/PosixFile.h"

namespace varnel {

namespace {

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

}  // namespace

size_t IniFile::NoCaseHash::operator()(std::string_view name) const {
  uint64_t h = 14695981039346656037ULL;
  for (char c : name) h = (h ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ULL;
  return static_cast<size_t>(h);
}

bool IniFile::NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

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
  LoadText(text);
}

void IniFile::LoadText(const std::string& text) {
  Preamble_.clear();
  Sections_.clear();
  Index_.clear();
  FinalNewline_ = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) {
      // A last line without a line ending; one is added (CR LF) only when lines follow.
      File(Line{text.substr(pos), true});
      FinalNewline_ = false;
      break;
    }
    size_t end = lf;
    bool crlf = end > pos && text[end - 1] == '\r';
    if (crlf) --end;
    File(Line{text.substr(pos, end - pos), crlf});
    pos = lf + 1;
  }
}

std::string IniFile::Text() const {
  size_t total = 0;
  size_t count = Preamble_.size();
  for (const Line& l : Preamble_) total += l.Raw.size() + 2;
  for (const Section& sec : Sections_) {
    count += 1 + sec.Body.size();
    total += sec.Header.Raw.size() + 2;
    for (const Line& l : sec.Body) total += l.Raw.size() + 2;
  }
  std::string out;
  out.reserve(total);
  size_t written = 0;
  auto put = [&](const Line& l) {
    out += l.Raw;
    if (++written < count || FinalNewline_) out += l.Crlf ? "\r\n" : "\n";
  };
  for (const Line& l : Preamble_) put(l);
  for (const Section& sec : Sections_) {
    put(sec.Header);
    for (const Line& l : sec.Body) put(l);
  }
  return out;
}

void IniFile::IndexKey(Section& section, size_t at) {
  if (const auto key = KeyName(section.Body[at].Raw)) {
    section.Keys.try_emplace(std::string(*key), at);
    section.LastKey = at + 1;
  }
}

void IniFile::File(Line line) {
  if (const auto name = SectionName(line.Raw)) {
    const bool first = Index_.try_emplace(std::string(*name), Sections_.size()).second;
    Sections_.push_back(Section{std::move(line), {}, first, 0, {}});
    return;
  }
  if (Sections_.empty()) {
    Preamble_.push_back(std::move(line));
    return;
  }
  Section& sec = Sections_.back();
  sec.Body.push_back(std::move(line));
  if (sec.Found) IndexKey(sec, sec.Body.size() - 1);
}

void IniFile::Resplit() {
  std::vector<Line> lines = std::move(Preamble_);
  for (Section& sec : Sections_) {
    lines.push_back(std::move(sec.Header));
    for (Line& l : sec.Body) lines.push_back(std::move(l));
  }
  Preamble_.clear();
  Sections_.clear();
  Index_.clear();
  for (Line& line : lines) File(std::move(line));
}

void IniFile::AppendLine(std::string raw) {
  // A last line that had no ending gets one as soon as a line follows it.
  FinalNewline_ = true;
  (Sections_.empty() ? Preamble_ : Sections_.back().Body).push_back(Line{std::move(raw), true});
}

const IniFile::Section* IniFile::FindSection(const std::string& section) const {
  const auto it = Index_.find(TrimBlanks(section));
  return it == Index_.end() ? nullptr : &Sections_[it->second];
}

const IniFile::Line* IniFile::FindKey(const std::string& section, const std::string& key) const {
  const Section* sec = FindSection(section);
  if (!sec) return nullptr;
  const auto it = sec->Keys.find(TrimBlanks(key));
  return it == sec->Keys.end() ? nullptr : &sec->Body[it->second];
}

bool IniFile::HasSection(const std::string& section) const {
  return FindSection(section) != nullptr;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  return FindKey(section, key) != nullptr;
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(Index_.size());
  for (const Section& sec : Sections_) {
    if (sec.Found) names.emplace_back(*SectionName(sec.Header.Raw));
  }
  return names;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  const Line* line = FindKey(section, key);
  if (!line) return def;
  return line->Raw.substr(line->Raw.find('=') + 1, kMaxValueLength);
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t def) const {
  const Line* line = FindKey(section, key);
  if (!line) return def;
  std::string_view value(line->Raw);
  value = value.substr(value.find('=') + 1);
  value = value.substr(0, kMaxValueLength);
  return ParseInteger(TrimBlanks(value)).value_or(def);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  const std::string sec = OneLine(section);
  const std::string k = OneLine(key);
  const std::string v = OneLine(value);
  const auto found = Index_.find(TrimBlanks(sec));
  if (found == Index_.end()) {
    // A new section goes at the end, set off by one empty line before it and closed by
    // one empty line after its key.
    const Line* last = Sections_.empty()
                           ? (Preamble_.empty() ? nullptr : &Preamble_.back())
                           : (Sections_.back().Body.empty() ? &Sections_.back().Header
                                                            : &Sections_.back().Body.back());
    if (last && !TrimBlanks(last->Raw).empty()) AppendLine("");
    // The header names exactly this section (the name holds no line break), which no
    // lookup found: it is the first of its name.
    Index_.emplace(std::string(TrimBlanks(sec)), Sections_.size());
    Sections_.push_back(Section{Line{"[" + sec + "]", true}, {}, true, 0, {}});
    Section& added = Sections_.back();
    added.Body.push_back(Line{k + "=" + v, true});
    added.Body.push_back(Line{"", true});
    FinalNewline_ = true;
    if (SectionName(added.Body.front().Raw)) return Resplit();
    IndexKey(added, 0);
    return;
  }
  Section& target = Sections_[found->second];
  if (const auto it = target.Keys.find(TrimBlanks(k)); it != target.Keys.end()) {
    std::string& raw = target.Body[it->second].Raw;
    std::string spelled(TrimBlanks(std::string_view(raw).substr(0, raw.find('='))));
    raw = spelled + "=" + v;
    // The key stays the same, but a value can turn a line that begins with "[" into a
    // header: then the sections are no longer what they were.
    if (SectionName(raw)) Resplit();
    return;
  }
  // A new key follows the last key of its section; no key line lies after that point, so
  // no index moves.
  const size_t at = target.LastKey;
  if (&target == &Sections_.back() && at == target.Body.size()) FinalNewline_ = true;
  target.Body.insert(target.Body.begin() + static_cast<std::ptrdiff_t>(at),
                     Line{k + "=" + v, true});
  if (SectionName(target.Body[at].Raw)) return Resplit();
  IndexKey(target, at);
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
  return WriteFileAtomically(Path_, Text(), error);
}

}  // namespace varnel
