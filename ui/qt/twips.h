// Window geometry in Qt's types: the layouts' twips as QRect and QSize, at
// ui/twips.h's 15 twips per pixel.
#pragma once

#include <QRect>
#include <QSize>

#include "settings/deepwash_layout.h"
#include "ui/twips.h"

namespace tidewell::ui {

inline QRect ToPixels(const TwipsRect& rect) {
  return QRect(Pixels(rect.left), Pixels(rect.top), Pixels(rect.width), Pixels(rect.height));
}

inline QSize ToPixels(int widthTwips, int heightTwips) { return QSize(Pixels(widthTwips), Pixels(heightTwips)); }

}  // namespace tidewell::ui
