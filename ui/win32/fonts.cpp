#include "ui/win32/fonts.h"

#include <cmath>

namespace tidewell::ui::win32 {

HFONT FontSet::Get(const FontSpec& spec, UINT dpi) {
  const Key key{spec.face, static_cast<int>(std::lround(spec.points * 100)), spec.bold, spec.italic, dpi};
  if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  LOGFONTW font{};
  // Negative: the character height (without the internal leading), as
  // point sizes are meant.
  font.lfHeight = -static_cast<LONG>(std::lround(spec.points * dpi / 72.0));
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = spec.italic ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, spec.face, LF_FACESIZE);
  HFONT made = CreateFontIndirectW(&font);
  fonts_[key] = made;
  return made;
}

void FontSet::Clear() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
  fonts_.clear();
}

}  // namespace tidewell::ui::win32
