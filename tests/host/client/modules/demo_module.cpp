// A module that opens a standard grid screen over a few rows and the standard report screen,
// as a real module does: the host passes the screen code to IniProc. Used to check the host
// end to end and to take pictures of the standard screens.
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/packet.h"
#include "frm/dadosgerrel.h"
#include "frm/frmpadrgrid.h"
#include "frm/report_registry.h"
#include "rtl/exceptions.h"
#include "rtl/package.h"
#include "ui/application.h"
#include "ui/db_grid.h"
#include "ui/label.h"

namespace {

class TfrmDemo : public frm::TfrmPadraoGrid {
 public:
  explicit TfrmDemo(ui::TComponent* owner) : frm::TfrmPadraoGrid(owner) {
    SetCaption("Demonstração");
    lblCodTela->SetCaption("DEM00100");
    cdsDemo.AddStringField("CODIGO", 10);
    cdsDemo.AddStringField("DESCRICAO", 30).SetDisplayLabel("Descrição");
    cdsDemo.AddFloatField("VALOR").SetDisplayLabel("Valor");
    dtsPadrao->SetDataSet(&cdsDemo);
    for (const char* name : {"DESCRICAO", "VALOR"}) {
      ui::TColumn* column = dbgPadrao->Columns().Add();
      column->SetFieldName(name);
      column->Title().SetCaption(cdsDemo.FieldByName(name).DisplayLabel());
      column->SetWidth(150);
    }
    msgPadrao->Lines = {"Excl|Confirma exclusão?"};
    db::DataPacket packet;
    packet.fields = cdsDemo.FieldDefs();
    packet.rows = {{"0000000001", "Margem baixa", 2.5},
                   {"0000000002", "Margem média", 7.75},
                   {"0000000003", "Margem alta", 15.0}};
    cdsDemo.LoadPacket(std::move(packet));
  }
  db::TClientDataSet cdsDemo{"cdsDemo"};
};

class TfrmRelDemo : public frm::TfrmDadosGerRel {
 public:
  explicit TfrmRelDemo(ui::TComponent* owner) : frm::TfrmDadosGerRel(owner) {
    SetCaption("Demonstração");
    lblCodTela->SetCaption("DEM00101");
    lblCodRel->SetCaption("DEM001");
  }
};

}  // namespace

RTL_DEFINE_PACKAGE_INFO("PKG_DEMO", "1.00.000", 1, 0, 0, 0, "pt-BR",
                        ({"_orv", "_rtl", "_frm", "_db", "_vcl", nullptr}),
                        ({"Pkg_demo", "Cli_demo", nullptr}))

RTL_PACKAGE_EXPORT void Initialize() {
  frm::RegisterReport("DEM001", "Lista de margens", [] {
    return frm::ReportTable{"Demonstração",
                            "DEM001",
                            {{"Descrição", 200}, {"Valor", 80}},
                            {{"Margem baixa", "2,5"}, {"Margem alta", "15"}}};
  });
}

RTL_PACKAGE_EXPORT void Finalize() {
  frm::UnregisterReports("DEM001");
}

RTL_PACKAGE_EXPORT void IniProc(const rtl::Variant& code) {
  if (code.Type() == rtl::VarType::String && code.StringRef() == "DEMREL") {
    ui::Application().CreateForm<TfrmRelDemo>()->ShowModal();
    return;
  }
  auto* form = ui::Application().CreateForm<TfrmDemo>();
  form->SetWindowState(ui::TWindowState::wsNormal);
  form->Show();
}
