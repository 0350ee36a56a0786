#pragma once
// A report as a simple table, and the ways to put it on paper: preview pages, a PDF file and
// the shared printer. Pages are A4 portrait; each carries the title, the code, the date and
// "Página n de m" at the top and repeats the column titles. Column widths are shared out over
// the page width in proportion to the widths given. An empty table still gives one page.

#include <string>
#include <vector>

#include "ui/graphics.h"
#include "ui/types.h"

namespace frm {

struct ReportColumn {
  std::string title;
  int width = 100;  // relative
  ui::TAlignment alignment = ui::TAlignment::taLeftJustify;
};

struct ReportTable {
  std::string title;  // e.g. "Rentabilidade"
  std::string code;   // e.g. "PED06900", shown beside the title
  std::vector<ReportColumn> columns;
  std::vector<std::vector<std::string>> rows;  // one text per column
};

// How many rows fit on one page.
int ReportRowsPerPage();
int ReportPageCount(const ReportTable& table);

// The pages as pictures at 96 pixels an inch.
std::vector<ui::TBitmap> RenderReportPreview(const ReportTable& table);

// Writes the report to a PDF file. Raises rtl::Exception naming the file when it cannot be
// written.
void ExportReportPdf(const ReportTable& table, const std::string& path);

// Prints the report on ui::Printer() as it is set up. Raises rtl::Exception when the printer
// cannot be used.
void PrintReport(const ReportTable& table);

}  // namespace frm
