#pragma once
// Unit Cli_ped06901: the report screen of the range table, TfrmRelRentab ("Rentabilidade",
// screen code PED06901, report code PED069), a standard report screen shown modally, and its
// single-instance state.

#include "frm/dadosgerrel.h"

namespace Cli_ped06901 {

class TfrmRelRentab : public frm::TfrmDadosGerRel {
 public:
  // Sets the caption and the two codes; the rest is the standard report screen's.
  explicit TfrmRelRentab(ui::TComponent* owner);
  // Standard close (Action passed through untouched), then clears boIdCriado.
  void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action) override;
};

// The instance CriaRelRentab created last; read only while boIdCriado is true.
extern TfrmRelRentab* frmRelRentab;
// True from the end of a creation until that instance's close handler runs.
extern bool boIdCriado;

// Creates the report screen while none is open, shows it modally and returns once it is closed,
// under the hourglass cursor. Failures pass to the caller.
void CriaRelRentab();

}  // namespace Cli_ped06901
