// Options > Drives... in the Win32 front end: the drives Tidewell uses, one
// row each in a report-style ListView (drive, label, file system, where it
// was found, whether a destructive run cleans it unattended, folder), with
// Add..., Remove and Close. What the buttons may do, and every refusal, is
// DrivesModel's (ui/drives_model.h); these windows only show its rows and
// ask the user, as the Qt dialog does (ui/qt/drives_dialog.h).
//
// Both windows are modal without a loop of their own: Open disables the
// window they are opened over until they close, so while the drives window
// is open no run can start and the drive table never changes under a run.
// Add... opens AddDriveWindow (a free letter, a folder typed or picked with
// Browse...); its OK adds the drive when the model takes it, else the
// model's refusal is shown in a box and the window stays open to be
// corrected. Remove takes the selected row. After each change
// `onDrivesChanged` runs (the main window refills its drive list) and the
// list is filled afresh. Escape or the close box close either window;
// closing only hides it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/message_box.h"
#include "ui/drives_model.h"
#include "ui/win32/top_window.h"

namespace tidewell::ui::win32 {

// Add...'s window: a free letter and a folder.
class AddDriveWindow : public TopWindow {
 public:
  AddDriveWindow();

  // Lists `freeLetters` (C chosen when it is free, else the first free
  // letter from C on, else A or B), empties the folder and shows the window
  // over `owner`, which stays disabled until the window closes.
  void Open(const std::vector<char>& freeLetters, HWND owner);
  bool IsOpen() const { return IsWindowVisible(Handle()) != 0; }

  char Letter() const;      // 0 when no letter is chosen
  std::string Folder() const;  // as typed, without blanks around it

  // Asked when OK is pressed: the window closes only when it gives true (a
  // refused folder keeps it open). Empty: OK always closes it.
  std::function<bool()> onOk;

  HWND letterList = nullptr;
  HWND folderEdit = nullptr;
  HWND browseButton = nullptr;
  HWND okButton = nullptr;
  HWND cancelButton = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Close();
  void Browse();

  HWND owner_ = nullptr;
};

class DrivesWindow : public TopWindow {
 public:
  // `model` and `boxes` must outlive the window.
  DrivesWindow(DrivesModel& model, MessageBoxes& boxes);

  // Fills the list afresh and shows the window over `owner`, which stays
  // disabled until the window closes.
  void Open(HWND owner);
  bool IsOpen() const { return IsWindowVisible(Handle()) != 0; }
  // Fills the list afresh from the model and enables the buttons.
  void Refresh();

  AddDriveWindow& AddWindow() { return addWindow_; }
  std::string CellText(int row, int column) const;
  // The note saying why nothing can change here ("" when things can).
  std::string BlockedNote() const;
  HWND BlockedNoteLabel() const { return blockedNote_; }
  // The note on unattended drives under the list.
  HWND NoteLabel() const { return note_; }

  std::function<void()> onDrivesChanged;

  HWND list = nullptr;
  HWND addButton = nullptr;
  HWND removeButton = nullptr;
  HWND closeButton = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AfterLayout() override;

 private:
  void PlaceList();
  void OnAdd();
  // Adds the Add window's drive; false when it was refused or not confirmed.
  bool OnAddAccepted();
  void OnRemove();
  // After a drive was added or removed: the main window, then this list.
  void AfterChange();
  void Close();
  void EnableRemove();
  // The letter of the selected row; 0 when none is selected.
  char SelectedLetter() const;

  DrivesModel& model_;
  MessageBoxes& boxes_;
  AddDriveWindow addWindow_;
  HWND blockedNote_ = nullptr;
  HWND note_ = nullptr;
  bool blocked_ = true;  // the note above the list is shown
  HWND owner_ = nullptr;
};

}  // namespace tidewell::ui::win32
