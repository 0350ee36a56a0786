#include "Cli_ped06901.h"

#include "ui/application.h"
#include "ui/label.h"

namespace Cli_ped06901 {

TfrmRelRentab* frmRelRentab = nullptr;
bool boIdCriado = false;

TfrmRelRentab::TfrmRelRentab(ui::TComponent* owner) : frm::TfrmDadosGerRel(owner) {
  SetCaption("Rentabilidade");
  lblCodTela->SetCaption("PED06901");
  lblCodTela->SetWidth(52);
  lblCodRel->SetCaption("PED069");
  lblCodRel->SetWidth(40);
}

void TfrmRelRentab::FormClose(ui::TComponent* Sender, ui::TCloseAction& Action) {
  frm::TfrmDadosGerRel::FormClose(Sender, Action);
  boIdCriado = false;
}

void CriaRelRentab() {
  ui::Screen().SetCursor(ui::crHourGlass);
  try {
    if (!boIdCriado) {
      frmRelRentab = ui::Application().CreateForm<TfrmRelRentab>(&ui::Application());
      boIdCriado = true;
    }
    frmRelRentab->ShowModal();
  } catch (...) {
    // The failure goes on to the print command, without leaving the hourglass behind.
    ui::Screen().SetCursor(ui::crDefault);
    throw;
  }
  ui::Screen().SetCursor(ui::crDefault);
}

}  // namespace Cli_ped06901
