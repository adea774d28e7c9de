// Window geometry: the layouts are given in twips (1/1440 inch); the windows
// are drawn at 15 twips per pixel.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "settings/deepwash_layout.h"

namespace tidewell::ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) { return twips / kTwipsPerPixel; }

inline QRect ToPixels(const TwipsRect& rect) {
  return QRect(Pixels(rect.left), Pixels(rect.top), Pixels(rect.width), Pixels(rect.height));
}

inline QSize ToPixels(int widthTwips, int heightTwips) { return QSize(Pixels(widthTwips), Pixels(heightTwips)); }

// The windows' own font where the layout names none: the classic dialog font
// at 8.25 pt, or the nearest sans serif the system has (the layouts' widths
// were measured with it; a larger font would clip the captions).
inline QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  font.setPointSizeF(8.25);
  return font;
}

}  // namespace tidewell::ui
