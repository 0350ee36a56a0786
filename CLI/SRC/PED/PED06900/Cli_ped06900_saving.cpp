// Sending each posted or deleted range to the application server at once. Outside these
// handlers the change log of cdsRentab is empty: each save carries the one change that
// triggered it and leaves the log empty again, merged when the server took it and cancelled
// (the grid back to the server's rows) when anything failed; the failure then goes on to
// whatever posted or deleted.

#include <string>
#include <vector>

#include "Cli_ped06900.h"
#include "Cli_ped06900_remote.h"
#include "orv/valmora.h"

namespace Cli_ped06900 {
namespace {

const std::vector<std::string> kRangeTable = {"RENTABILIDADE"};

}  // namespace

void TfrmRentab::cdsRentabAfterPost(db::TDataSet&) {
  if (cdsRentab->ChangeCount() <= 0) return;
  RemoteWrite(
      orv::aviGravando, [this] { return CallServer("SetRentab", {cdsRentab->Delta()}); },
      *cdsRentab,
      [this] {
        cdsRentab->MergeChangeLog();
        // After the merge: a refresh that fails leaves the saved range saved, and still
        // reaches the caller.
        orv::AtualizaLocalCache(kRangeTable);
      });
}

void TfrmRentab::cdsRentabAfterDelete(db::TDataSet&) {
  if (cdsRentab->ChangeCount() <= 0) return;
  RemoteWrite(
      orv::aviGravando, [this] { return CallServer("SetRentab", {cdsRentab->Delta()}); },
      *cdsRentab, [this] { cdsRentab->MergeChangeLog(); });
}

}  // namespace Cli_ped06900
