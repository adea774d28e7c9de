#include "ui/qt/figures_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/qt/translated_text.h"

namespace tidewell::ui {
namespace {

QString FromStd(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

FiguresWindow::FiguresWindow(QWidget* parent) : QDialog(parent), table_(new QTableWidget(this)) {
  setObjectName(QStringLiteral("FiguresWindow"));
  setWindowTitle(Shown(kFiguresTitle));
  table_->setObjectName(QStringLiteral("FiguresTable"));
  table_->setColumnCount(5);
  table_->setHorizontalHeaderLabels(
      {Shown("Drive"), Shown("Category"), Shown("Caption"), Shown("Files"), Shown("Size")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(720, 360);
}

void FiguresWindow::Show(const std::vector<CategoryFiguresRow>& rows) {
  table_->clearContents();
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const CategoryFiguresRow& row = rows[static_cast<std::size_t>(r)];
    const std::string* cells[] = {&row.drive, &row.category, &row.caption, &row.files, &row.size};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(FromStd(*cells[c]));
      // Figures line up on the right, as in the console's table.
      if (c >= 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
  table_->resizeColumnsToContents();
  show();
  raise();
  activateWindow();
}

}  // namespace tidewell::ui
