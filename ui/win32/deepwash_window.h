// The Deepwash window ("Form2") of the Win32 front end: the 38 check boxes
// of the categories and options, the preset buttons and the status bar,
// laid out as settings/deepwash_layout.h says, bound to a
// DeepwashSelection, as the Qt window is (ui/qt/deepwash_window.h).
//
// The window is only a view: a click on a box hands the new value to the
// selection, which stores it and answers with the status line and the
// warning box; every value the selection changes comes back through
// CheckValueChanged. Closing the window (Done or the close box) only hides
// it. A box shows a stored 2 greyed (BST_INDETERMINATE); a click checks a
// box that was unchecked or greyed and clears one that was checked.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "settings/deepwash_layout.h"
#include "settings/deepwash_selection.h"
#include "ui/win32/top_window.h"

namespace tidewell::ui::win32 {

inline constexpr int kDeepwashBoxIdBase = 200;     // + the entry's CategoryId
inline constexpr int kDeepwashButtonIdBase = 300;  // + its DeepwashCommand

class DeepwashWindow : public TopWindow, public DeepwashView {
 public:
  explicit DeepwashWindow(MessageBoxes& boxes);

  // Binds the boxes to the selection (which must outlive the window) and
  // shows its current values. Until then clicks change nothing.
  void Bind(DeepwashSelection& selection);

  // Shows the window: centred on its monitor the first time, later where
  // the user left it.
  void Show();

  // Called after Done or the close box has hidden the window.
  std::function<void()> onDone;

  HWND CheckBox(CategoryId id) const { return boxes_[static_cast<std::size_t>(id)]; }
  HWND Button(DeepwashCommand command) const { return buttons_[static_cast<std::size_t>(command)]; }
  HWND StatusBar() const { return statusBar_; }
  // The status bar's text, as UTF-8.
  std::string StatusText() const;

  // DeepwashView
  void SetStatusText(std::string_view text) override;
  MessageAnswer ShowMessage(const Message& message) override;
  void CheckValueChanged(CategoryId id, int value) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AfterLayout() override;

 private:
  void BuildControls();
  void OnBoxClicked(CategoryId id);
  void OnCommand(DeepwashCommand command);
  void ShowValue(CategoryId id, int value);
  void Finish();

  MessageBoxes& messageBoxes_;
  DeepwashSelection* selection_ = nullptr;
  HWND statusBar_ = nullptr;
  std::array<HWND, kEntryCount> boxes_{};
  std::array<HWND, 4> buttons_{};
  bool shownBefore_ = false;
};

}  // namespace tidewell::ui::win32
