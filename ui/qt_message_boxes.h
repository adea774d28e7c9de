// Message boxes on screen: every message the program shows goes through one
// MessageBoxes object, so tests can put a recording one in its place.
#pragma once

#include <QString>

#include "settings/message_box.h"

class QWidget;

namespace tidewell::ui {

// A message's text for a Qt label: each carriage return becomes a line break.
QString MessageTextForDisplay(const std::string& text);

// Modal QMessageBox with the message's title, icon, text and buttons.
class QtMessageBoxes : public MessageBoxes {
 public:
  MessageAnswer ShowMessage(const Message& message) override;
  // The window the boxes are centred on (may be null).
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

 private:
  QWidget* parent_ = nullptr;
};

}  // namespace tidewell::ui
