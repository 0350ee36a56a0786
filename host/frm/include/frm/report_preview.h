#pragma once
// TfrmVisualizar: the modal preview of a report table, page by page, from which the user
// prints it (print dialog through the dialog seam) or saves it as PDF (file name asked through
// the seam). Failures of printing or saving are shown as errors; the preview stays open.

#include <memory>
#include <string>
#include <vector>

#include "frm/report_table.h"
#include "ui/form.h"

namespace ui {
class TImage;
class TLabel;
class TPanel;
class TPrintDialog;
class TScrollBox;
class TSpeedButton;
}  // namespace ui

namespace frm {

class TfrmVisualizar : public ui::TForm {
 public:
  TfrmVisualizar(ui::TComponent* owner, ReportTable table);

  ui::TPanel* panBotoes;
  ui::TSpeedButton* sbtAnterior;
  ui::TSpeedButton* sbtProxima;
  ui::TSpeedButton* sbtImprimir;
  ui::TSpeedButton* sbtSalvarPdf;
  ui::TSpeedButton* sbtFechar;
  ui::TLabel* lblPagina;
  ui::TScrollBox* scbPagina;
  ui::TImage* imgPagina;
  ui::TPrintDialog* prdImprimir;

  int PageIndex() const { return page_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  void ShowPage(int index);
  // Asks for the printer, then prints. Returns whether it printed.
  bool Imprimir();
  // Asks for a file name (suggesting `suggested`), then writes the PDF. Returns the path written,
  // empty when the user cancelled.
  std::string SalvarPdf(const std::string& suggested);

 private:
  ReportTable table_;
  std::vector<ui::TBitmap> pages_;
  int page_ = 0;
};

// Shows the preview of `table` modally and returns when it is closed.
void ShowReportPreview(const ReportTable& table);

// The file name offered when saving `table` as PDF: <home>/<code or title>.pdf.
std::string SuggestedPdfPath(const ReportTable& table);

}  // namespace frm
