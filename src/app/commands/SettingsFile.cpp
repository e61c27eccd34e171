#include "app/commands/SettingsFile.h"

#include <cerrno>

#include "persist/IniFile.h"

namespace varnel {

std::string SettingsUnreadableMessage(const std::string& path) {
  return "Cannot read the settings file \"" + path + "\".";
}

StoredWindowSettings ReadWindowSettings(const std::string& path, AppSettings& settings,
                                        const std::string& defaultWorkDir) {
  IniFile ini(path);
  LoadSettings(ini, settings, defaultWorkDir);
  StoredWindowSettings stored;
  stored.SizeStored = HoldsWindowSize(ini);
  stored.ColumnsStored = HoldsColumnWidths(ini);
  if (ini.LoadErrno() != 0 && ini.LoadErrno() != ENOENT) {
    stored.Problem = SettingsUnreadableMessage(path);
    stored.ProblemDetail = ini.LoadError();
  }
  return stored;
}

FontSettings ReadListFont(const std::string& path) {
  IniFile ini(path);
  FontSettings font;
  LoadFontSettings(ini, font);
  return font;
}

}  // namespace varnel
