#include "ui/qt/drives_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

#include "ui/qt/translated_text.h"

namespace tidewell::ui {
namespace {

QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

AddDriveDialog::AddDriveDialog(const std::vector<char>& freeLetters, QWidget* parent)
    : QDialog(parent),
      letterList(new QComboBox(this)),
      folderEdit(new QLineEdit(this)),
      browseButton(new QPushButton(Shown(kBrowseCaption), this)) {
  setObjectName(QStringLiteral("AddDriveDialog"));
  setWindowTitle(Shown(kAddDriveTitle));
  for (const char letter : freeLetters) letterList->addItem(QString(QChar(letter)) + QLatin1Char(':'));
  const auto first = std::find_if(freeLetters.begin(), freeLetters.end(), [](char l) { return l >= 'C'; });
  if (first != freeLetters.end()) {
    letterList->setCurrentIndex(static_cast<int>(std::distance(freeLetters.begin(), first)));
  }
  folderEdit->setMinimumWidth(320);
  connect(browseButton, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, Shown(kAddDriveTitle), folderEdit->text());
    if (!folder.isEmpty()) folderEdit->setText(folder);
  });

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folderEdit, 1);
  folderRow->addWidget(browseButton);
  auto* form = new QFormLayout;
  form->addRow(Shown(kAddDriveLetterCaption), letterList);
  // A label for a row of two widgets takes the folder's field as its buddy
  // by hand, so that its access key works (and its "&" is not shown).
  auto* folderLabel = new QLabel(Shown(kAddDriveFolderCaption), this);
  folderLabel->setBuddy(folderEdit);
  form->addRow(folderLabel, folderRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (!onOk || onOk()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

char AddDriveDialog::Letter() const {
  const QString text = letterList->currentText();
  return text.isEmpty() ? '\0' : static_cast<char>(text[0].toLatin1());
}

std::string AddDriveDialog::Folder() const { return folderEdit->text().trimmed().toStdString(); }

DrivesDialog::DrivesDialog(DrivesModel& model, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent),
      table(new QTableWidget(this)),
      blockedNote(new QLabel(this)),
      addButton(new QPushButton(Shown(kAddDriveCaption), this)),
      removeButton(new QPushButton(Shown(kRemoveDriveCaption), this)),
      closeButton(new QPushButton(Shown(kCloseDrivesCaption), this)),
      model_(model),
      boxes_(boxes) {
  setObjectName(QStringLiteral("DrivesDialog"));
  setWindowTitle(Shown(kDrivesTitle));
  setModal(true);
  table->setObjectName(QStringLiteral("DrivesTable"));
  table->setColumnCount(static_cast<int>(std::size(kDrivesColumns)));
  QStringList headers;
  for (const std::string_view column : kDrivesColumns) headers << Shown(column);
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  blockedNote->setWordWrap(true);
  auto* note = new QLabel(Shown(kDrivesNote), this);
  note->setWordWrap(true);

  connect(addButton, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(removeButton, &QPushButton::clicked, this, [this] { OnRemove(); });
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(table, &QTableWidget::itemSelectionChanged, this,
          [this] { removeButton->setEnabled(!model_.ChangesBlocked() && SelectedLetter() != '\0'); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(addButton);
  buttons->addWidget(removeButton);
  buttons->addStretch(1);
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(blockedNote);
  layout->addWidget(table, 1);
  layout->addWidget(note);
  layout->addLayout(buttons);
  resize(720, 320);
  Refresh();
}

void DrivesDialog::Refresh() {
  const std::vector<session::DriveFacts> rows = model_.Rows();
  table->clearContents();
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const std::vector<std::string> cells = DriveCells(rows[static_cast<std::size_t>(r)]);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      table->setItem(r, c, new QTableWidgetItem(FromStd(cells[static_cast<std::size_t>(c)])));
    }
  }
  table->resizeColumnsToContents();
  const std::optional<std::string> blocked = model_.ChangesBlocked();
  blockedNote->setText(blocked ? ShownLines(*blocked) : QString());
  blockedNote->setVisible(blocked.has_value());
  addButton->setEnabled(!blocked && !model_.FreeLetters().empty());
  removeButton->setEnabled(!blocked && SelectedLetter() != '\0');
}

char DrivesDialog::SelectedLetter() const {
  const QList<QTableWidgetItem*> selected = table->selectedItems();
  if (selected.isEmpty()) return '\0';
  const QTableWidgetItem* drive = table->item(selected.front()->row(), 0);
  return drive == nullptr || drive->text().isEmpty() ? '\0' : static_cast<char>(drive->text()[0].toLatin1());
}

void DrivesDialog::OnAdd() {
  const std::vector<char> free = model_.FreeLetters();
  if (free.empty() || addDialog_ != nullptr) return;
  addDialog_ = new AddDriveDialog(free, this);
  addDialog_->setAttribute(Qt::WA_DeleteOnClose);
  addDialog_->onOk = [this] { return OnAddAccepted(); };
  connect(addDialog_, &QObject::destroyed, this, [this] { addDialog_ = nullptr; });
  addDialog_->open();
}

bool DrivesDialog::OnAddAccepted() {
  return model_.AddAsked(addDialog_->Letter(), addDialog_->Folder(), boxes_, [this] { AfterChange(); });
}

void DrivesDialog::AfterChange() {
  if (onDrivesChanged) onDrivesChanged();
  Refresh();
}

void DrivesDialog::OnRemove() {
  const char letter = SelectedLetter();
  if (letter == '\0') return;
  model_.RemoveAsked(letter, boxes_, [this] { AfterChange(); });
}

}  // namespace tidewell::ui
