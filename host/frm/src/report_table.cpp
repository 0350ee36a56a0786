#include "frm/report_table.h"

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <numeric>

#include "rtl/exceptions.h"
#include "ui/printers.h"

namespace frm {
namespace {

// Every page is drawn in these logical units (A4 at 96 pixels an inch) and scaled to the
// device, so preview, PDF and printer show the same layout.
constexpr int kPageWidth = 794;
constexpr int kPageHeight = 1123;
constexpr int kMargin = 48;
constexpr int kHeaderHeight = 72;
constexpr int kTitleRowHeight = 24;
constexpr int kRowHeight = 20;
constexpr int kFooterHeight = 24;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

Qt::Alignment AlignmentOf(ui::TAlignment alignment) {
  switch (alignment) {
    case ui::TAlignment::taRightJustify:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ui::TAlignment::taCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case ui::TAlignment::taLeftJustify:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

std::vector<int> ColumnWidths(const ReportTable& table) {
  const int usable = kPageWidth - 2 * kMargin;
  const int total =
      std::accumulate(table.columns.begin(), table.columns.end(), 0,
                      [](int sum, const ReportColumn& c) { return sum + std::max(c.width, 1); });
  std::vector<int> widths;
  for (const ReportColumn& column : table.columns) {
    widths.push_back(total > 0 ? usable * std::max(column.width, 1) / total : usable);
  }
  return widths;
}

void DrawPage(QPainter& painter, const ReportTable& table, int page, int pageCount,
              const QString& printedAt) {
  painter.setWindow(0, 0, kPageWidth, kPageHeight);
  painter.fillRect(QRect(0, 0, kPageWidth, kPageHeight), Qt::white);
  painter.setPen(Qt::black);

  QFont font("DejaVu Sans");
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  const int width = kPageWidth - 2 * kMargin;
  painter.drawText(QRect(kMargin, kMargin, width, 28), Qt::AlignLeft | Qt::AlignVCenter,
                   Q(table.title));
  font.setPixelSize(11);
  font.setBold(false);
  painter.setFont(font);
  painter.drawText(QRect(kMargin, kMargin, width, 28), Qt::AlignRight | Qt::AlignVCenter,
                   Q(table.code));
  painter.drawText(QRect(kMargin, kMargin + 30, width, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8("Emitido em ") + printedAt);
  painter.drawText(QRect(kMargin, kMargin + 30, width, 18), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromUtf8("Página %1 de %2").arg(page + 1).arg(pageCount));

  const std::vector<int> widths = ColumnWidths(table);
  int y = kMargin + kHeaderHeight;
  font.setBold(true);
  painter.setFont(font);
  painter.fillRect(QRect(kMargin, y, width, kTitleRowHeight), QColor(225, 228, 235));
  int x = kMargin;
  for (size_t c = 0; c < table.columns.size(); ++c) {
    painter.drawText(QRect(x + 4, y, widths[c] - 8, kTitleRowHeight),
                     AlignmentOf(table.columns[c].alignment), Q(table.columns[c].title));
    x += widths[c];
  }
  y += kTitleRowHeight;
  painter.drawLine(kMargin, y, kMargin + width, y);

  font.setBold(false);
  painter.setFont(font);
  const int rowsPerPage = ReportRowsPerPage();
  const size_t first = static_cast<size_t>(page) * static_cast<size_t>(rowsPerPage);
  const size_t last = std::min(table.rows.size(), first + static_cast<size_t>(rowsPerPage));
  for (size_t r = first; r < last; ++r) {
    if ((r - first) % 2 == 1)
      painter.fillRect(QRect(kMargin, y, width, kRowHeight), QColor(245, 246, 248));
    x = kMargin;
    for (size_t c = 0; c < table.columns.size(); ++c) {
      const std::string& text = c < table.rows[r].size() ? table.rows[r][c] : std::string();
      painter.drawText(QRect(x + 4, y, widths[c] - 8, kRowHeight),
                       AlignmentOf(table.columns[c].alignment), Q(text));
      x += widths[c];
    }
    y += kRowHeight;
  }
  if (table.rows.empty()) {
    painter.drawText(QRect(kMargin, y, width, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8("Nenhum registro."));
  }
  painter.drawLine(kMargin, kPageHeight - kMargin - kFooterHeight, kMargin + width,
                   kPageHeight - kMargin - kFooterHeight);
  painter.drawText(QRect(kMargin, kPageHeight - kMargin - kFooterHeight, width, kFooterHeight),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromUtf8("%1 registro(s)").arg(table.rows.size()));
}

QString PrintedAt() {
  return QDateTime::currentDateTime().toString("dd/MM/yyyy HH:mm");
}

// Draws every page on a paged device (PDF writer or printer).
void PaintPages(const ReportTable& table, QPagedPaintDevice& device) {
  QPainter painter;
  if (!painter.begin(&device)) throw rtl::Exception("Não foi possível iniciar a impressão.");
  const int pages = ReportPageCount(table);
  const QString printedAt = PrintedAt();
  for (int page = 0; page < pages; ++page) {
    if (page > 0) device.newPage();
    DrawPage(painter, table, page, pages, printedAt);
  }
  painter.end();
}

}  // namespace

int ReportRowsPerPage() {
  return (kPageHeight - 2 * kMargin - kHeaderHeight - kTitleRowHeight - kFooterHeight) / kRowHeight;
}

int ReportPageCount(const ReportTable& table) {
  const int rows = static_cast<int>(table.rows.size());
  return std::max(1, (rows + ReportRowsPerPage() - 1) / ReportRowsPerPage());
}

std::vector<ui::TBitmap> RenderReportPreview(const ReportTable& table) {
  std::vector<ui::TBitmap> pages;
  const int count = ReportPageCount(table);
  const QString printedAt = PrintedAt();
  for (int page = 0; page < count; ++page) {
    ui::TBitmap bitmap(kPageWidth, kPageHeight);
    QPainter painter(&bitmap.Image());
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawPage(painter, table, page, count, printedAt);
    painter.end();
    pages.push_back(std::move(bitmap));
  }
  return pages;
}

void ExportReportPdf(const ReportTable& table, const std::string& path) {
  QFile file(Q(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    throw rtl::Exception("Não foi possível gravar o arquivo " + path + ": " +
                         file.errorString().toStdString());
  }
  {
    QPdfWriter writer(&file);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setResolution(96);
    writer.setTitle(Q(table.title));
    writer.setCreator("Rentabilidade");
    PaintPages(table, writer);
  }
  if (file.error() != QFileDevice::NoError) {
    throw rtl::Exception("Não foi possível gravar o arquivo " + path + ": " +
                         file.errorString().toStdString());
  }
}

void PrintReport(const ReportTable& table) {
  QPrinter& printer = ui::Printer();
  if (!printer.isValid()) throw rtl::Exception("Nenhuma impressora disponível.");
  PaintPages(table, printer);
}

}  // namespace frm
