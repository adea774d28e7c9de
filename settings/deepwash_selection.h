// The Deepwash window's 38 check boxes as plain values, with everything the
// window does to them: the creation load, the click handlers that write each
// change at once and show the category's warning, and the three presets in
// their fixed orders. The window binds its widgets to this object; the
// console front end and the rule table read it through CategoryStates.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/preferences_store.h"
#include "settings/category_catalogue.h"
#include "settings/message_box.h"

namespace tidewell {

// What the selection asks of the window: its status bar, its warning boxes,
// and word of every box whose value changed.
class DeepwashView : public MessageBoxes {
 public:
  virtual void SetStatusText(std::string_view text) = 0;
  virtual void CheckValueChanged(CategoryId /*id*/, int /*value*/) {}
};

class DeepwashSelection : public CategoryStates {
 public:
  // Every category starts unchecked, the three options checked. The store,
  // the view and the shared SuppressEvents flag must outlive this object.
  DeepwashSelection(platform::PreferencesStore& store, DeepwashView& view, bool& suppressEvents);

  int CheckValue(CategoryId id) const override { return values_[static_cast<std::size_t>(id)]; }

  // Creation: under SuppressEvents, loads every box from the store (its
  // default when none) in the creation order; a box whose value changes
  // writes it back. The status bar is not written.
  void Create();

  // Sets a box's value; a change runs the box's click handler.
  void SetValue(CategoryId id, int value);

  // The preset buttons.
  void SelectAll();
  void SelectNone();
  void Safest();

  // Shows a warning: the status line, and the warning box when the box is
  // on and Show warnings is checked. With isOn 0 the text is emptied first
  // (the caller's variable included). Does nothing under SuppressEvents.
  void ShowWarning(std::string& text, std::string_view title, int isOn);

 private:
  void OnClick(CategoryId id);

  platform::PreferencesStore& store_;
  DeepwashView& view_;
  bool& suppressEvents_;
  std::array<int, kEntryCount> values_{};
};

}  // namespace tidewell
