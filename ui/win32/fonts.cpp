#include "ui/win32/fonts.h"

#include <cmath>

namespace tidewell::ui::win32 {

HFONT FontSet::Get(const FontChoice& wanted, UINT dpi) {
  const Key key{wanted.face, static_cast<int>(std::lround(wanted.points * 100)), wanted.bold, wanted.italic, dpi};
  if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  LOGFONTW font{};
  // Negative: the character height (without the internal leading), as
  // point sizes are meant.
  font.lfHeight = -static_cast<LONG>(std::lround(wanted.points * dpi / 72.0));
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = wanted.italic ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, wanted.face, LF_FACESIZE);
  HFONT made = CreateFontIndirectW(&font);
  fonts_[key] = made;
  return made;
}

void FontSet::Clear() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
  fonts_.clear();
}

}  // namespace tidewell::ui::win32
