// The defaults a new range receives once it has been added to the range list.

#include "Cli_ped06900.h"

namespace Cli_ped06900 {

void TfrmRentab::cdsRentabAfterInsert(db::TDataSet&) {}

}  // namespace Cli_ped06900
