#include "ui/win32/caption_fit.h"

#include <commctrl.h>

#include <string>

#include "ui/caption_fit.h"
#include "ui/win32/dpi.h"

namespace tidewell::ui::win32 {
namespace {

std::wstring ControlText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The room a check box leaves its caption: its width less the box (the
// system's check mark size at the control's DPI), the gap after it and the
// focus frame's margin: 12 pixels in all (what Wine's controls need).
int CheckBoxCaptionWidth(HWND control, int width) {
  const UINT dpi = WindowDpi(control);
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto metricsForDpi = reinterpret_cast<MetricsForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  const int box = metricsForDpi != nullptr ? metricsForDpi(SM_CXMENUCHECK, dpi) : GetSystemMetrics(SM_CXMENUCHECK);
  return width - box - Scaled(12, dpi);
}

// The width a check box needs for its box and caption in `font`, as the
// common controls 6 measure it (BCM_GETIDEALSIZE); 0 when they cannot.
int CheckBoxIdealWidth(HWND control, HFONT font) {
  const auto previous = static_cast<WPARAM>(SendMessageW(control, WM_GETFONT, 0, 0));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SIZE ideal{0, 0};
  const bool measured = SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0;
  SendMessageW(control, WM_SETFONT, previous, FALSE);
  return measured ? ideal.cx : 0;
}

}  // namespace

bool CaptionFits(HWND control, HFONT font, CaptionKind kind) {
  RECT client{};
  GetClientRect(control, &client);
  const std::wstring text = ControlText(control);
  const bool severalLines = text.find(L'\n') != std::wstring::npos;
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font);
  RECT needed{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | (severalLines ? 0 : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  if (kind == CaptionKind::CheckBox) {
    // Both measures must agree: Wine's common controls ask for less than
    // they draw, and the estimate may be short of a theme's own margins.
    const int ideal = CheckBoxIdealWidth(control, font);
    return ideal <= client.right && needed.right <= CheckBoxCaptionWidth(control, client.right);
  }
  if (needed.right > client.right) return false;
  return !severalLines || needed.bottom <= client.bottom;
}

double FitCaption(HWND control, FontChoice wanted, CaptionKind kind, FontSet& fonts, UINT dpi) {
  HFONT font = fonts.Get(wanted, dpi);
  double points = wanted.points;
  if (!CaptionFits(control, font, kind)) {
    points = ShrunkCaptionPoints(wanted.points, [&](double size) {
      wanted.points = size;
      font = fonts.Get(wanted, dpi);
      return CaptionFits(control, font, kind);
    });
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return points;
}

}  // namespace tidewell::ui::win32
