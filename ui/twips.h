// Window geometry both front ends share: the layouts are given in twips
// (1/1440 inch) and drawn at 15 twips per pixel, the classic 96 dots per
// inch. A front end that follows the monitor's DPI scales these pixels by
// dpi / 96 (ui/win32/dpi.h); the Qt front end draws them as they are.
#pragma once

namespace tidewell::ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace tidewell::ui
