#include "persist/AppSettings.h"

#include <cerrno>
#include <exception>
#include <type_traits>
#include <variant>

#include "persist/IniFile.h"

namespace varnel {

const char* const kColumnKeys[kTrackColumnCount] = {"TrackNo",         "TrackFile", "FileType",
                                                    "HiddenTrackFile", "Length",    "PreEmphasis",
                                                    "DigitalCopy",     "ISRC",      "Path"};

namespace {

constexpr const char* kFormSection = "Form";
constexpr const char* kWidthKey = "Width";
constexpr const char* kHeightKey = "Height";
constexpr const char* kColumnWidthSection = "ColumnWidth";

// Every key of the settings file, each named once, in the order the file is written. Reads
// take a missing or non-numeric value as the field's default.
template <typename Record>
struct SettingKey {
  const char* Section;
  const char* Key;
  std::variant<int32_t Record::*, bool Record::*, std::string Record::*> Field;
};

// The window's geometry, written first; the column widths (kColumnKeys) follow it.
const SettingKey<AppSettings> kWindowKeys[] = {
    {kFormSection, "Top", &AppSettings::Top},
    {kFormSection, "Left", &AppSettings::Left},
    {kFormSection, kWidthKey, &AppSettings::Width},
    {kFormSection, kHeightKey, &AppSettings::Height},
};

const SettingKey<AppSettings> kOptionKeys[] = {
    {"Path", "WorkDir", &AppSettings::WorkDir},
    {"Path", "WaveFileDir", &AppSettings::WaveFileDir},
    {"Path", "CdtFileDir", &AppSettings::CdtFileDir},
    {"Path", "BinFileDir", &AppSettings::BinFileDir},
    {"Path", "LayoutFileDir", &AppSettings::LayoutFileDir},
    {"Default", "PreEmph", &AppSettings::PreEmph},
    {"Default", "Protect", &AppSettings::Protect},
    {"Default", "TrackPaddingHead", &AppSettings::TrackPaddingHead},
    {"Default", "TrackCutLeading", &AppSettings::TrackCutLeading},
    {"Default", "TrackCutTrailing", &AppSettings::TrackCutTrailing},
    {"Default", "PreGapFrames", &AppSettings::PreGapFrames},
    {"Default", "PreGapPaddingHead", &AppSettings::PreGapPaddingHead},
    {"Default", "PreGapCutLeading", &AppSettings::PreGapCutLeading},
    {"Default", "PreGapCutTrailing", &AppSettings::PreGapCutTrailing},
    {"Silece", "AddFrames", &AppSettings::AddFrames},
    {"Silece", "NumFrames", &AppSettings::NumFrames},
    {"Other", "MakeAlways", &AppSettings::MakeAlways},
    {"Other", "CheckBeforeMake", &AppSettings::CheckBeforeMake},
    {"FileName", "Relative", &AppSettings::Relative},
    {"FileName", "CdrdaoToc", &AppSettings::CdrdaoToc},
};

// Keys added later, written after the font: each section's keys after the ones it had.
const SettingKey<AppSettings> kAddedKeys[] = {
    {"Other", "ToolbarText", &AppSettings::ToolbarText},
    {"Disc", "Media", &AppSettings::Media},
    {"Other", "ConvertSources", &AppSettings::ConvertSources},
    {"Cache", "DecodedLimitMiB", &AppSettings::DecodedLimitMiB},
    {"Burn", "Device", &AppSettings::BurnDevice},
    {"Burn", "Speed", &AppSettings::BurnSpeed},
    {"Burn", "Simulate", &AppSettings::BurnSimulate},
    {"Burn", "Eject", &AppSettings::BurnEject},
};
constexpr const char* kRecentSection = "Recent";

std::string RecentKey(size_t i) {
  return "File" + std::to_string(i + 1);
}

// The font, in the order it is written (the order it is read back from the list's font).
const SettingKey<FontSettings> kFontKeys[] = {
    {"Font", "Charaset", &FontSettings::Charaset},
    {"Font", "Name", &FontSettings::Name},
    {"Font", "Size", &FontSettings::Size},
    {"Font", "Color", &FontSettings::Color},
    {"Font", "Pitch", &FontSettings::Pitch},
    {"Font", "Height", &FontSettings::Height},
    {"Font\\Style", "IsBold", &FontSettings::IsBold},
    {"Font\\Style", "IsItalic", &FontSettings::IsItalic},
    {"Font\\Style", "IsUnderline", &FontSettings::IsUnderline},
    {"Font\\Style", "IsStrikeOut", &FontSettings::IsStrikeOut},
};

template <typename Record, size_t N>
void ReadKeys(const IniFile& ini, const SettingKey<Record> (&keys)[N], const Record& defaults,
              Record& out) {
  for (const SettingKey<Record>& k : keys) {
    std::visit(
        [&](auto field) {
          using Value = std::remove_reference_t<decltype(out.*field)>;
          if constexpr (std::is_same_v<Value, bool>) {
            out.*field = ini.ReadBool(k.Section, k.Key, defaults.*field);
          } else if constexpr (std::is_same_v<Value, int32_t>) {
            out.*field = ini.ReadInteger(k.Section, k.Key, defaults.*field);
          } else {
            out.*field = ini.ReadString(k.Section, k.Key, defaults.*field);
          }
        },
        k.Field);
  }
}

template <typename Record, size_t N>
void WriteKeys(IniFile& ini, const SettingKey<Record> (&keys)[N], const Record& in) {
  for (const SettingKey<Record>& k : keys) {
    std::visit(
        [&](auto field) {
          using Value = std::remove_cvref_t<decltype(in.*field)>;
          if constexpr (std::is_same_v<Value, bool>) {
            ini.WriteBool(k.Section, k.Key, in.*field);
          } else if constexpr (std::is_same_v<Value, int32_t>) {
            ini.WriteInteger(k.Section, k.Key, in.*field);
          } else {
            ini.WriteString(k.Section, k.Key, in.*field);
          }
        },
        k.Field);
  }
}

}  // namespace

void LoadSettings(const IniFile& ini, AppSettings& s, const std::string& defaultWorkDir) {
  AppSettings d;
  d.WorkDir = defaultWorkDir;
  ReadKeys(ini, kWindowKeys, d, s);
  for (int i = 0; i < kTrackColumnCount; ++i) {
    s.ColumnWidth[i] = ini.ReadInteger(kColumnWidthSection, kColumnKeys[i], d.ColumnWidth[i]);
  }
  ReadKeys(ini, kOptionKeys, d, s);
  ReadKeys(ini, kAddedKeys, d, s);
  if (s.Media != 74 && s.Media != 80 && s.Media != 90 && s.Media != 99) s.Media = d.Media;
  for (size_t i = 0; i < kRecentLayoutCount; ++i) {
    s.Recent[i] = ini.ReadString(kRecentSection, RecentKey(i), "");
  }
}

void LoadFontSettings(const IniFile& ini, FontSettings& font) {
  ReadKeys(ini, kFontKeys, FontSettings{}, font);
}

void SaveSettings(IniFile& ini, const AppSettings& s) {
  WriteKeys(ini, kWindowKeys, s);
  for (int i = 0; i < kTrackColumnCount; ++i) {
    ini.WriteInteger(kColumnWidthSection, kColumnKeys[i], s.ColumnWidth[i]);
  }
  WriteKeys(ini, kOptionKeys, s);
  WriteKeys(ini, kFontKeys, s.Font);
  WriteKeys(ini, kAddedKeys, s);
  for (size_t i = 0; i < kRecentLayoutCount; ++i) {
    ini.WriteString(kRecentSection, RecentKey(i), s.Recent[i]);
  }
}

bool HoldsWindowSize(const IniFile& ini) {
  return ini.HasKey(kFormSection, kWidthKey) && ini.HasKey(kFormSection, kHeightKey);
}

bool HoldsColumnWidths(const IniFile& ini) {
  return ini.HasSection(kColumnWidthSection);
}

AppSettings ReadSettingsFile(const std::string& path, const std::string& defaultWorkDir,
                             std::string* problem) {
  AppSettings s;
  s.WorkDir = defaultWorkDir;
  try {
    IniFile ini(path);
    if (problem && ini.LoadErrno() != ENOENT) *problem = ini.LoadError();
    LoadSettings(ini, s, defaultWorkDir);
    LoadFontSettings(ini, s.Font);
  } catch (const std::exception&) {
    // Out of memory while reading: the defaults, as for a missing file.
    s = AppSettings{};
    s.WorkDir = defaultWorkDir;
  }
  return s;
}

bool WriteSettingsFile(const std::string& path, const AppSettings& s, std::string* error) {
  try {
    IniFile ini(path);  // lines the program does not know survive the rewrite
    // A file that exists but was refused (not a regular file, far too large) is no settings
    // file: it is left alone.
    if (ini.LoadErrno() != 0 && ini.LoadErrno() != ENOENT) {
      if (error) *error = ini.LoadError();
      return false;
    }
    SaveSettings(ini, s);
    return ini.Save(error);
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return false;
  }
}

}  // namespace varnel
