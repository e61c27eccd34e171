#include "app/commands/SettingsFile.h"

#include "persist/IniFile.h"

namespace varnel {

StoredWindowSettings ReadWindowSettings(const std::string& path, AppSettings& settings,
                                        const std::string& defaultWorkDir) {
  IniFile ini(path);
  LoadSettings(ini, settings, defaultWorkDir);
  StoredWindowSettings stored;
  stored.SizeStored = HoldsWindowSize(ini);
  stored.ColumnsStored = HoldsColumnWidths(ini);
  return stored;
}

FontSettings ReadListFont(const std::string& path) {
  IniFile ini(path);
  FontSettings font;
  LoadFontSettings(ini, font);
  return font;
}

}  // namespace varnel
