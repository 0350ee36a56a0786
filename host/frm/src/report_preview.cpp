#include "frm/report_preview.h"

#include <QDir>

#include "rtl/exceptions.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/image.h"
#include "ui/label.h"
#include "ui/panel.h"
#include "ui/printers.h"
#include "ui/scroll_box.h"
#include "ui/speed_button.h"

namespace frm {
namespace {

ui::TSpeedButton* AddButton(ui::TWinControl* parent, const char* name, const char* caption,
                            const char* hint, int left, int width) {
  auto* button = new ui::TSpeedButton(parent->Owner());
  button->SetName(name);
  button->SetParent(parent);
  button->SetCaption(caption);
  button->SetHint(hint);
  button->SetBounds(left, 4, width, 26);
  return button;
}

}  // namespace

TfrmVisualizar::TfrmVisualizar(ui::TComponent* owner, ReportTable table)
    : ui::TForm(owner), table_(std::move(table)) {
  SetName("frmVisualizar");
  SetCaption("Visualizar - " + table_.title);
  SetBounds(120, 40, 860, 700);

  panBotoes = new ui::TPanel(this);
  panBotoes->SetName("panBotoes");
  panBotoes->SetParent(this);
  panBotoes->SetAlign(ui::TAlign::alTop);
  panBotoes->SetHeight(34);
  sbtAnterior = AddButton(panBotoes, "sbtAnterior", "◀", "Página anterior (PgUp)", 4, 30);
  sbtProxima = AddButton(panBotoes, "sbtProxima", "▶", "Próxima página (PgDn)", 36, 30);
  sbtImprimir = AddButton(panBotoes, "sbtImprimir", "Imprimir...", "Imprimir (Ctrl+P)", 80, 90);
  sbtSalvarPdf = AddButton(panBotoes, "sbtSalvarPdf", "Salvar PDF...", "Salvar como PDF", 174, 100);
  sbtFechar = AddButton(panBotoes, "sbtFechar", "Fechar", "Fechar (Esc)", 278, 70);
  lblPagina = new ui::TLabel(this);
  lblPagina->SetName("lblPagina");
  lblPagina->SetParent(panBotoes);
  lblPagina->SetBounds(360, 8, 200, 18);

  scbPagina = new ui::TScrollBox(this);
  scbPagina->SetName("scbPagina");
  scbPagina->SetParent(this);
  scbPagina->SetAlign(ui::TAlign::alClient);
  imgPagina = new ui::TImage(this);
  imgPagina->SetName("imgPagina");
  imgPagina->SetParent(scbPagina);
  imgPagina->SetBounds(8, 8, 794, 1123);

  prdImprimir = new ui::TPrintDialog(this);
  prdImprimir->SetName("prdImprimir");

  sbtAnterior->OnClick = [this](ui::TComponent*) { ShowPage(page_ - 1); };
  sbtProxima->OnClick = [this](ui::TComponent*) { ShowPage(page_ + 1); };
  sbtImprimir->OnClick = [this](ui::TComponent*) { Imprimir(); };
  sbtSalvarPdf->OnClick = [this](ui::TComponent*) { SalvarPdf(SuggestedPdfPath(table_)); };
  sbtFechar->OnClick = [this](ui::TComponent*) { Close(); };

  pages_ = RenderReportPreview(table_);
  ShowPage(0);
}

void TfrmVisualizar::ShowPage(int index) {
  page_ = std::clamp(index, 0, PageCount() - 1);
  imgPagina->SetPicture(pages_[static_cast<size_t>(page_)]);
  lblPagina->SetCaption("Página " + std::to_string(page_ + 1) + " de " +
                        std::to_string(PageCount()));
  sbtAnterior->SetEnabled(page_ > 0);
  sbtProxima->SetEnabled(page_ + 1 < PageCount());
}

bool TfrmVisualizar::Imprimir() {
  if (!prdImprimir->Execute()) return false;
  PrintReport(table_);
  return true;
}

std::string TfrmVisualizar::SalvarPdf(const std::string& suggested) {
  std::optional<std::string> path = ui::InputQuery("Salvar PDF", "Nome do arquivo PDF:", suggested);
  if (!path || path->empty()) return {};
  ExportReportPdf(table_, *path);
  ui::ShowInformation("Relatório salvo em " + *path + ".");
  return *path;
}

void ShowReportPreview(const ReportTable& table) {
  auto* preview = ui::Application().CreateForm<TfrmVisualizar>(nullptr, table);
  preview->OnClose = [](ui::TComponent*, ui::TCloseAction& action) {
    action = ui::TCloseAction::caFree;
  };
  preview->ShowModal();
}

std::string SuggestedPdfPath(const ReportTable& table) {
  std::string base = !table.code.empty() ? table.code : table.title;
  if (base.empty()) base = "relatorio";
  return QDir::home().filePath(QString::fromStdString(base + ".pdf")).toStdString();
}

}  // namespace frm
