#pragma once
// RangeRecord: one stored profitability range, complete and already checked. The key is ten
// decimal digits, both bounds are finite with start below end after rounding to hundredths, the
// colour is a whole number from 0 to 16777215 and the flag is "S" or "N".
// Equality compares the doubles by value (0.0 equals -0.0), as a client compares them.

#include <string>

namespace ped06900 {

struct RangeRecord {
  std::string key;    // NRSEQRENT
  double start = 0;   // VRPERCINIRENT
  double end = 0;     // VRPERCFIMRENT
  double colour = 0;  // VRCORRENT
  std::string flag;   // IDBLOQUEIAPED

  bool operator==(const RangeRecord&) const = default;
};

}  // namespace ped06900
