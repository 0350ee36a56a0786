#include "frm/dadosgerrel.h"

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "frm/report_preview.h"
#include "ui/application.h"
#include "ui/db_grid.h"
#include "ui/dialogs.h"
#include "ui/label.h"
#include "ui/panel.h"
#include "ui/printers.h"
#include "ui/speed_button.h"

namespace frm {
namespace {

template <class T>
T* Make(ui::TComponent* owner, const char* name) {
  auto* component = new T(owner);
  component->SetName(name);
  return component;
}

ui::TSpeedButton* Button(ui::TComponent* owner, ui::TWinControl* parent, const char* name,
                         const char* caption, int left, int width) {
  auto* button = Make<ui::TSpeedButton>(owner, name);
  button->SetParent(parent);
  button->SetCaption(caption);
  button->SetBounds(left, 5, width, 26);
  return button;
}

}  // namespace

TfrmDadosGerRel::TfrmDadosGerRel(ui::TComponent* owner)
    : ui::TForm(owner),
      cdsRelatorios_(std::make_unique<db::TClientDataSet>()),
      dtsRelatorios_(std::make_unique<db::TDataSource>(cdsRelatorios_.get())) {
  SetName("frmDadosGerRel");
  SetCaption("Relatórios");
  SetBounds(200, 120, 480, 320);

  panMenu = Make<ui::TPanel>(this, "panMenu");
  panMenu->SetParent(this);
  panMenu->SetAlign(ui::TAlign::alTop);
  panMenu->SetHeight(29);
  lblCodRel = Make<ui::TLabel>(this, "lblCodRel");
  lblCodRel->SetParent(panMenu);
  lblCodRel->SetBounds(8, 8, 80, 14);
  lblCodTela = Make<ui::TLabel>(this, "lblCodTela");
  lblCodTela->SetParent(panMenu);
  lblCodTela->SetBounds(396, 8, 76, 14);

  panBotoes = Make<ui::TPanel>(this, "panBotoes");
  panBotoes->SetParent(this);
  panBotoes->SetAlign(ui::TAlign::alBottom);
  panBotoes->SetHeight(36);
  sbtVisualizar = Button(this, panBotoes, "sbtVisualizar", "Visualizar", 8, 90);
  sbtImprimir = Button(this, panBotoes, "sbtImprimir", "Imprimir...", 102, 90);
  sbtExportar = Button(this, panBotoes, "sbtExportar", "Exportar PDF...", 196, 110);
  sbtFechar = Button(this, panBotoes, "sbtFechar", "Fechar", 390, 80);

  lblRelatorios = Make<ui::TLabel>(this, "lblRelatorios");
  lblRelatorios->SetParent(this);
  lblRelatorios->SetAlign(ui::TAlign::alTop);
  lblRelatorios->SetHeight(22);

  cdsRelatorios_->AddStringField("NOME", 120).SetDisplayLabel("Relatório");
  dbgRelatorios = Make<ui::TDBGrid>(this, "dbgRelatorios");
  dbgRelatorios->SetParent(this);
  dbgRelatorios->SetAlign(ui::TAlign::alClient);
  dbgRelatorios->SetDataSource(dtsRelatorios_.get());
  dbgRelatorios->SetReadOnly(true);
  ui::TColumn* column = dbgRelatorios->Columns().Add();
  column->SetFieldName("NOME");
  column->Title().SetCaption("Relatório");
  column->SetWidth(420);

  prdImprimir = Make<ui::TPrintDialog>(this, "prdImprimir");

  OnCreate = [this](ui::TComponent* sender) { FormCreate(sender); };
  OnClose = [this](ui::TComponent* sender, ui::TCloseAction& action) { FormClose(sender, action); };
  sbtVisualizar->OnClick = [this](ui::TComponent*) { Visualizar(); };
  sbtImprimir->OnClick = [this](ui::TComponent*) { Imprimir(); };
  sbtExportar->OnClick = [this](ui::TComponent*) { Exportar(); };
  sbtFechar->OnClick = [this](ui::TComponent*) { Close(); };
  dbgRelatorios->OnDblClick = [this](ui::TComponent*) { Visualizar(); };
}

TfrmDadosGerRel::~TfrmDadosGerRel() = default;

void TfrmDadosGerRel::FormCreate(ui::TComponent*) {
  const std::string& code = lblCodRel->Caption();
  reports_ = ReportsFor(code);
  cdsRelatorios_->CreateDataSet();
  for (const RegisteredReport& report : reports_) {
    cdsRelatorios_->Append();
    cdsRelatorios_->FieldByName("NOME").SetAsString(report.name);
    cdsRelatorios_->Post();
  }
  cdsRelatorios_->MergeChangeLog();
  cdsRelatorios_->First();
  const bool any = !reports_.empty();
  lblRelatorios->SetCaption(any ? "Relatórios disponíveis:"
                                : "Nenhum relatório cadastrado para o código " + code + ".");
  sbtVisualizar->SetEnabled(any);
  sbtImprimir->SetEnabled(any);
  sbtExportar->SetEnabled(any);
}

void TfrmDadosGerRel::FormClose(ui::TComponent*, ui::TCloseAction& Action) {
  Action = ui::TCloseAction::caFree;
}

int TfrmDadosGerRel::Chosen() const {
  if (!cdsRelatorios_->Active() || cdsRelatorios_->IsEmpty()) return -1;
  return cdsRelatorios_->RecNo() - 1;
}

void TfrmDadosGerRel::Choose(int index) {
  cdsRelatorios_->SetRecNo(index + 1);
}

bool TfrmDadosGerRel::Build(ReportTable& table) {
  const int chosen = Chosen();
  if (chosen < 0) return false;
  table = reports_[static_cast<size_t>(chosen)].build();
  if (table.code.empty()) table.code = lblCodRel->Caption();
  return true;
}

void TfrmDadosGerRel::Visualizar() {
  ReportTable table;
  if (Build(table)) ShowReportPreview(table);
}

bool TfrmDadosGerRel::Imprimir() {
  ReportTable table;
  if (Chosen() < 0 || !prdImprimir->Execute() || !Build(table)) return false;
  PrintReport(table);
  return true;
}

std::string TfrmDadosGerRel::Exportar() {
  ReportTable table;
  if (!Build(table)) return {};
  std::optional<std::string> path =
      ui::InputQuery("Exportar PDF", "Nome do arquivo PDF:", SuggestedPdfPath(table));
  if (!path || path->empty()) return {};
  ExportReportPdf(table, *path);
  ui::ShowInformation("Relatório salvo em " + *path + ".");
  return *path;
}

}  // namespace frm
