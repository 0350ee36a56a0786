#pragma once
// Conversions between numbers and text as the desktop client shows and reads them.
// FormatSettings carries the decimal separator of the host's locale (pt_BR: a comma).
// FloatToStr writes the general format with up to 15 significant digits and no thousands
// separators. StrToInt accepts exactly a decimal signed 32-bit number (optional sign, leading
// zeros); anything else, including empty text, spaces, fractions and exponents, raises
// EConvertError naming the text. StrToFloat accepts a decimal number with the settings'
// separator and an optional exponent.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rtl {

struct FormatSettings {
  char decimalSeparator = ',';

  static FormatSettings Brazilian() { return FormatSettings{','}; }
  static FormatSettings Invariant() { return FormatSettings{'.'}; }
};

// The settings in force for the process; Brazilian unless changed (tests may change them).
FormatSettings& DefaultFormatSettings();

std::string FloatToStr(double value, const FormatSettings& settings = DefaultFormatSettings());

int32_t StrToInt(std::string_view text);
std::optional<int32_t> TryStrToInt(std::string_view text);

double StrToFloat(std::string_view text, const FormatSettings& settings = DefaultFormatSettings());
std::optional<double> TryStrToFloat(std::string_view text,
                                    const FormatSettings& settings = DefaultFormatSettings());

std::string IntToStr(int64_t value);

}  // namespace rtl
