#include "ui/win32/report_list.h"

#include <commctrl.h>

#include <algorithm>

#include "i18n/translation.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/dpi.h"

namespace tidewell::ui::win32 {
namespace {

using platform::win32::Widen;

// Either side of a heading: the header item's raised edge (one 2-pixel
// edge) and a margin of three edges.
constexpr int kHeadingMarginsPixels = 2 * (1 + 3) * 2;

int ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

std::wstring Heading(HWND list, int column) {
  wchar_t text[128] = {};
  LVCOLUMNW item{};
  item.mask = LVCF_TEXT;
  item.pszText = text;
  item.cchTextMax = 128;
  SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
  return text;
}

}  // namespace

void AddReportColumns(HWND list, const std::vector<ReportColumn>& columns) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    std::wstring heading = Widen(i18n::Translated(columns[static_cast<std::size_t>(c)].heading));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = columns[static_cast<std::size_t>(c)].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = heading.data();
    column.iSubItem = c;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
}

void FillReportRows(HWND list, const std::vector<std::vector<std::string>>& rows, UINT dpi) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const std::vector<std::string>& cells = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      std::wstring text = Widen(cells[static_cast<std::size_t>(c)]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = r;
      item.iSubItem = c;
      item.pszText = text.data();
      SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, c == 0 ? 0 : r,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  FitReportColumns(list, dpi);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The heading's width is measured here: the header draws its text inside a
// raised edge and a margin of three edges on either side, which the list's
// own sizing to the heading (LVSCW_AUTOSIZE_USEHEADER) does not always
// count (under Wine a short heading such as "Drive" was cut).
void FitReportColumns(HWND list, UINT dpi) {
  const int margins = Scaled(kHeadingMarginsPixels, dpi);
  const int columns = ColumnCount(list);
  for (int c = 0; c < columns; ++c) {
    const std::wstring heading = Heading(list, c);
    const LRESULT headingWidth =
        SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(heading.c_str())) + margins;
    SendMessageW(list, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE);
    const LRESULT cells = SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE_USEHEADER);
    const LRESULT byHeader = SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, c, std::max({cells, byHeader, headingWidth}));
  }
}

std::string ReportCellText(HWND list, int row, int column) {
  std::wstring text(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, length)));
  return platform::win32::Narrow(text);
}

int SelectedReportRow(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

}  // namespace tidewell::ui::win32
