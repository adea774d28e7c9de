#include "ui/win32/drives_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <iterator>

#include "platform/win32/wide_text.h"
#include "ui/win32/report_list.h"

namespace tidewell::ui::win32 {
namespace {

using platform::win32::Narrow;
using platform::win32::Widen;

constexpr FontChoice kDialogFont{L"Microsoft Sans Serif", 8.25};

// Options > Drives...: the note on what blocks changes above the list, the
// note on unattended drives below it, then the buttons.
constexpr int kDrivesWidthTwips = 10800;
constexpr int kDrivesHeightTwips = 4710;
constexpr TwipsRect kBlockedPlace{120, 120, 10560, 600};
constexpr TwipsRect kDrivesListPlace{120, 780, 10560, 2640};
// With nothing blocked the note above is hidden and the list takes its place.
constexpr TwipsRect kDrivesListPlaceUnblocked{120, 120, 10560, 3300};
constexpr TwipsRect kNotePlace{120, 3480, 10560, 600};
constexpr TwipsRect kAddPlace{120, 4215, 1215, 375};
constexpr TwipsRect kRemovePlace{1455, 4215, 1215, 375};
constexpr TwipsRect kClosePlace{9465, 4215, 1215, 375};
enum DrivesId : int { kDrivesListId = 100, kAddId, kRemoveId };

// Add a Drive: the letter, the folder with Browse..., OK and Cancel.
constexpr int kAddWidthTwips = 6600;
constexpr int kAddHeightTwips = 1515;
constexpr TwipsRect kLetterCaptionPlace{120, 165, 1300, 255};
constexpr TwipsRect kLetterListPlace{1500, 120, 1000, 315 * 8};
constexpr TwipsRect kFolderCaptionPlace{120, 615, 1300, 255};
constexpr TwipsRect kFolderEditPlace{1500, 570, 3660, 330};
constexpr TwipsRect kBrowsePlace{5280, 555, 1200, 360};
constexpr TwipsRect kOkPlace{3945, 1020, 1215, 375};
constexpr TwipsRect kCancelPlace{5265, 1020, 1215, 375};
enum AddId : int { kLetterListId = 100, kFolderEditId, kBrowseId };

// Shows `window` over `owner` and disables the owner until it closes.
void OpenOver(HWND window, HWND owner) {
  SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  CentreOnMonitor(window);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

// The owner comes back before the window goes, so it gets the activation.
void CloseOver(HWND window, HWND owner) {
  if (owner != nullptr) EnableWindow(owner, TRUE);
  ShowWindow(window, SW_HIDE);
  if (owner != nullptr) SetForegroundWindow(owner);
}

std::string Trimmed(std::string text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
  return text;
}

}  // namespace

// AddDriveWindow --------------------------------------------------------------

AddDriveWindow::AddDriveWindow() {
  CreateTopWindow(L"TidewellAddDrive", kAddDriveTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr,
                  kAddWidthTwips, kAddHeightTwips);
  MakeControl(L"STATIC", kAddDriveLetterCaption, SS_LEFT, -1, kLetterCaptionPlace, kDialogFont, CaptionKind::Label);
  letterList = MakeControl(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kLetterListId,
                           kLetterListPlace, kDialogFont);
  MakeControl(L"STATIC", kAddDriveFolderCaption, SS_LEFT, -1, kFolderCaptionPlace, kDialogFont, CaptionKind::Label);
  folderEdit = MakeControl(WC_EDITW, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kFolderEditId, kFolderEditPlace,
                           kDialogFont);
  browseButton = MakeControl(L"BUTTON", kBrowseCaption, BS_PUSHBUTTON | WS_TABSTOP, kBrowseId, kBrowsePlace,
                             kDialogFont);
  okButton = MakeControl(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kOkPlace, kDialogFont);
  cancelButton = MakeControl(L"BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, kCancelPlace, kDialogFont);
  Layout();
}

void AddDriveWindow::Open(const std::vector<char>& freeLetters, HWND owner) {
  SendMessageW(letterList, CB_RESETCONTENT, 0, 0);
  for (const char letter : freeLetters) {
    SendMessageW(letterList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(std::string(1, letter) + ":").c_str()));
  }
  const auto first = std::find_if(freeLetters.begin(), freeLetters.end(), [](char l) { return l >= 'C'; });
  SendMessageW(letterList, CB_SETCURSEL, first != freeLetters.end() ? std::distance(freeLetters.begin(), first) : 0, 0);
  SetWindowTextW(folderEdit, L"");
  owner_ = owner;
  OpenOver(Handle(), owner_);
  SetFocus(folderEdit);
}

char AddDriveWindow::Letter() const {
  const LRESULT index = SendMessageW(letterList, CB_GETCURSEL, 0, 0);
  if (index < 0) return '\0';
  wchar_t text[8] = {};
  if (SendMessageW(letterList, CB_GETLBTEXTLEN, index, 0) >= 8) return '\0';
  SendMessageW(letterList, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return static_cast<char>(text[0]);
}

std::string AddDriveWindow::Folder() const { return Trimmed(WindowText(folderEdit)); }

void AddDriveWindow::Close() { CloseOver(Handle(), owner_); }

// The system's folder picker, starting nowhere in particular; the folder
// picked replaces what the field holds.
void AddDriveWindow::Browse() {
  const std::wstring title = Widen(kAddDriveTitle);
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&browse);
  if (picked == nullptr) return;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(picked, path)) SetWindowTextW(folderEdit, path);
  CoTaskMemFree(picked);
}

LRESULT AddDriveWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (!onOk || onOk()) Close();
          return 0;
        case IDCANCEL: Close(); return 0;
        case kBrowseId:
          if (HIWORD(wParam) == BN_CLICKED) Browse();
          return 0;
        default: break;
      }
      break;
    case WM_CLOSE: Close(); return 0;
    default: break;
  }
  return TopWindow::HandleMessage(message, wParam, lParam);
}

// DrivesWindow ----------------------------------------------------------------

DrivesWindow::DrivesWindow(DrivesModel& model, MessageBoxes& boxes) : model_(model), boxes_(boxes) {
  CreateTopWindow(L"TidewellDrives", kDrivesTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr,
                  kDrivesWidthTwips, kDrivesHeightTwips);
  blockedNote_ = MakeControl(L"STATIC", "", SS_LEFT, -1, kBlockedPlace, kDialogFont);
  list = MakeControl(WC_LISTVIEWW, "",
                     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP,
                     kDrivesListId, kDrivesListPlace, kDialogFont);
  std::vector<ReportColumn> columns;
  for (const std::string_view heading : kDrivesColumns) columns.push_back({heading});
  AddReportColumns(list, columns);
  // The notes wrap in their place, which holds three lines: they keep the
  // dialog font (a caption fitted to one line would be drawn tiny).
  note_ = MakeControl(L"STATIC", kDrivesNote, SS_LEFT, -1, kNotePlace, kDialogFont);
  addButton = MakeControl(L"BUTTON", kAddDriveCaption, BS_PUSHBUTTON | WS_TABSTOP, kAddId, kAddPlace, kDialogFont);
  removeButton = MakeControl(L"BUTTON", kRemoveDriveCaption, BS_PUSHBUTTON | WS_TABSTOP, kRemoveId, kRemovePlace,
                             kDialogFont);
  closeButton = MakeControl(L"BUTTON", kCloseDrivesCaption, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, kClosePlace,
                            kDialogFont);
  Layout();
  addWindow_.onOk = [this] { return OnAddAccepted(); };
}

void DrivesWindow::Open(HWND owner) {
  Refresh();
  owner_ = owner;
  OpenOver(Handle(), owner_);
  SetFocus(list);
}

void DrivesWindow::Refresh() {
  std::vector<std::vector<std::string>> rows;
  for (const session::DriveFacts& drive : model_.Rows()) rows.push_back(DriveCells(drive));
  FillReportRows(list, rows, Dpi());
  const std::optional<std::string> blocked = model_.ChangesBlocked();
  SetWindowText(blockedNote_, blocked.value_or(""));
  ShowWindow(blockedNote_, blocked ? SW_SHOW : SW_HIDE);
  blocked_ = blocked.has_value();
  PlaceList();
  EnableWindow(addButton, !blocked && !model_.FreeLetters().empty());
  EnableRemove();
}

void DrivesWindow::PlaceList() {
  const PixelRect place = ScaledRect(blocked_ ? kDrivesListPlace : kDrivesListPlaceUnblocked, Dpi());
  SetWindowPos(list, nullptr, place.left, place.top, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrivesWindow::AfterLayout() {
  // Layout puts every control in its first place; the list then goes where
  // the note above it leaves room, and its columns follow the new font.
  PlaceList();
  FitReportColumns(list, Dpi());
}

void DrivesWindow::EnableRemove() { EnableWindow(removeButton, !model_.ChangesBlocked() && SelectedLetter() != '\0'); }

std::string DrivesWindow::CellText(int row, int column) const { return ReportCellText(list, row, column); }

std::string DrivesWindow::BlockedNote() const { return WindowText(blockedNote_); }

char DrivesWindow::SelectedLetter() const {
  const int row = SelectedReportRow(list);
  if (row < 0) return '\0';
  const std::string drive = CellText(row, 0);
  return drive.empty() ? '\0' : drive[0];
}

void DrivesWindow::OnAdd() {
  const std::vector<char> free = model_.FreeLetters();
  if (free.empty() || addWindow_.IsOpen()) return;
  addWindow_.Open(free, Handle());
}

bool DrivesWindow::OnAddAccepted() {
  return model_.AddAsked(addWindow_.Letter(), addWindow_.Folder(), boxes_, [this] { AfterChange(); });
}

void DrivesWindow::AfterChange() {
  if (onDrivesChanged) onDrivesChanged();
  Refresh();
}

void DrivesWindow::OnRemove() {
  const char letter = SelectedLetter();
  if (letter == '\0') return;
  model_.RemoveAsked(letter, boxes_, [this] { AfterChange(); });
}

void DrivesWindow::Close() {
  if (addWindow_.IsOpen()) return;  // the Add window closes first
  CloseOver(Handle(), owner_);
}

LRESULT DrivesWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case kAddId: OnAdd(); return 0;
        case kRemoveId: OnRemove(); return 0;
        case IDCANCEL: Close(); return 0;
        default: break;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == list && header->code == LVN_ITEMCHANGED) EnableRemove();
      break;
    }
    case WM_CLOSE: Close(); return 0;
    default: break;
  }
  return TopWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tidewell::ui::win32
