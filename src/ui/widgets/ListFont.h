// The list font of the main window as the settings file keeps it, and its Qt form.
#pragma once

#include <QColor>
#include <QFont>
#include <optional>

#include "app/AppContext.h"

namespace varnel {

// Largest point size the Font command offers.
inline constexpr int kMaxListFontPoints = 16;

// The font the settings describe: face name, size (which decides the height; a size that
// is not positive falls back to the stored height in pixels, then to 9 points; a size
// beyond 72 points is taken as 72), fixed pitch for "Pitch" 2, and the four styles.
QFont FontFromSettings(const FontSettings& fs);

// The settings of a font: name, size, height in pixels (negative, as the file stores a
// character height), styles. Character set, colour and pitch are taken from `kept` (Qt
// fonts have no character set or colour), pitch becoming 2 for a fixed-pitch font.
FontSettings SettingsFromFont(const QFont& font, const FontSettings& kept);

// The colour "Color" stands for: none for a system colour (negative values, as the window
// text colour 0x80000008), else the RGB of a 0x00BBGGRR value.
std::optional<QColor> FontColor(int32_t color);

// Pixel height of a font's characters.
int FontPixelHeight(const QFont& font);

// The track list's row height for a font: its line spacing, so that accents and
// descenders fit, and a pixel above and below.
int ListRowHeight(const QFont& font);

// The fixed font of the dialogs: Arial, 12 pixels.
QFont DialogFont();

}  // namespace varnel
