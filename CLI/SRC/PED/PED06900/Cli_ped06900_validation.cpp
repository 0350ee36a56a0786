// The checks a range passes before it is written into the range list.

#include "Cli_ped06900.h"

namespace Cli_ped06900 {

void TfrmRentab::cdsRentabBeforePost(db::TDataSet&) {}

void TfrmRentab::vd_Itens() {}

}  // namespace Cli_ped06900
