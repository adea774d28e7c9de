// The Deepwash window ("Form2"): the 38 check boxes of the categories and
// options, the preset buttons and the status bar, laid out as
// settings/deepwash_layout.h says, bound to a DeepwashSelection.
//
// The window is only a view: a click on a box hands the new value to the
// selection, which stores it and answers with the status line and the
// warning box; every value the selection changes comes back through
// CheckValueChanged. Message boxes go through the MessageBoxes given to the
// constructor. Closing the window (Done or the close box) only hides it, so
// the selection and the widgets live as long as the owner keeps them.
//
// Wiring, in this order (the selection needs its view when it is built):
//   DeepwashWindow window(boxes);
//   DeepwashSelection selection(store, window, suppressEvents);
//   selection.Create();
//   window.Bind(selection);
#pragma once

#include <array>
#include <functional>

#include <QWidget>

#include "settings/deepwash_layout.h"
#include "settings/deepwash_selection.h"

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QStatusBar;

namespace tidewell::ui {

class DeepwashWindow : public QWidget, public DeepwashView {
  Q_OBJECT

 public:
  explicit DeepwashWindow(MessageBoxes& boxes, QWidget* parent = nullptr);

  // Binds the widgets to the selection (which must outlive the window) and
  // shows its current values. Until then clicks change nothing.
  void Bind(DeepwashSelection& selection);

  // Called after Done or the close box has hidden the window.
  std::function<void()> onDone;

  QCheckBox* CheckBox(CategoryId id) const { return boxes_[static_cast<std::size_t>(id)]; }

  // DeepwashView
  void SetStatusText(std::string_view text) override;
  MessageAnswer ShowMessage(const Message& message) override;
  void CheckValueChanged(CategoryId id, int value) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWidgets();
  void SetTabOrder();
  void OnBoxClicked(CategoryId id);
  void OnCommand(DeepwashCommand command);
  void ShowValue(CategoryId id, int value);
  void Finish();

  MessageBoxes& messageBoxes_;
  DeepwashSelection* selection_ = nullptr;
  QGroupBox* frame_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QCheckBox*, kEntryCount> boxes_{};
};

}  // namespace tidewell::ui
