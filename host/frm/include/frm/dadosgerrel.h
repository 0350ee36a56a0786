#pragma once
// Unit Dadosgerrel: TfrmDadosGerRel, the standard report screen, shown modally.
//
// A derived screen sets the captions of lblCodTela (its screen code) and lblCodRel (its report
// code) in its constructor. At creation the screen lists the reports registered for the report
// code (report_registry.h); the user chooses one and previews it, prints it or exports it to PDF.
// With none registered it says so and offers only Fechar. A report whose building fails shows
// the failure and leaves the screen open.

#include <string>
#include <vector>

#include "frm/report_registry.h"
#include "ui/form.h"

namespace db {
class TClientDataSet;
class TDataSource;
class TStringField;
}  // namespace db

namespace ui {
class TDBGrid;
class TLabel;
class TPanel;
class TPrintDialog;
class TSpeedButton;
}  // namespace ui

namespace frm {

class TfrmDadosGerRel : public ui::TForm {
 public:
  explicit TfrmDadosGerRel(ui::TComponent* owner);
  ~TfrmDadosGerRel() override;

  ui::TPanel* panMenu;
  ui::TLabel* lblCodTela;
  ui::TLabel* lblCodRel;
  ui::TLabel* lblRelatorios;  // "Relatórios disponíveis:" or that there are none
  ui::TDBGrid* dbgRelatorios;
  ui::TPanel* panBotoes;
  ui::TSpeedButton* sbtVisualizar;
  ui::TSpeedButton* sbtImprimir;
  ui::TSpeedButton* sbtExportar;
  ui::TSpeedButton* sbtFechar;
  ui::TPrintDialog* prdImprimir;

  // Lists the reports of lblCodRel's code. Bound to OnCreate.
  virtual void FormCreate(ui::TComponent* Sender);
  // The screen is freed when closed (Action becomes caFree). Bound to OnClose.
  virtual void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action);

  // The reports offered, in order, and the chosen one (-1 when there is none).
  const std::vector<RegisteredReport>& Reports() const { return reports_; }
  int Chosen() const;
  void Choose(int index);

  // Commands on the chosen report. Visualizar shows the modal preview; Imprimir asks for the
  // printer first; Exportar asks for the file name and returns the path written (empty when
  // cancelled). Without a chosen report they do nothing.
  void Visualizar();
  bool Imprimir();
  std::string Exportar();

 private:
  bool Build(ReportTable& table);
  std::unique_ptr<db::TClientDataSet> cdsRelatorios_;
  std::unique_ptr<db::TDataSource> dtsRelatorios_;
  std::vector<RegisteredReport> reports_;
};

}  // namespace frm
