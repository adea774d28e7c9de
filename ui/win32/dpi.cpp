#include "ui/win32/dpi.h"

namespace tidewell::ui::win32 {
namespace {

// The functions of Windows 10 (1607) and later, looked up once; older
// systems scale by the screen's DPI only.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

SIZE OuterSize(DWORD style, DWORD exStyle, bool hasMenu, int width, int height, UINT dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, width, height};
  if (adjustForDpi != nullptr) {
    adjustForDpi(&rect, style, hasMenu ? TRUE : FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, hasMenu ? TRUE : FALSE, exStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void CentreOnMonitor(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tidewell::ui::win32
