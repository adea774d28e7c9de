#include "settings/deepwash_selection.h"

#include "settings/category_warnings.h"
#include "settings/check_value.h"

namespace tidewell {

DeepwashSelection::DeepwashSelection(platform::PreferencesStore& store, DeepwashView& view,
                                     bool& suppressEvents)
    : store_(store), view_(view), suppressEvents_(suppressEvents) {
  for (const Category& entry : CatalogueEntries()) {
    values_[static_cast<std::size_t>(entry.id)] = entry.kind == EntryKind::Option ? 1 : 0;
  }
}

void DeepwashSelection::Create() {
  // Every box from one reading of the store, each write-back of a value just
  // read done at that same reading.
  platform::StoreBatch batch(store_);
  suppressEvents_ = true;
  for (const CategoryId id : CreationLoadOrder()) {
    const Category& entry = Entry(id);
    SetValue(id, LoadCheckValue(store_, entry.settingsName, entry.defaultValue));
  }
  suppressEvents_ = false;
}

void DeepwashSelection::SetValue(CategoryId id, int value) {
  int& slot = values_[static_cast<std::size_t>(id)];
  if (slot == value) return;
  slot = value;
  view_.CheckValueChanged(id, value);
  OnClick(id);
}

void DeepwashSelection::OnClick(CategoryId id) {
  const Category& entry = Entry(id);
  SaveCheckValue(store_, entry.settingsName, CheckValue(id));
  std::string text;
  if (const CategoryWarning* warning = WarningFor(id)) {
    text = warning->Text();
    ShowWarning(text, warning->title, CheckValue(id));
  } else {
    ShowWarning(text, "", 0);
  }
}

void DeepwashSelection::ShowWarning(std::string& text, std::string_view title, int isOn) {
  if (suppressEvents_) return;
  if (isOn == 0) text.clear();
  view_.SetStatusText(WarningStatusLine(text));
  // The window tests the two 16-bit values bitwise.
  if ((static_cast<std::uint16_t>(isOn) & static_cast<std::uint16_t>(CheckValue(CategoryId::ShowWarnings))) != 0) {
    view_.ShowMessage({"WARNING about deleting " + std::string(title), "WARNING: " + text,
                       MessageIcon::Exclamation, MessageButtons::Ok});
  }
}

void DeepwashSelection::SelectAll() {
  suppressEvents_ = true;
  for (const CategoryId id : SelectAllOrder()) SetValue(id, 1);
  suppressEvents_ = false;
  const CategoryWarning& warning = SelectAllWarning();
  std::string text = warning.Text();
  ShowWarning(text, warning.title, 1);
}

void DeepwashSelection::SelectNone() {
  for (const CategoryId id : SelectAllOrder()) SetValue(id, 0);
}

void DeepwashSelection::Safest() {
  suppressEvents_ = true;
  for (const CategoryId id : SafestUncheckOrder()) SetValue(id, 0);
  for (const CategoryId id : SafestCheckOrder()) SetValue(id, 1);
  suppressEvents_ = false;
  std::string text;
  ShowWarning(text, "", 0);
}

}  // namespace tidewell
