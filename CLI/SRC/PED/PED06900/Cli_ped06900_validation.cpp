// The checks a range passes before it is written into the range list, in this order: both
// bounds and the colour present, the initial below the final after rounding to hundredths, and
// each bound inside no other stored range as the server reports it. The first check that fails
// puts the focus on its field's column, shows its message and abandons the post (MensErro
// raises the silent rtl::EAbort); the record keeps what the user typed.

#include <string>

#include "Cli_ped06900.h"
#include "Cli_ped06900_remote.h"
#include "db/datasource.h"
#include "orv/consiste.h"

namespace Cli_ped06900 {
namespace {

// Whether a row of `found` (the ranges holding a value) belongs to a range other than the one
// keyed `ownKey`. The key filter is on for this test alone: it is off again however the test
// ends, so every later test sees every row.
bool AnotherRangeHolds(db::TClientDataSet& found, const std::string& ownKey) {
  found.SetFilter("NRSEQRENT <> " + ownKey);
  found.SetFiltered(true);
  bool another = false;
  try {
    another = !found.IsEmpty();
  } catch (...) {
    found.SetFiltered(false);
    throw;
  }
  found.SetFiltered(false);
  return another;
}

// An edited bound counts as changed unless it holds exactly the value it had at the last merge.
bool Changed(const db::TField& bound) {
  const rtl::Variant before = bound.OldValue();
  return before.IsNull() || before.AsDouble() != bound.AsFloat();
}

}  // namespace

void TfrmRentab::cdsRentabBeforePost(db::TDataSet&) {
  vd_Itens();
}

void TfrmRentab::vd_Itens() {
  const db::DataSetState state = dtsPadrao->State();
  const bool inserting = state == db::DataSetState::Insert;
  if (!inserting && state != db::DataSetState::Edit) return;

  const auto reject = [this](db::TField& field, const char* key) {
    field.FocusControl();
    orv::MensErro(msgPadrao->Msg(key), true);
  };

  if (cdsRentabVRPERCINIRENT->IsNull()) reject(*cdsRentabVRPERCINIRENT, "Vr_Ini");
  if (cdsRentabVRPERCFIMRENT->IsNull()) reject(*cdsRentabVRPERCFIMRENT, "Vr_Fim");
  if (cdsRentabVRCORRENT->IsNull()) reject(*cdsRentabVRCORRENT, "Cor");
  if (!(orv::RoundDec(cdsRentabVRPERCINIRENT->AsFloat(), 2) <
        orv::RoundDec(cdsRentabVRPERCFIMRENT->AsFloat(), 2))) {
    reject(*cdsRentabVRPERCINIRENT, "Inic<Fina");
  }

  // Each bound is asked about and tested before the next one is asked about. The server gets
  // the value as typed, not rounded. Rows left over from an earlier query (for another value,
  // perhaps another record) say nothing about this bound, so they are dropped first: when the
  // query fails the bound is not rejected here, and the server checks it again on saving.
  for (db::TFloatField* bound : {cdsRentabVRPERCINIRENT, cdsRentabVRPERCFIMRENT}) {
    const double value = bound->AsFloat();
    cdsAuxiliar->Close();
    RemoteRead(
        orv::aviLendo, [this, value] { return CallServer("GetIntervalo", {rtl::Variant(value)}); },
        *cdsAuxiliar);
    const bool taken = inserting
                           ? !cdsAuxiliar->IsEmpty()
                           : Changed(*bound) && cdsAuxiliar->Active() &&
                                 AnotherRangeHolds(*cdsAuxiliar, cdsRentabNRSEQRENT->AsString());
    if (taken) reject(*bound, "Interv");
  }
}

}  // namespace Cli_ped06900
