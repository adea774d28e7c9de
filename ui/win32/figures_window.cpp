#include "ui/win32/figures_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "platform/win32/wide_text.h"

namespace tidewell::ui::win32 {
namespace {

using platform::win32::Widen;

constexpr FontSpec kDialogFont{L"Microsoft Sans Serif", 8.25};

constexpr int kClientWidthTwips = 9000;
constexpr int kClientHeightTwips = 4200;
constexpr TwipsRect kListPlace{120, 120, 8760, 3360};
constexpr TwipsRect kOkPlace{7665, 3630, 1215, 375};
// Either side of a heading: the header item's raised edge (one 2-pixel
// edge) and a margin of three edges.
constexpr int kHeadingMarginsPixels = 2 * (1 + 3) * 2;
constexpr int kListId = 100;  // apart from the OK button's IDOK

struct Column {
  const char* heading;
  int format;
};
// Figures line up on the right, as in the console's table.
constexpr std::array<Column, 5> kColumns = {{{"Drive", LVCFMT_LEFT},
                                             {"Category", LVCFMT_LEFT},
                                             {"Caption", LVCFMT_LEFT},
                                             {"Files", LVCFMT_RIGHT},
                                             {"Size", LVCFMT_RIGHT}}};

// Each column as wide as the wider of its heading and its longest cell;
// the last also takes what is left of the list's width. The heading's
// width is measured here: the header draws its text inside a raised edge
// and a margin of three edges on either side, which the list's own sizing
// to the heading (LVSCW_AUTOSIZE_USEHEADER) does not always count (under
// Wine a short heading such as "Drive" was cut).
void FitColumns(HWND list, UINT dpi) {
  const int margins = Scaled(kHeadingMarginsPixels, dpi);
  for (int c = 0; c < static_cast<int>(kColumns.size()); ++c) {
    const std::wstring heading = Widen(kColumns[static_cast<std::size_t>(c)].heading);
    const LRESULT headingWidth =
        SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(heading.c_str())) + margins;
    SendMessageW(list, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE);
    const LRESULT cells = SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE_USEHEADER);
    const LRESULT byHeader = SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, c, std::max({cells, byHeader, headingWidth}));
  }
}

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
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int c = 0; c < static_cast<int>(kColumns.size()); ++c) {
    std::wstring heading = Widen(kColumns[static_cast<std::size_t>(c)].heading);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[static_cast<std::size_t>(c)].format;
    column.pszText = heading.data();
    column.iSubItem = c;
    SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  okButton_ = MakeControl(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kOkPlace, kDialogFont);
}

void FiguresWindow::Show(const std::vector<CategoryFiguresRow>& rows) {
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const CategoryFiguresRow& row = rows[static_cast<std::size_t>(r)];
    const std::array<const std::string*, 5> cells = {&row.drive, &row.category, &row.caption, &row.files, &row.size};
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      std::wstring text = Widen(*cells[static_cast<std::size_t>(c)]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = r;
      item.iSubItem = c;
      item.pszText = text.data();
      SendMessageW(list_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, c == 0 ? 0 : r,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  FitColumns(list_, Dpi());
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);

  if (!shownBefore_) CentreOnMonitor(Handle());
  shownBefore_ = true;
  ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(list_);
}

std::string FiguresWindow::CellText(int row, int column) const {
  std::wstring text(512, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  const LRESULT length = SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, length)));
  return platform::win32::Narrow(text);
}

void FiguresWindow::AfterLayout() {
  // The list's font changes with the DPI; its columns follow it.
  FitColumns(list_, Dpi());
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
