// Window geometry: the layouts are given in twips (1/1440 inch); the windows
// are drawn at 15 twips per pixel.
#pragma once

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

}  // namespace tidewell::ui
