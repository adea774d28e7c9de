// The fonts of a Win32 window: made at the window's DPI from the faces and
// point sizes the layouts name, kept until the window goes or its DPI
// changes. Where a face is missing, Windows substitutes one; a caption that
// then no longer fits is drawn smaller (ui/win32/caption_fit.h).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

namespace tidewell::ui::win32 {

struct FontChoice {
  const wchar_t* face = L"MS Shell Dlg 2";
  double points = 8.25;
  bool bold = false;
  bool italic = false;
};

class FontSet {
 public:
  FontSet() = default;
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;
  ~FontSet() { Clear(); }

  // The font of `wanted` at `dpi`, made on first use.
  HFONT Get(const FontChoice& wanted, UINT dpi);
  // Deletes every font made; the controls must not use them any more.
  void Clear();
  void Swap(FontSet& other) { fonts_.swap(other.fonts_); }

 private:
  using Key = std::tuple<std::wstring, int, bool, bool, UINT>;  // points in hundredths
  std::map<Key, HFONT> fonts_;
};

}  // namespace tidewell::ui::win32
