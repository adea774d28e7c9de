#include "ui/win32/message_boxes.h"

#include "i18n/translation.h"
#include "platform/win32/wide_text.h"

namespace tidewell::ui::win32 {
namespace {

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Question: return MB_ICONQUESTION;
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Information: break;
  }
  return MB_ICONINFORMATION;
}

}  // namespace

std::wstring WindowsLineBreaks(const std::string& text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    lines += text[i];
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) lines += '\n';
  }
  return platform::win32::Widen(lines);
}

MessageAnswer Win32MessageBoxes::ShowMessage(const Message& message) {
  const UINT buttons = message.buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  // An owner that is hidden ("/I") would keep the box off the taskbar.
  HWND owner = owner_ != nullptr && IsWindowVisible(owner_) ? owner_ : nullptr;
  const int answer = MessageBoxW(owner, WindowsLineBreaks(i18n::TranslatedLines(message.text)).c_str(),
                                 platform::win32::Widen(i18n::Translated(message.title)).c_str(),
                                 buttons | IconStyle(message.icon) | MB_SETFOREGROUND);
  if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace tidewell::ui::win32
