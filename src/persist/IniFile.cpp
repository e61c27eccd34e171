#include "IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "PosixFile.h"

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

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
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

TIniFile::TIniFile(std::string path) : Path_(std::move(path)) {
  std::string text;
  try {
    text = ReadWholeFile(Path_, kMaxFileBytes);
  } catch (const TFileError& e) {
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

void TIniFile::LoadText(const std::string& text) {
  Lines_.clear();
  FinalNewline_ = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) {
      // A last line without a line ending; one is added (CR LF) only when lines follow.
      Lines_.push_back(Line{text.substr(pos), true});
      FinalNewline_ = false;
      break;
    }
    size_t end = lf;
    bool crlf = end > pos && text[end - 1] == '\r';
    if (crlf) --end;
    Lines_.push_back(Line{text.substr(pos, end - pos), crlf});
    pos = lf + 1;
  }
}

std::string TIniFile::Text() const {
  std::string out;
  size_t total = 0;
  for (const Line& l : Lines_) total += l.Raw.size() + 2;
  out.reserve(total);
  for (size_t i = 0; i < Lines_.size(); ++i) {
    out += Lines_[i].Raw;
    if (i + 1 < Lines_.size() || FinalNewline_) out += Lines_[i].Crlf ? "\r\n" : "\n";
  }
  return out;
}

std::optional<TIniFile::SectionSpan> TIniFile::FindSection(const std::string& section) const {
  std::string_view want = TrimBlanks(section);
  for (size_t i = 0; i < Lines_.size(); ++i) {
    auto name = SectionName(Lines_[i].Raw);
    if (!name || !EqualsNoCase(*name, want)) continue;
    size_t end = i + 1;
    while (end < Lines_.size() && !SectionName(Lines_[end].Raw)) ++end;
    return SectionSpan{i + 1, end};
  }
  return std::nullopt;
}

std::optional<size_t> TIniFile::FindKey(const SectionSpan& span, const std::string& key) const {
  std::string_view want = TrimBlanks(key);
  for (size_t i = span.Begin; i < span.End; ++i) {
    auto name = KeyName(Lines_[i].Raw);
    if (name && EqualsNoCase(*name, want)) return i;
  }
  return std::nullopt;
}

bool TIniFile::HasSection(const std::string& section) const {
  return FindSection(section).has_value();
}

bool TIniFile::HasKey(const std::string& section, const std::string& key) const {
  auto span = FindSection(section);
  return span && FindKey(*span, key).has_value();
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  auto span = FindSection(section);
  if (!span) return def;
  auto line = FindKey(*span, key);
  if (!line) return def;
  const std::string& raw = Lines_[*line].Raw;
  size_t eq = raw.find('=');
  return raw.substr(eq + 1, kMaxValueLength);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t def) const {
  auto span = FindSection(section);
  if (!span) return def;
  auto line = FindKey(*span, key);
  if (!line) return def;
  const std::string& raw = Lines_[*line].Raw;
  std::string_view value(raw);
  value = value.substr(raw.find('=') + 1);
  value = value.substr(0, kMaxValueLength);
  return ParseInteger(TrimBlanks(value)).value_or(def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::InsertLine(size_t at, std::string raw) {
  // A last line that had no ending gets one as soon as a line follows it.
  if (at == Lines_.size()) FinalNewline_ = true;
  Lines_.insert(Lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(raw), true});
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  const std::string sec = OneLine(section);
  const std::string k = OneLine(key);
  const std::string v = OneLine(value);
  auto span = FindSection(sec);
  if (!span) {
    // A new section goes at the end, set off by one empty line before it and closed by
    // one empty line after its key.
    if (!Lines_.empty() && !TrimBlanks(Lines_.back().Raw).empty()) InsertLine(Lines_.size(), "");
    InsertLine(Lines_.size(), "[" + sec + "]");
    InsertLine(Lines_.size(), k + "=" + v);
    InsertLine(Lines_.size(), "");
    return;
  }
  if (auto line = FindKey(*span, k)) {
    std::string& raw = Lines_[*line].Raw;
    std::string spelled(TrimBlanks(std::string_view(raw).substr(0, raw.find('='))));
    raw = spelled + "=" + v;
    return;
  }
  size_t at = span->Begin;
  for (size_t i = span->Begin; i < span->End; ++i) {
    if (KeyName(Lines_[i].Raw)) at = i + 1;
  }
  InsertLine(at, k + "=" + v);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::Save(std::string* error) const {
  if (Path_.empty()) {
    if (error) *error = std::strerror(ENOENT);
    return false;
  }
  return WriteFileAtomically(Path_, Text(), error);
}

namespace {

// The process's file-creation mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
  }
  return 022;
}

bool WriteAll(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    size_t chunk = left < (size_t{1} << 30) ? left : (size_t{1} << 30);
    ssize_t n = ::write(fd, p, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
  namespace fs = std::filesystem;
  auto fail = [error](int err) {
    if (error) *error = std::strerror(err);
    return false;
  };
  if (path.empty()) return fail(ENOENT);

  // A symbolic link stays a link: the file it names is the one replaced.
  std::string target = path;
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }

  fs::path dir = fs::path(target).parent_path();
  if (dir.empty()) dir = ".";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return fail(ec.value());

  mode_t mode = 0666 & ~CurrentUmask();
  bool replacing = false;
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) return fail(EISDIR);
    if (!S_ISREG(old.st_mode)) return fail(EINVAL);
    if (::access(target.c_str(), W_OK) != 0) return fail(errno);
    mode = old.st_mode & 07777;
    replacing = true;
  } else if (errno != ENOENT) {
    return fail(errno);
  }

  std::string tmp = (dir / ".varnel-tmp-XXXXXX").string();
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return fail(errno);
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return fail(err);
  };
  // Permission bits and owner are carried over where the file system allows it; a file
  // system without them (vfat) still gets the text.
  bool kept = ::fchmod(fd, mode) == 0;
  if (replacing) kept = ::fchown(fd, old.st_uid, old.st_gid) == 0 && kept;
  (void)kept;
  if (!WriteAll(fd, text)) return abandon(errno);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return fail(err);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return fail(err);
  }
  // Make the rename itself durable; a folder that cannot be synced is no failure.
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    bool synced = ::fsync(dfd) == 0;
    (void)synced;
    ::close(dfd);
  }
  return true;
}

}  // namespace varnel
