// Message boxes for tests: every box is recorded; an OK box is answered OK,
// a question from a script of answers (No once the script has run out).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "settings/message_box.h"

namespace tidewell::testing {

class MessageRecorder {
 public:
  MessageAnswer Record(const Message& message) {
    messages.push_back(message);
    if (onMessage) onMessage(message);
    if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (scriptedAnswers.empty()) return MessageAnswer::No;
    const MessageAnswer answer = scriptedAnswers.front();
    scriptedAnswers.pop_front();
    return answer;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const Message& message : messages) titles.push_back(message.title);
    return titles;
  }

  std::vector<Message> messages;
  std::deque<MessageAnswer> scriptedAnswers;  // answers to questions, in order
  std::function<void(const Message&)> onMessage;
};

class RecordingMessageBoxes : public MessageBoxes, public MessageRecorder {
 public:
  MessageAnswer ShowMessage(const Message& message) override { return Record(message); }
};

}  // namespace tidewell::testing
