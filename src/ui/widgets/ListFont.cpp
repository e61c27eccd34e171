#include "ui/widgets/ListFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>
#include <cstdlib>

namespace varnel {

QFont FontFromSettings(const FontSettings& fs) {
  QFont f;
  f.setFamily(QString::fromStdString(fs.Name));
  if (fs.Size > 0) {
    f.setPointSize(std::min(fs.Size, 72));
  } else if (fs.Height != 0 && fs.Height != INT32_MIN) {
    f.setPixelSize(std::min(std::abs(fs.Height), 96));
  } else {
    f.setPointSize(9);
  }
  if (fs.Pitch == 2) {
    f.setFixedPitch(true);
    f.setStyleHint(QFont::TypeWriter);
  }
  f.setWeight(fs.IsBold ? QFont::Bold : QFont::Normal);
  f.setItalic(fs.IsItalic);
  f.setUnderline(fs.IsUnderline);
  f.setStrikeOut(fs.IsStrikeOut);
  return f;
}

int FontPixelHeight(const QFont& font) {
  return std::max(1, QFontInfo(font).pixelSize());
}

int ListRowHeight(const QFont& font) {
  return QFontMetrics(font).lineSpacing() + 2;
}

FontSettings SettingsFromFont(const QFont& font, const FontSettings& kept) {
  FontSettings fs = kept;
  fs.Name = font.family().toStdString();
  const int px = FontPixelHeight(font);
  fs.Height = -px;
  if (font.pointSize() > 0) {
    fs.Size = font.pointSize();
  } else {
    const QFontInfo info(font);
    fs.Size = std::max(1, info.pointSize());
  }
  if (font.fixedPitch()) {
    fs.Pitch = 2;
  } else if (fs.Pitch == 2) {
    fs.Pitch = 0;
  }
  fs.IsBold = font.weight() >= QFont::Bold;
  fs.IsItalic = font.italic();
  fs.IsUnderline = font.underline();
  fs.IsStrikeOut = font.strikeOut();
  return fs;
}

std::optional<QColor> FontColor(int32_t color) {
  if (color < 0) return std::nullopt;
  const auto c = static_cast<uint32_t>(color);
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

QFont DialogFont() {
  QFont f("Arial");
  f.setPixelSize(12);
  return f;
}

}  // namespace varnel
