// Any text loads, reads and writes the INI engine safely, keeps its bytes until written,
// and every value written reads back as written (line breaks stored as blanks, reads
// limited to 2047 characters), also after the text is saved and loaded again. The engine
// and the layers below it are built with optimisation here (fuzz/CMakeLists.txt), so that a
// smoke run explores more.
//
// The engine indexes sections and keys; a plain line-by-line engine kept here as the
// reference (the first matching section, the first matching key in it, every lookup a walk
// over the lines) must give the same answer to every lookup and the same text after every
// write.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persist/AppSettings.h"
#include "persist/IniFile.h"

namespace {

using varnel::IniFile;

void Check(bool ok) {
  if (!ok) std::abort();
}

// ---- the reference: lines in a list, every lookup a walk over them ----------------------

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
  size_t e = s.size();
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

std::optional<std::string_view> SectionName(std::string_view raw) {
  std::string_view t = TrimBlanks(raw);
  if (t.empty() || t.front() != '[') return std::nullopt;
  size_t close = t.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return TrimBlanks(t.substr(1, close - 1));
}

std::optional<std::string_view> KeyName(std::string_view raw) {
  std::string_view t = TrimBlanks(raw);
  if ((!t.empty() && t.front() == ';') || SectionName(raw)) return std::nullopt;
  size_t eq = raw.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return TrimBlanks(raw.substr(0, eq));
}

class PlainIni {
 public:
  explicit PlainIni(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size()) {
      size_t lf = text.find('\n', pos);
      if (lf == std::string::npos) {
        Lines_.push_back({text.substr(pos), true});
        FinalNewline_ = false;
        break;
      }
      size_t end = lf;
      bool crlf = end > pos && text[end - 1] == '\r';
      if (crlf) --end;
      Lines_.push_back({text.substr(pos, end - pos), crlf});
      pos = lf + 1;
    }
  }

  std::string Text() const {
    std::string out;
    for (size_t i = 0; i < Lines_.size(); ++i) {
      out += Lines_[i].Raw;
      if (i + 1 < Lines_.size() || FinalNewline_) out += Lines_[i].Crlf ? "\r\n" : "\n";
    }
    return out;
  }

  // What lookups of every section in `sections` and every key in `keys` give, found in one
  // walk over the lines: for each section, whether it is there, and for each key the value
  // (nothing when missing). A section is the first header of its name, up to the next header;
  // a key is the first key line of its name in it.
  struct AnswerQueue {
    std::vector<bool> Has;
    std::vector<std::vector<std::optional<std::string>>> Values;  // [section][key]
  };
  AnswerQueue Answers(const std::vector<std::string>& sections,
                      const std::vector<std::string>& keys) const {
    AnswerQueue a;
    a.Has.assign(sections.size(), false);
    a.Values.assign(sections.size(), std::vector<std::optional<std::string>>(keys.size()));
    std::vector<bool> open(sections.size(), false);  // the section whose lines these are
    for (const Line& line : Lines_) {
      if (auto name = SectionName(line.Raw)) {
        for (size_t s = 0; s < sections.size(); ++s) {
          open[s] = !a.Has[s] && EqualsNoCase(*name, TrimBlanks(sections[s]));
          if (open[s]) a.Has[s] = true;
        }
        continue;
      }
      const auto key = KeyName(line.Raw);
      if (!key) continue;
      for (size_t s = 0; s < sections.size(); ++s) {
        if (!open[s]) continue;
        for (size_t k = 0; k < keys.size(); ++k) {
          if (!a.Values[s][k] && EqualsNoCase(*key, TrimBlanks(keys[k]))) {
            a.Values[s][k] = line.Raw.substr(line.Raw.find('=') + 1, IniFile::kMaxValueLength);
          }
        }
      }
    }
    return a;
  }

  void Write(const std::string& section, const std::string& key, const std::string& value) {
    const std::string sec = OneLine(section), k = OneLine(key), v = OneLine(value);
    size_t begin = 0, end = 0;
    if (!FindSection(sec, begin, end)) {
      if (!Lines_.empty() && !TrimBlanks(Lines_.back().Raw).empty()) Insert(Lines_.size(), "");
      Insert(Lines_.size(), "[" + sec + "]");
      Insert(Lines_.size(), k + "=" + v);
      Insert(Lines_.size(), "");
      return;
    }
    if (const std::optional<size_t> line = FindKey(begin, end, k)) {
      std::string& raw = Lines_[*line].Raw;
      raw = std::string(TrimBlanks(std::string_view(raw).substr(0, raw.find('=')))) + "=" + v;
      return;
    }
    size_t at = begin;
    for (size_t i = begin; i < end; ++i) {
      if (KeyName(Lines_[i].Raw)) at = i + 1;
    }
    Insert(at, k + "=" + v);
  }

 private:
  struct Line {
    std::string Raw;
    bool Crlf = true;
  };

  bool FindSection(const std::string& section, size_t& begin, size_t& end) const {
    for (size_t i = 0; i < Lines_.size(); ++i) {
      auto name = SectionName(Lines_[i].Raw);
      if (!name || !EqualsNoCase(*name, TrimBlanks(section))) continue;
      begin = end = i + 1;
      while (end < Lines_.size() && !SectionName(Lines_[end].Raw)) ++end;
      return true;
    }
    return false;
  }

  std::optional<size_t> FindKey(size_t begin, size_t end, const std::string& key) const {
    for (size_t i = begin; i < end; ++i) {
      auto name = KeyName(Lines_[i].Raw);
      if (name && EqualsNoCase(*name, TrimBlanks(key))) return i;
    }
    return std::nullopt;
  }

  void Insert(size_t at, std::string raw) {
    if (at == Lines_.size()) FinalNewline_ = true;
    Lines_.insert(Lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(raw), true});
  }

  std::vector<Line> Lines_;
  bool FinalNewline_ = true;
};

// ---- the names asked for ------------------------------------------------------------------

// Names the program uses, plus names that look like other kinds of lines.
const char* const kSections[] = {"Form", "Path", "Font\\Style", "DiscInfo", "", "[x]", "a=b"};
const char* const kKeys[] = {"Top", "WorkDir", "IsBold", "", " Top ", ";c", "k=v"};

// The names the text itself uses (at most `most` of each kind), in another letter case.
void NamesOfTheText(const std::string& text, size_t most, std::vector<std::string>& sections,
                    std::vector<std::string>& keys) {
  size_t pos = 0;
  while (pos < text.size() && (sections.size() < most || keys.size() < most)) {
    size_t lf = text.find('\n', pos);
    std::string_view line(text.data() + pos, (lf == std::string::npos ? text.size() : lf) - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (auto s = SectionName(line)) {
      if (sections.size() < most) sections.emplace_back(*s);
    } else if (auto k = KeyName(line)) {
      if (keys.size() < most) keys.emplace_back(*k);
    }
    if (lf == std::string::npos) break;
    pos = lf + 1;
  }
  for (std::vector<std::string>* names : {&sections, &keys}) {
    for (size_t i = 0; i < names->size(); i += 2) {
      for (char& c : (*names)[i]) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
    }
  }
}

// Every lookup of the names gives what the reference gives.
void SameAnswers(const IniFile& ini, const PlainIni& plain,
                 const std::vector<std::string>& sections, const std::vector<std::string>& keys) {
  const PlainIni::AnswerQueue want = plain.Answers(sections, keys);
  for (size_t s = 0; s < sections.size(); ++s) {
    Check(ini.HasSection(sections[s]) == want.Has[s]);
    for (size_t k = 0; k < keys.size(); ++k) {
      const std::optional<std::string>& value = want.Values[s][k];
      Check(ini.HasKey(sections[s], keys[k]) == value.has_value());
      Check(ini.ReadString(sections[s], keys[k], "\x01") == value.value_or("\x01"));
    }
  }
}

std::string Stored(std::string v) {
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return v.substr(0, IniFile::kMaxValueLength);
}

void ReadAll(const IniFile& ini) {
  for (const char* s : kSections) {
    bool has = ini.HasSection(s);
    for (const char* k : kKeys) {
      std::string v = ini.ReadString(s, k, "\x01");
      Check(v.size() <= IniFile::kMaxValueLength);
      Check(has || v == "\x01");
      // A value that is no number gives whichever default is asked for.
      int32_t a = ini.ReadInteger(s, k, 1);
      int32_t b = ini.ReadInteger(s, k, 2);
      Check(a == b || (a == 1 && b == 2));
      Check(ini.ReadBool(s, k, true) == (a != 0));
    }
  }
}

void ExpectWritten(const IniFile& ini, const std::string& workDir, int32_t top, bool bold) {
  Check(ini.ReadString("Path", "WorkDir", "") == Stored(workDir));
  Check(ini.ReadInteger("Form", "Top", top ^ 1) == top);
  Check(ini.ReadBool("Font\\Style", "IsBold", !bold) == bold);
  Check(ini.ReadString("DiscInfo", "MediaCatalog", "") == std::string(13, ' '));
  Check(ini.ReadString("New Section", "Key", "") == "value");
}

}  // namespace

// Each input is put to one of three trials, chosen by its length, so that one run stays
// small: the lookups against the reference, the writes against the reference, or settings
// saved over the text and read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  IniFile ini;
  ini.LoadText(text);
  Check(ini.Text() == text);
  const int trial = static_cast<int>(size % 3);

  // The indexed lookups against the plain walk, for the program's names and for names the
  // text uses.
  PlainIni plain(text);
  std::vector<std::string> sections(std::begin(kSections), std::end(kSections));
  std::vector<std::string> keys(std::begin(kKeys), std::end(kKeys));
  NamesOfTheText(text, 4, sections, keys);
  if (trial == 0) {
    ReadAll(ini);
    SameAnswers(ini, plain, sections, keys);
    return 0;
  }

  // Values taken from the input itself, so they hold blanks, line breaks and odd bytes.
  const std::string workDir = text.substr(size / 3, 3000);
  uint32_t bits = 2166136261u;
  for (uint8_t c : text) bits = (bits ^ c) * 16777619u;
  const int32_t top = static_cast<int32_t>(bits);
  const bool bold = (bits & 0x100) != 0;

  if (trial == 1) {
    // The same writes, names from the text included, give the same text and answers.
    IniFile written = ini;
    auto write = [&](const std::string& sec, const std::string& key, const std::string& value) {
      written.WriteString(sec, key, value);
      plain.Write(sec, key, value);
    };
    write(sections.back(), keys.back(), "]" + text.substr(size / 2, 40));
    write(sections[sections.size() / 2], "k" + keys.back(), "]" + workDir.substr(0, 5));
    write("Path", "WorkDir", workDir);
    write("Form", "Top", std::to_string(top));
    write("Font\\Style", "IsBold", bold ? "1" : "0");
    write("DiscInfo", "MediaCatalog", std::string(13, ' '));
    write("New Section", "Key", "value");
    Check(written.Text() == plain.Text());
    SameAnswers(written, plain, sections, keys);
    ExpectWritten(written, workDir, top, bold);
    IniFile again;
    again.LoadText(written.Text());
    Check(again.Text() == written.Text());
    ExpectWritten(again, workDir, top, bold);
    return 0;
  }

  // Settings saved over any text read back as saved (line breaks aside).
  varnel::AppSettings s;
  varnel::LoadSettings(ini, s, "/work");
  varnel::LoadFontSettings(ini, s.Font);
  s.WorkDir = workDir;
  s.Top = top;
  s.Font.IsBold = bold;
  varnel::SaveSettings(ini, s);
  varnel::AppSettings back;
  varnel::LoadSettings(ini, back, "/other");
  varnel::LoadFontSettings(ini, back.Font);
  s.WorkDir = Stored(s.WorkDir);
  s.WaveFileDir = Stored(s.WaveFileDir);
  s.CdtFileDir = Stored(s.CdtFileDir);
  s.BinFileDir = Stored(s.BinFileDir);
  s.LayoutFileDir = Stored(s.LayoutFileDir);
  s.Font.Name = Stored(s.Font.Name);
  Check(back == s);
  return 0;
}
