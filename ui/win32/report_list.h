// A read-only report-style ListView as the Win32 windows use it for their
// tables (View > Figures by Category, Options > Drives...): headed columns,
// whole rows of text, each column sized so that neither its heading nor any
// cell is cut.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tidewell::ui::win32 {

struct ReportColumn {
  std::string_view heading;
  bool rightAligned = false;  // figures line up on the right
};

// Full-row selection and the columns, on a ListView made with LVS_REPORT.
void AddReportColumns(HWND list, const std::vector<ReportColumn>& columns);

// Replaces every row with `rows` (one text a column) and sizes the columns.
void FillReportRows(HWND list, const std::vector<std::vector<std::string>>& rows, UINT dpi);

// Each column as wide as the wider of its heading and its longest cell; the
// last also takes what is left of the list's width.
void FitReportColumns(HWND list, UINT dpi);

// The text of one cell, as UTF-8.
std::string ReportCellText(HWND list, int row, int column);

// The selected row; -1 when none is.
int SelectedReportRow(HWND list);

}  // namespace tidewell::ui::win32
