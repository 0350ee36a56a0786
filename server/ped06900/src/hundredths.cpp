#include "ped06900/hundredths.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace ped06900 {
namespace {

// Adds one to a decimal digit string.
void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

Hundredths Hundredths::Round(double value) {
  // Shortest round-trip text in scientific form: d.ddde[+-]x.
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  std::string mantissa(text, result.ptr);
  const size_t e = mantissa.find('e');
  const int exponent = std::atoi(mantissa.c_str() + e + 1);
  mantissa.resize(e);

  Hundredths rounded;
  rounded.negative_ = !mantissa.empty() && mantissa[0] == '-';
  std::string digits;
  for (char c : mantissa) {
    if (c >= '0' && c <= '9') digits += c;
  }
  // value = 0.digits * 10^(exponent + 1), so value * 100 has this many integer digits:
  const long whole = static_cast<long>(exponent) + 3;
  const long n = static_cast<long>(digits.size());
  std::string count;
  if (whole > 0) {
    count = digits.substr(0, static_cast<size_t>(std::min(whole, n)));
    if (whole > n) count.append(static_cast<size_t>(whole - n), '0');
  }
  const char next = whole >= 0 && whole < n ? digits[static_cast<size_t>(whole)] : '0';
  if (next >= '5') Increment(count);
  const size_t first = count.find_first_not_of('0');
  rounded.count_ = first == std::string::npos ? std::string() : count.substr(first);
  if (rounded.count_.empty()) rounded.negative_ = false;
  return rounded;
}

std::string Hundredths::ToString() const {
  std::string digits = count_;
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  digits.insert(digits.size() - 2, 1, '.');
  return negative_ ? "-" + digits : digits;
}

std::strong_ordering Hundredths::operator<=>(const Hundredths& other) const {
  if (negative_ != other.negative_) {
    return negative_ ? std::strong_ordering::less : std::strong_ordering::greater;
  }
  std::strong_ordering magnitude = count_.size() <=> other.count_.size();
  if (magnitude == std::strong_ordering::equal) magnitude = count_.compare(other.count_) <=> 0;
  return negative_ ? 0 <=> magnitude : magnitude;
}

}  // namespace ped06900
