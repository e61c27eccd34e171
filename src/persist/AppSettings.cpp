#include "persist/AppSettings.h"

#include <cerrno>
#include <exception>

#include "persist/IniFile.h"

namespace varnel {

const char* const kColumnKeys[kTrackColumnCount] = {"TrackNo",         "TrackFile", "FileType",
                                                    "HiddenTrackFile", "Length",    "PreEmphasis",
                                                    "DigitalCopy",     "ISRC",      "Path"};

namespace {

constexpr const char* kForm = "Form";
constexpr const char* kColumnWidth = "ColumnWidth";
constexpr const char* kPath = "Path";
constexpr const char* kDefault = "Default";
constexpr const char* kSilence = "Silece";
constexpr const char* kOther = "Other";
constexpr const char* kFileName = "FileName";
constexpr const char* kFont = "Font";
constexpr const char* kFontStyle = "Font\\Style";

}  // namespace

void LoadSettings(const IniFile& ini, AppSettings& s, const std::string& defaultWorkDir) {
  const AppSettings d;
  s.Top = ini.ReadInteger(kForm, "Top", d.Top);
  s.Left = ini.ReadInteger(kForm, "Left", d.Left);
  s.Width = ini.ReadInteger(kForm, "Width", d.Width);
  s.Height = ini.ReadInteger(kForm, "Height", d.Height);

  for (int i = 0; i < kTrackColumnCount; ++i) {
    s.ColumnWidth[i] = ini.ReadInteger(kColumnWidth, kColumnKeys[i], d.ColumnWidth[i]);
  }

  s.WorkDir = ini.ReadString(kPath, "WorkDir", defaultWorkDir);
  s.WaveFileDir = ini.ReadString(kPath, "WaveFileDir", d.WaveFileDir);
  s.CdtFileDir = ini.ReadString(kPath, "CdtFileDir", d.CdtFileDir);
  s.BinFileDir = ini.ReadString(kPath, "BinFileDir", d.BinFileDir);
  s.LayoutFileDir = ini.ReadString(kPath, "LayoutFileDir", d.LayoutFileDir);

  s.PreEmph = ini.ReadBool(kDefault, "PreEmph", d.PreEmph);
  s.Protect = ini.ReadBool(kDefault, "Protect", d.Protect);
  s.TrackPaddingHead = ini.ReadBool(kDefault, "TrackPaddingHead", d.TrackPaddingHead);
  s.TrackCutLeading = ini.ReadBool(kDefault, "TrackCutLeading", d.TrackCutLeading);
  s.TrackCutTrailing = ini.ReadBool(kDefault, "TrackCutTrailing", d.TrackCutTrailing);
  s.PreGapFrames = ini.ReadInteger(kDefault, "PreGapFrames", d.PreGapFrames);
  s.PreGapPaddingHead = ini.ReadBool(kDefault, "PreGapPaddingHead", d.PreGapPaddingHead);
  s.PreGapCutLeading = ini.ReadBool(kDefault, "PreGapCutLeading", d.PreGapCutLeading);
  s.PreGapCutTrailing = ini.ReadBool(kDefault, "PreGapCutTrailing", d.PreGapCutTrailing);

  s.AddFrames = ini.ReadBool(kSilence, "AddFrames", d.AddFrames);
  s.NumFrames = ini.ReadInteger(kSilence, "NumFrames", d.NumFrames);

  s.MakeAlways = ini.ReadBool(kOther, "MakeAlways", d.MakeAlways);
  s.CheckBeforeMake = ini.ReadBool(kOther, "CheckBeforeMake", d.CheckBeforeMake);

  s.Relative = ini.ReadBool(kFileName, "Relative", d.Relative);
  s.CdrdaoToc = ini.ReadBool(kFileName, "CdrdaoToc", d.CdrdaoToc);
}

void LoadFontSettings(const IniFile& ini, FontSettings& font) {
  const FontSettings d;
  font.Charaset = ini.ReadInteger(kFont, "Charaset", d.Charaset);
  font.Color = ini.ReadInteger(kFont, "Color", d.Color);
  font.Height = ini.ReadInteger(kFont, "Height", d.Height);
  font.Name = ini.ReadString(kFont, "Name", d.Name);
  font.Size = ini.ReadInteger(kFont, "Size", d.Size);
  font.Pitch = ini.ReadInteger(kFont, "Pitch", d.Pitch);

  font.IsBold = ini.ReadBool(kFontStyle, "IsBold", d.IsBold);
  font.IsItalic = ini.ReadBool(kFontStyle, "IsItalic", d.IsItalic);
  font.IsUnderline = ini.ReadBool(kFontStyle, "IsUnderline", d.IsUnderline);
  font.IsStrikeOut = ini.ReadBool(kFontStyle, "IsStrikeOut", d.IsStrikeOut);
}

void SaveSettings(IniFile& ini, const AppSettings& s) {
  ini.WriteInteger(kForm, "Top", s.Top);
  ini.WriteInteger(kForm, "Left", s.Left);
  ini.WriteInteger(kForm, "Width", s.Width);
  ini.WriteInteger(kForm, "Height", s.Height);

  for (int i = 0; i < kTrackColumnCount; ++i) {
    ini.WriteInteger(kColumnWidth, kColumnKeys[i], s.ColumnWidth[i]);
  }

  ini.WriteString(kPath, "WorkDir", s.WorkDir);
  ini.WriteString(kPath, "WaveFileDir", s.WaveFileDir);
  ini.WriteString(kPath, "CdtFileDir", s.CdtFileDir);
  ini.WriteString(kPath, "BinFileDir", s.BinFileDir);
  ini.WriteString(kPath, "LayoutFileDir", s.LayoutFileDir);

  ini.WriteBool(kDefault, "PreEmph", s.PreEmph);
  ini.WriteBool(kDefault, "Protect", s.Protect);
  ini.WriteBool(kDefault, "TrackPaddingHead", s.TrackPaddingHead);
  ini.WriteBool(kDefault, "TrackCutLeading", s.TrackCutLeading);
  ini.WriteBool(kDefault, "TrackCutTrailing", s.TrackCutTrailing);
  ini.WriteInteger(kDefault, "PreGapFrames", s.PreGapFrames);
  ini.WriteBool(kDefault, "PreGapPaddingHead", s.PreGapPaddingHead);
  ini.WriteBool(kDefault, "PreGapCutLeading", s.PreGapCutLeading);
  ini.WriteBool(kDefault, "PreGapCutTrailing", s.PreGapCutTrailing);

  ini.WriteBool(kSilence, "AddFrames", s.AddFrames);
  ini.WriteInteger(kSilence, "NumFrames", s.NumFrames);

  ini.WriteBool(kOther, "MakeAlways", s.MakeAlways);
  ini.WriteBool(kOther, "CheckBeforeMake", s.CheckBeforeMake);

  ini.WriteBool(kFileName, "Relative", s.Relative);
  ini.WriteBool(kFileName, "CdrdaoToc", s.CdrdaoToc);

  // The font is written in the order it is read back from the list's font, which is not
  // the order in which it is applied.
  ini.WriteInteger(kFont, "Charaset", s.Font.Charaset);
  ini.WriteString(kFont, "Name", s.Font.Name);
  ini.WriteInteger(kFont, "Size", s.Font.Size);
  ini.WriteInteger(kFont, "Color", s.Font.Color);
  ini.WriteInteger(kFont, "Pitch", s.Font.Pitch);
  ini.WriteInteger(kFont, "Height", s.Font.Height);

  ini.WriteBool(kFontStyle, "IsBold", s.Font.IsBold);
  ini.WriteBool(kFontStyle, "IsItalic", s.Font.IsItalic);
  ini.WriteBool(kFontStyle, "IsUnderline", s.Font.IsUnderline);
  ini.WriteBool(kFontStyle, "IsStrikeOut", s.Font.IsStrikeOut);
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
