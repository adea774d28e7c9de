#include "ui/win32/top_window.h"

#include <commctrl.h>

#include "i18n/translation.h"
#include "platform/win32/wide_text.h"

namespace tidewell::ui::win32 {

using platform::win32::Narrow;
using platform::win32::Widen;

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

// Every caption, title and tooltip a window shows goes through the user's
// language here (i18n/translation.h); the record viewer's text does not.
void SetWindowText(HWND window, std::string_view text) {
  SetWindowTextW(window, Widen(i18n::TranslatedLines(text)).c_str());
}

TopWindow::~TopWindow() {
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TopWindow::CreateTopWindow(const wchar_t* className, std::string_view caption, DWORD style, HMENU menu,
                                int clientWidthTwips, int clientHeightTwips) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW known{};
  known.cbSize = sizeof known;
  if (!GetClassInfoExW(instance, className, &known)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TopWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    // The program's icon, resource 1 (none in a test program).
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    RegisterClassExW(&windowClass);
  }
  clientWidthTwips_ = clientWidthTwips;
  clientHeightTwips_ = clientHeightTwips;
  window_ = CreateWindowExW(0, className, Widen(i18n::Translated(caption)).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, nullptr, menu, instance, this);
  dpi_ = WindowDpi(window_);
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                              instance, nullptr);
  // Long tooltips wrap instead of running off the screen.
  SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, 400);
}

HWND TopWindow::MakeControl(const wchar_t* className, std::string_view text, DWORD style, int id,
                            const TwipsRect& place, const FontChoice& font, std::optional<CaptionKind> fit,
                            std::string_view tooltip) {
  HWND control = CreateWindowExW(0, className, Widen(i18n::Translated(text)).c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                                 0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  controls_.push_back({control, place, font, fit});
  if (!tooltip.empty()) SetTooltip(control, tooltip);
  return control;
}

void TopWindow::SetTooltip(HWND control, std::string_view text) {
  std::wstring wide = Widen(i18n::TranslatedLines(text));
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TopWindow::Layout() {
  dpi_ = WindowDpi(window_);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
  const SIZE outer = OuterSize(style, exStyle, GetMenu(window_) != nullptr, Scaled(Pixels(clientWidthTwips_), dpi_),
                               Scaled(Pixels(clientHeightTwips_), dpi_), dpi_);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The old fonts stay selected in the controls until each gets its new one.
  FontSet old;
  old.Swap(fonts_);
  for (const Control& control : controls_) {
    const PixelRect rect = ScaledRect(control.place, dpi_);
    SetWindowPos(control.handle, nullptr, rect.left, rect.top, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (control.fit) {
      FitCaption(control.handle, control.font, *control.fit, fonts_, dpi_);
    } else {
      SendMessageW(control.handle, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(control.font, dpi_)), FALSE);
    }
  }
  AfterLayout();
  InvalidateRect(window_, nullptr, TRUE);
}

LRESULT TopWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    return 0;
  }
  if (message == WM_CTLCOLORSTATIC) {
    // Captions, boxes and frames drawn on the window's own face colour.
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TopWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TopWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<TopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace tidewell::ui::win32
