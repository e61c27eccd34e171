// The program's settings, each field named by its key in the settings file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace varnel {

class IniFile;

// The list font as stored in sections "Font" and "Font\Style", as plain data.
struct FontSettings {
  int32_t Charaset = 0;
  int32_t Color = -2147483640;  // 0x80000008: the system colour for window text
  int32_t Height = -12;
  std::string Name = "Arial";
  int32_t Size = 9;
  int32_t Pitch = 0;
  bool IsBold = false;
  bool IsItalic = false;
  bool IsUnderline = false;
  bool IsStrikeOut = false;
  friend bool operator==(const FontSettings&, const FontSettings&) = default;
};

// The track list's columns, each of which has its width kept in section "ColumnWidth": how
// many there are, the key of each, in column order, and the width each has while the file
// holds none. The list's own table of its columns (titles, texts) is sized by this count.
inline constexpr int kTrackColumnCount = 9;
extern const char* const kColumnKeys[kTrackColumnCount];
inline constexpr std::array<int32_t, kTrackColumnCount> kDefaultColumnWidths = {
    50, 100, 100, 100, 100, 100, 100, 100, 100};

// How many layouts "Open Recent" offers.
inline constexpr size_t kRecentLayoutCount = 8;

struct AppSettings {
  // "Form"
  int32_t Top = 100;
  int32_t Left = 100;
  int32_t Width = 465;
  int32_t Height = 366;
  // "ColumnWidth"
  std::array<int32_t, kTrackColumnCount> ColumnWidth = kDefaultColumnWidths;
  // "Path"
  std::string WorkDir;  // empty: the made files go beside the cue sheet
  std::string WaveFileDir;
  std::string CdtFileDir;
  std::string BinFileDir;
  std::string LayoutFileDir;
  // "Default"
  bool PreEmph = false;
  bool Protect = false;
  bool TrackPaddingHead = false;
  bool TrackCutLeading = false;
  bool TrackCutTrailing = false;
  int32_t PreGapFrames = 150;
  bool PreGapPaddingHead = true;
  bool PreGapCutLeading = false;
  bool PreGapCutTrailing = false;
  // "Silece"
  bool AddFrames = true;
  int32_t NumFrames = 5;
  // "Other"
  bool MakeAlways = false;
  bool CheckBeforeMake = true;  // the disc check runs when Make or Test starts
  // A wave or MP3 file that is not 44 100 Hz 16-bit stereo is converted into the decode
  // cache when added; off, it is refused with the question as before.
  // Written after "ToolbarText" and "Media" (below), in that order.
  bool ConvertSources = true;
  // "FileName"
  bool Relative = false;
  bool CdrdaoToc = true;  // a TOC file for cdrdao beside every cue sheet
  // "Cache", written after "Disc": the decode cache is trimmed to this many MiB after each
  // decode; 0 (or less) sets no limit.
  int32_t DecodedLimitMiB = 4096;
  // "Burn", written after "Cache": the last choices of the burn dialog. Device empty: the
  // first drive that writes CD-R; Speed 0: the drive's best.
  std::string BurnDevice;
  int32_t BurnSpeed = 0;
  bool BurnSimulate = false;
  bool BurnEject = false;
  // "Font", "Font\Style"
  FontSettings Font;
  // Written after the keys above. "Other": the toolbar shows each button's text beside its
  // icon. "Disc": the minutes of the medium the capacity bar measures against (74, 80, 90
  // or 99; any other value reads as 80). "Recent": the last layouts loaded or saved, the
  // latest first ("File1" to "File8"; empty: none).
  bool ToolbarText = true;
  int32_t Media = 80;
  std::array<std::string, kRecentLayoutCount> Recent;

  friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// Reads "Form", "ColumnWidth", "Path", "Default", "Silece", "Other", "FileName" in that
// order and key order; missing or non-numeric values give the defaults. `defaultWorkDir`
// is the default of "WorkDir".
void LoadSettings(const IniFile& ini, AppSettings& s, const std::string& defaultWorkDir);
// Reads "Font" and "Font\Style".
void LoadFontSettings(const IniFile& ini, FontSettings& font);
// Writes every key in the order of the settings file (font included).
void SaveSettings(IniFile& ini, const AppSettings& s);
// Whether the file holds the window's size ("Form" Width and Height), and column widths.
bool HoldsWindowSize(const IniFile& ini);
bool HoldsColumnWidths(const IniFile& ini);

// Convenience: the whole file at `path` (missing or refused → defaults; `problem`, when
// given, receives why an existing file was refused), and writing it back. A file that
// exists but is refused by the reader is never written over.
AppSettings ReadSettingsFile(const std::string& path, const std::string& defaultWorkDir,
                             std::string* problem = nullptr);
bool WriteSettingsFile(const std::string& path, const AppSettings& s, std::string* error = nullptr);

// Where the settings file lives: "<folder of the executable>/varnel.ini" when that folder
// can be written, else "<home>/.config/varnel/varnel.ini".
std::string SettingsPathFor(const std::string& exePath, const std::string& homeDir);
// The path of the running executable (/proc/self/exe) and $HOME.
std::string CurrentExePath();
std::string HomeDir();

}  // namespace varnel
