// Options > Drives...: the drives Tidewell uses, one row each (drive,
// label, file system, where it was found, whether a destructive run cleans
// it unattended, folder), with Add..., Remove and Close. What the buttons
// may do, and every refusal, is DrivesModel's (ui/drives_model.h); this
// window only shows its rows and asks the user.
//
// The window is modal: while it is open no run can start, so the drive
// table never changes under a run. Add... opens AddDriveDialog (a free
// letter, a folder typed or picked with Browse...); its OK adds the drive
// when the model takes it, else the model's refusal is shown in a box and
// the dialog stays open to be corrected. Remove takes the selected row.
// After each change `onDrivesChanged` runs (the main window refills its
// drive list) and the table is filled afresh.
#pragma once

#include <functional>

#include <QDialog>

#include "settings/message_box.h"
#include "ui/drives_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tidewell::ui {

// Add...'s dialog: a free letter and a folder.
class AddDriveDialog : public QDialog {
  Q_OBJECT

 public:
  // `freeLetters` must not be empty; C is chosen first when it is free,
  // else the first free letter from C on, else A or B.
  AddDriveDialog(const std::vector<char>& freeLetters, QWidget* parent = nullptr);

  char Letter() const;
  std::string Folder() const;

  // Asked when OK is pressed: the dialog closes only when it gives true (a
  // refused folder keeps it open). Empty: OK always closes it.
  std::function<bool()> onOk;

  QComboBox* letterList;
  QLineEdit* folderEdit;
  QPushButton* browseButton;
};

class DrivesDialog : public QDialog {
  Q_OBJECT

 public:
  // `model` and `boxes` must outlive the dialog.
  DrivesDialog(DrivesModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

  // Fills the table afresh from the model and enables the buttons.
  void Refresh();

  // The open Add dialog, while one is open (for tests); else nullptr.
  AddDriveDialog* OpenAddDialog() const { return addDialog_; }

  std::function<void()> onDrivesChanged;

  QTableWidget* table;
  QLabel* blockedNote;  // why nothing can change here; hidden when things can
  QPushButton* addButton;
  QPushButton* removeButton;
  QPushButton* closeButton;

 private:
  void OnAdd();
  // Adds the Add dialog's drive; false when it was refused or not confirmed.
  bool OnAddAccepted();
  void OnRemove();
  // After a drive was added or removed: the main window, then this list.
  void AfterChange();
  // The letter of the selected row; 0 when none is selected.
  char SelectedLetter() const;

  DrivesModel& model_;
  MessageBoxes& boxes_;
  AddDriveDialog* addDialog_ = nullptr;
};

}  // namespace tidewell::ui
