#include "rtl/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "rtl/exceptions.h"

namespace rtl {

FormatSettings& DefaultFormatSettings() {
  static FormatSettings settings = FormatSettings::Brazilian();
  return settings;
}

std::string FloatToStr(double value, const FormatSettings& settings) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[40];
  // %.15G gives the shortest general form with up to 15 significant digits; the exponent form
  // appears only for very large or very small magnitudes.
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text(buffer);
  if (text == "-0") text = "0";
  // The exponent is written without '+' and without leading zeros: 1E20, 1E-5.
  if (auto e = text.find('E'); e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    bool negative = text[e + 1] == '-';
    std::string digits = text.substr(e + 2);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    text = mantissa + "E" + (negative ? "-" : "") + digits;
  }
  for (char& c : text) {
    if (c == '.') c = settings.decimalSeparator;
  }
  return text;
}

std::optional<int32_t> TryStrToInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const char* begin = text.data();
  const char* end = begin + text.size();
  bool negative = false;
  if (*begin == '+' || *begin == '-') {
    negative = *begin == '-';
    ++begin;
  }
  if (begin == end) return std::nullopt;
  int64_t value = 0;
  for (const char* p = begin; p != end; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    value = value * 10 + (*p - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t StrToInt(std::string_view text) {
  if (auto value = TryStrToInt(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' não é um valor inteiro válido.");
}

std::optional<double> TryStrToFloat(std::string_view text, const FormatSettings& settings) {
  if (text.empty()) return std::nullopt;
  std::string normal(text);
  for (char& c : normal) {
    if (c == settings.decimalSeparator) {
      c = '.';
    } else if (c == '.' && settings.decimalSeparator != '.') {
      return std::nullopt;  // a point is not a decimal separator in these settings
    }
  }
  const char* begin = normal.data();
  const char* end = begin + normal.size();
  if (*begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
  double value = 0;
  auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

double StrToFloat(std::string_view text, const FormatSettings& settings) {
  if (auto value = TryStrToFloat(text, settings)) return *value;
  throw EConvertError("'" + std::string(text) + "' não é um valor numérico válido.");
}

std::string IntToStr(int64_t value) {
  return std::to_string(value);
}

}  // namespace rtl
