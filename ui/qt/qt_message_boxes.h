// Message boxes on screen: every message the program shows goes through one
// MessageBoxes object, so tests can put a recording one in its place.
#pragma once

#include <QString>

#include "settings/message_box.h"

class QWidget;

namespace tidewell::ui {

// A message's text for a Qt label: each carriage return becomes a line break.
QString MessageTextForDisplay(const std::string& text);

// A message's text as a table, for messages that line values up with tabs
// ("Bytes saved:<TAB>0"): each line is a row, a line's text up to its first
// tab in the first column and the rest in the second, so every value starts
// at one place whatever the widths of the labels before it (a tab alone
// would move each value to the next tab stop past its own label). Lines
// without a tab span both columns. Empty for a text without tabs.
QString MessageTableHtml(const std::string& text);

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
