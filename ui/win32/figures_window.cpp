#include "ui/win32/figures_window.h"

#include <commctrl.h>


#include "ui/win32/report_list.h"

namespace tidewell::ui::win32 {
namespace {

constexpr FontChoice kDialogFont{L"Microsoft Sans Serif", 8.25};

constexpr int kClientWidthTwips = 9000;
constexpr int kClientHeightTwips = 4200;
constexpr TwipsRect kListPlace{120, 120, 8760, 3360};
constexpr TwipsRect kOkPlace{7665, 3630, 1215, 375};
constexpr int kListId = 100;  // apart from the OK button's IDOK

}  // namespace

FiguresWindow::FiguresWindow() {
  CreateTopWindow(L"TidewellFigures", kFiguresTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr,
                  kClientWidthTwips, kClientHeightTwips);
  BuildControls();
  Layout();
}

void FiguresWindow::BuildControls() {
  list_ = MakeControl(WC_LISTVIEWW, "",
                      LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP,
                      kListId, kListPlace, kDialogFont);
  // Figures line up on the right, as in the console's table.
  AddReportColumns(list_, {{"Drive"}, {"Category"}, {"Caption"}, {"Files", true}, {"Size", true}});
  okButton_ = MakeControl(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kOkPlace, kDialogFont);
}

void FiguresWindow::Show(const std::vector<CategoryFiguresRow>& rows) {
  std::vector<std::vector<std::string>> cells;
  for (const CategoryFiguresRow& row : rows) cells.push_back({row.drive, row.category, row.caption, row.files, row.size});
  FillReportRows(list_, cells, Dpi());

  if (!shownBefore_) CentreOnMonitor(Handle());
  shownBefore_ = true;
  ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(list_);
}

std::string FiguresWindow::CellText(int row, int column) const { return ReportCellText(list_, row, column); }

void FiguresWindow::AfterLayout() {
  // The list's font changes with the DPI; its columns follow it.
  FitReportColumns(list_, Dpi());
}

LRESULT FiguresWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // OK (or Enter) and Escape hide the window.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ShowWindow(Handle(), SW_HIDE);
        return 0;
      }
      break;
    case WM_CLOSE:
      ShowWindow(Handle(), SW_HIDE);
      return 0;
    default:
      break;
  }
  return TopWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tidewell::ui::win32
