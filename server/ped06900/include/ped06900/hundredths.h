#pragma once
// Rounding of a percentage to two decimals as people read it: the decimal value a double
// stands for is its shortest text that reads back as the same double (10.005, not the binary
// 10.00499999...), and a half rounds away from zero (10.005 -> 10.01, -10.005 -> -10.01).
// The result is exact for every finite double, however large; it is never a double again, so
// two values that differ after rounding always compare as different.

#include <compare>
#include <string>

namespace ped06900 {

class Hundredths {
 public:
  // value must be finite.
  static Hundredths Round(double value);

  // The rounded value as decimal text with two decimals and '.', such as "-10.01".
  std::string ToString() const;

  std::strong_ordering operator<=>(const Hundredths& other) const;
  bool operator==(const Hundredths& other) const = default;

 private:
  bool negative_ = false;  // never true for zero
  std::string count_;      // the number of hundredths, decimal digits without leading zeros
};

}  // namespace ped06900
