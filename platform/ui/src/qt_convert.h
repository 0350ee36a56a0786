#pragma once
// Conversions between our value types and Qt's, for the platform's own sources only.

#include <QColor>
#include <QRect>
#include <QString>
#include <string>

#include "ui/color.h"
#include "ui/types.h"

namespace ui {

inline QString ToQString(const std::string& text) {
  return QString::fromUtf8(text);
}
inline std::string FromQString(const QString& text) {
  return text.toStdString();
}

// A plain or system colour as a QColor (system colours resolved now).
inline QColor ToQColor(TColor color) {
  TColor rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
inline TColor FromQColor(const QColor& color) {
  return RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
             static_cast<uint8_t>(color.blue()));
}

inline QRect ToQRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}
inline TRect FromQRect(const QRect& r) {
  return Bounds(r.x(), r.y(), r.width(), r.height());
}

}  // namespace ui
