// A top-level window of the Win32 front end: registers its window class
// once, creates the window hidden, routes the window's messages to
// HandleMessage, and makes its child controls. The controls are laid out in
// twips (ui/twips.h) at the window's DPI (ui/win32/dpi.h) and again when the
// DPI changes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win32/caption_fit.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"

namespace tidewell::ui::win32 {

class TopWindow {
 public:
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;
  virtual ~TopWindow();

  HWND Handle() const { return window_; }
  UINT Dpi() const { return dpi_; }
  // Sets (or replaces) the tooltip of one of the window's controls.
  void SetTooltip(HWND control, std::string_view text);

 protected:
  TopWindow() = default;

  // Creates the window, hidden, with a client area of the given twips; the
  // subclass then makes its controls (MakeControl) and calls Layout().
  void CreateTopWindow(const wchar_t* className, std::string_view caption, DWORD style, HMENU menu,
                       int clientWidthTwips, int clientHeightTwips);

  // A child control placed at `place` (twips, client coordinates), drawn in
  // `font`; with `fit`, a caption that does not fit is drawn smaller.
  HWND MakeControl(const wchar_t* className, std::string_view text, DWORD style, int id, const TwipsRect& place,
                   const FontChoice& font, std::optional<CaptionKind> fit = std::nullopt, std::string_view tooltip = {});

  // Places every control and sets its font at the current DPI, and sizes
  // the window to its client area.
  void Layout();

  // The messages this window handles (a DPI change; static controls drawn
  // on the window's face colour); DefWindowProc gets the rest.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Called after Layout() has placed the controls (the status bar, ...).
  virtual void AfterLayout() {}

  FontSet& Fonts() { return fonts_; }

 private:
  struct Control {
    HWND handle;
    TwipsRect place;
    FontChoice font;
    std::optional<CaptionKind> fit;
  };
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  UINT dpi_ = kLayoutDpi;
  int clientWidthTwips_ = 0;
  int clientHeightTwips_ = 0;
  std::vector<Control> controls_;
  FontSet fonts_;
};

// The text of a window or control, as UTF-8.
std::string WindowText(HWND window);
void SetWindowText(HWND window, std::string_view text);

}  // namespace tidewell::ui::win32
