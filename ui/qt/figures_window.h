// View > Figures by Category: a window with one read-only table of the last
// run's figures by category (ui/category_figures.h), one row a category of a
// drive, and an OK button that closes it. Made on the first Show and kept;
// each Show fills it afresh.
#pragma once

#include <vector>

#include <QDialog>

#include "ui/category_figures.h"

class QTableWidget;

namespace tidewell::ui {

class FiguresWindow : public QDialog {
  Q_OBJECT

 public:
  explicit FiguresWindow(QWidget* parent = nullptr);

  // Fills the table with `rows` and shows the window in front.
  void Show(const std::vector<CategoryFiguresRow>& rows);

  QTableWidget* Table() const { return table_; }

 private:
  QTableWidget* table_;
};

}  // namespace tidewell::ui
