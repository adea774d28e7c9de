// The Qt window's way to the translation layer (i18n/translation.h): the
// text to show for an English caption, tooltip, title or message, as a
// QString.
#pragma once

#include <QString>

#include <string_view>

#include "i18n/translation.h"

namespace tidewell::ui {

// A fixed English text (a caption, a menu entry, a tooltip).
inline QString Shown(std::string_view english) {
  const std::string_view text = i18n::Translated(english);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A text composed in English from fixed parts and values (a status line),
// or a text of several lines (a message box's).
inline QString ShownLines(std::string_view english) {
  const std::string text = i18n::TranslatedLines(english);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tidewell::ui
