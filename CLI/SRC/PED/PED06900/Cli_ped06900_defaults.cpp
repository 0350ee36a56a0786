// The defaults a new range receives once it has been added to the range list: the input focus
// on the initial percentage, the key after the highest one the server reports, and the flag "N".

#include <cstdint>
#include <limits>
#include <string>

#include "Cli_ped06900.h"
#include "Cli_ped06900_remote.h"
#include "orv/consiste.h"
#include "rtl/convert.h"
#include "rtl/exceptions.h"

namespace Cli_ped06900 {
namespace {

constexpr int kKeyWidth = 10;

// The key that follows `highest` (a highest key as the server reports it, empty when no range
// is stored). Keys count in signed 32-bit integers: text that is not such a decimal number
// raises rtl::EConvertError, and the last one, 2147483647, has no successor and raises too.
std::string NextKey(const std::string& highest) {
  if (highest.empty()) return orv::Ajusta("1", kKeyWidth);
  const int32_t last = rtl::StrToInt(highest);
  if (last == std::numeric_limits<int32_t>::max()) {
    throw rtl::Exception("Não há chave disponível após " + highest +
                         ": o limite de chaves de Rentabilidade foi atingido.");
  }
  return orv::Ajusta(rtl::IntToStr(int64_t{last} + 1), kKeyWidth);
}

}  // namespace

// A failed GetSeq is dropped and the key comes from the last answer that did arrive (none before
// the first: the first key). A key that cannot be derived raises out of the insertion after
// the focus has moved, leaving the new record without key and flag.
void TfrmRentab::cdsRentabAfterInsert(db::TDataSet&) {
  cdsRentabVRPERCINIRENT->FocusControl();
  RemoteRead(
      orv::aviLendo, [this] { return CallServer("GetSeq"); }, *cdsSequencia);
  cdsRentabNRSEQRENT->SetAsString(NextKey(cdsSequenciaSEQUENCIAL->AsString()));
  cdsRentabIDBLOQUEIAPED->SetAsString("N");
}

}  // namespace Cli_ped06900
