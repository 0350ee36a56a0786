// The grid's drawing of the flag column (check boxes) and the colour column (colour patches).

#include "Cli_ped06900.h"

namespace Cli_ped06900 {

void TfrmRentab::dbgPadraoDrawColumnCell(ui::TComponent*, const ui::TRect&, int, ui::TColumn*,
                                         ui::TGridDrawState) {}

}  // namespace Cli_ped06900
