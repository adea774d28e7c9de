// Message boxes on screen for the Win32 front end: every message goes
// through one MessageBoxes object (tests put a recording one in its place).
#pragma once

#include <windows.h>

#include <string>

#include "settings/message_box.h"

namespace tidewell::ui::win32 {

// A message's text for a Windows control: each lone carriage return (the
// messages' line break) becomes CR LF.
std::wstring WindowsLineBreaks(const std::string& text);

// The system's modal message box, owned by the window set last (the main
// window), with the message's title, icon, text and buttons.
class Win32MessageBoxes : public MessageBoxes {
 public:
  MessageAnswer ShowMessage(const Message& message) override;
  void SetOwner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace tidewell::ui::win32
