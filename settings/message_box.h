// Modal message boxes: what the program asks or tells the user.
//
// The window shows them as dialogs, the console prints them, tests record
// them and script the answers. Everything that talks to the user (the run,
// the option handlers, the Deepwash window) goes through MessageBoxes.
#pragma once

#include <string>

namespace tidewell {

enum class MessageIcon { Information, Question, Exclamation, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// A modal message box. Paragraphs in `text` are separated by "\r\r".
struct Message {
  std::string title;
  std::string text;
  MessageIcon icon = MessageIcon::Information;
  MessageButtons buttons = MessageButtons::Ok;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal message box and returns the button pressed.
  virtual MessageAnswer ShowMessage(const Message& message) = 0;
};

}  // namespace tidewell
