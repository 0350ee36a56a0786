#include <string>

#include "orv/consiste.h"
#include "rtl/rounding.h"

namespace orv {

double RoundDec(double value, int decimals) {
  return rtl::RoundHalfAwayFromZero(value, decimals);
}

std::string Ajusta(std::string_view text, int width) {
  if (width <= 0) throw rtl::Exception("Largura inválida para ajuste: " + std::to_string(width));
  const size_t first = text.find_first_not_of(' ');
  const size_t last = text.find_last_not_of(' ');
  const std::string_view digits =
      first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    throw rtl::EConvertError("\"" + std::string(text) + "\" não é um número inteiro sem sinal.");
  }
  if (digits.size() > static_cast<size_t>(width)) {
    throw rtl::EConvertError("\"" + std::string(digits) + "\" tem mais de " +
                             std::to_string(width) + " dígitos.");
  }
  return std::string(static_cast<size_t>(width) - digits.size(), '0') + std::string(digits);
}

}  // namespace orv
