// Sending each posted or deleted range to the application server.

#include "Cli_ped06900.h"

namespace Cli_ped06900 {

void TfrmRentab::cdsRentabAfterPost(db::TDataSet&) {}

void TfrmRentab::cdsRentabAfterDelete(db::TDataSet&) {}

}  // namespace Cli_ped06900
