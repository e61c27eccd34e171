// Any text loads, reads and writes the INI engine safely, keeps its bytes until written,
// and every value written reads back as written (line breaks stored as blanks, reads
// limited to 2047 characters), also after the text is saved and loaded again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "AppSettings.h"
#include "IniFile.h"

namespace {

using varnel::TIniFile;

// Names the program uses, plus names that look like other kinds of lines.
const char* const kSections[] = {"Form", "Path", "Font\\Style", "DiscInfo", "", "[x]", "a=b"};
const char* const kKeys[] = {"Top", "WorkDir", "IsBold", "", " Top ", ";c", "k=v"};

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Stored(std::string v) {
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return v.substr(0, TIniFile::kMaxValueLength);
}

void ReadAll(const TIniFile& ini) {
  for (const char* s : kSections) {
    bool has = ini.HasSection(s);
    for (const char* k : kKeys) {
      std::string v = ini.ReadString(s, k, "\x01");
      Check(v.size() <= TIniFile::kMaxValueLength);
      Check(has || v == "\x01");
      // A value that is no number gives whichever default is asked for.
      int32_t a = ini.ReadInteger(s, k, 1);
      int32_t b = ini.ReadInteger(s, k, 2);
      Check(a == b || (a == 1 && b == 2));
      Check(ini.ReadBool(s, k, true) == (a != 0));
    }
  }
}

void ExpectWritten(const TIniFile& ini, const std::string& workDir, int32_t top, bool bold) {
  Check(ini.ReadString("Path", "WorkDir", "") == Stored(workDir));
  Check(ini.ReadInteger("Form", "Top", top ^ 1) == top);
  Check(ini.ReadBool("Font\\Style", "IsBold", !bold) == bold);
  Check(ini.ReadString("DiscInfo", "MediaCatalog", "") == std::string(13, ' '));
  Check(ini.ReadString("New Section", "Key", "") == "value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TIniFile ini;
  ini.LoadText(text);
  Check(ini.Text() == text);
  ReadAll(ini);

  varnel::AppSettings s;
  varnel::LoadSettings(ini, s, "/work");
  varnel::LoadFontSettings(ini, s.Font);

  // Values taken from the input itself, so they hold blanks, line breaks and odd bytes.
  const std::string workDir = text.substr(size / 3, 3000);
  uint32_t bits = 2166136261u;
  for (uint8_t c : text) bits = (bits ^ c) * 16777619u;
  const int32_t top = static_cast<int32_t>(bits);
  const bool bold = (bits & 0x100) != 0;

  ini.WriteString("Path", "WorkDir", workDir);
  ini.WriteInteger("Form", "Top", top);
  ini.WriteBool("Font\\Style", "IsBold", bold);
  ini.WriteString("DiscInfo", "MediaCatalog", std::string(13, ' '));
  ini.WriteString("New Section", "Key", "value");
  ExpectWritten(ini, workDir, top, bold);

  TIniFile again;
  again.LoadText(ini.Text());
  Check(again.Text() == ini.Text());
  ExpectWritten(again, workDir, top, bold);
  ReadAll(again);

  // Settings saved over any text read back as saved (line breaks aside).
  varnel::SaveSettings(again, s);
  varnel::AppSettings back;
  varnel::LoadSettings(again, back, "/other");
  varnel::LoadFontSettings(again, back.Font);
  s.WorkDir = Stored(s.WorkDir);
  s.WaveFileDir = Stored(s.WaveFileDir);
  s.CdtFileDir = Stored(s.CdtFileDir);
  s.BinFileDir = Stored(s.BinFileDir);
  s.LayoutFileDir = Stored(s.LayoutFileDir);
  s.Font.Name = Stored(s.Font.Name);
  Check(back == s);
  return 0;
}
