#pragma once
// Rounding of money and percentage values as people write them.
//
// RoundHalfAwayFromZero(value, decimals) rounds the decimal number that `value` stands for (its
// shortest round-trip decimal text), not its binary expansion: 10.005 gives 10.01 although the
// nearest double lies slightly below 10.005; halves go away from zero, so -2.675 gives -2.68.
// The result is the double nearest to the rounded decimal. `decimals` must be 0 to 15, otherwise
// rtl::Exception is raised. NaN and infinities come back unchanged, and so does a value that has
// no more decimals than asked for. A value that rounds to zero gives +0.0.
// Header-only so that the client and the application server share one definition.

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "rtl/exceptions.h"

namespace rtl {

inline double RoundHalfAwayFromZero(double value, int decimals) {
  if (decimals < 0 || decimals > 15) {
    throw Exception("Número de casas decimais inválido para arredondamento: " +
                    std::to_string(decimals));
  }
  if (!std::isfinite(value) || value == 0.0) return value;

  // Shortest scientific text: d0.d1...dn e exp, i.e. the digits d0..dn times 10^(exp - n).
  char text[64];
  const auto written =
      std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific);
  const std::string scientific(text, written.ptr);
  const size_t exponentAt = scientific.find('e');
  std::string digits = scientific.substr(0, exponentAt);
  if (digits.size() > 1) digits.erase(1, 1);  // drop the decimal point
  const int exponent = std::stoi(scientific.substr(exponentAt + 1));
  const int fractionDigits = static_cast<int>(digits.size()) - 1 - exponent;
  if (fractionDigits <= decimals) return value;

  // Keep the digits down to the wanted decimal; the first dropped digit decides the rounding.
  const int kept = exponent + 1 + decimals;
  if (kept < 0) return 0.0;
  std::string rounded = digits.substr(0, static_cast<size_t>(kept));
  if (digits[static_cast<size_t>(kept)] >= '5') {
    int i = kept - 1;
    for (; i >= 0 && rounded[static_cast<size_t>(i)] == '9'; --i) rounded[i] = '0';
    if (i >= 0) {
      ++rounded[static_cast<size_t>(i)];
    } else {
      rounded.insert(rounded.begin(), '1');
    }
  }
  if (rounded.empty() || rounded.find_first_not_of('0') == std::string::npos) return 0.0;

  const std::string decimal = rounded + "e-" + std::to_string(decimals);
  double magnitude = 0.0;
  std::from_chars(decimal.data(), decimal.data() + decimal.size(), magnitude);
  return value < 0 ? -magnitude : magnitude;
}

}  // namespace rtl
