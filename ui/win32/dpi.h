// Per-monitor DPI for the Win32 windows. The program declares itself
// per-monitor aware (v2) in its manifest, so Windows draws nothing scaled:
// each window lays out its controls at its monitor's DPI and again when
// WM_DPICHANGED says the monitor changed. The layouts' pixels are 96-dpi
// pixels (ui/twips.h); here they become the monitor's.
#pragma once

#include <windows.h>

#include "settings/deepwash_layout.h"
#include "ui/twips.h"

// Sent when the window's monitor or its DPI changes (Windows 8.1 and later).
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace tidewell::ui::win32 {

inline constexpr int kLayoutDpi = 96;

// The DPI of the monitor the window is on (GetDpiForWindow where the system
// has it, else the screen's).
UINT WindowDpi(HWND window);

// 96-dpi pixels at `dpi`.
inline int Scaled(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kLayoutDpi); }

// A layout rectangle in twips, as a rectangle of device pixels at `dpi`
// (left, top, width, height).
struct PixelRect {
  int left, top, width, height;
};
inline PixelRect ScaledRect(const TwipsRect& rect, UINT dpi) {
  return {Scaled(Pixels(rect.left), dpi), Scaled(Pixels(rect.top), dpi), Scaled(Pixels(rect.width), dpi),
          Scaled(Pixels(rect.height), dpi)};
}

// The outer size of a window of the given style whose client area is
// `width` x `height` device pixels, at `dpi` (the frame, caption and menu
// bar grow with it).
SIZE OuterSize(DWORD style, DWORD exStyle, bool hasMenu, int width, int height, UINT dpi);

// Moves a top-level window so that its frame is centred on the work area
// of the monitor it is on (the primary one for a window not yet shown).
void CentreOnMonitor(HWND window);

}  // namespace tidewell::ui::win32
