// View > Figures by Category in the Win32 front end: a top-level window
// with one read-only report-style ListView of the last run's figures by
// category (ui/category_figures.h), one row a category of a drive, and an
// OK button, as the Qt window has (ui/qt/figures_window.h).
//
// The window is made by the first Show and kept; each Show fills the list
// afresh. OK, Enter, Escape and the close box only hide it. The columns are
// Drive, Category, Caption, Files and Size, the two figures right-aligned as
// in the console's table; each Show sizes every column to the wider of its
// heading and its longest cell, so no caption is cut (the list scrolls
// sideways when they do not fit the window). The window keeps its size: its
// list scrolls instead.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/category_figures.h"
#include "ui/win32/top_window.h"

namespace tidewell::ui::win32 {

class FiguresWindow : public TopWindow {
 public:
  FiguresWindow();

  // Fills the list with `rows` and shows the window in front (centred on its
  // monitor the first time, later where the user left it).
  void Show(const std::vector<CategoryFiguresRow>& rows);

  HWND List() const { return list_; }
  HWND OkButton() const { return okButton_; }
  // The text of one cell of the list, as UTF-8.
  std::string CellText(int row, int column) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AfterLayout() override;

 private:
  void BuildControls();

  HWND list_ = nullptr;
  HWND okButton_ = nullptr;
  bool shownBefore_ = false;
};

}  // namespace tidewell::ui::win32
