#include "Cli_ped06900_pictures.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "rtl/exceptions.h"

namespace Cli_ped06900 {
namespace {

using Rows = std::array<std::string_view, 16>;

// One letter a pixel: k black, o olive, s silver, w white (palette indexes 0, 3, 8, 15).
constexpr Rows kCheck = {
    "oooooooooooooooo", "ooooooooooooosoo", "ookkkkkkkkkkosoo", "ookwwwwwwwwwosoo",
    "ookwwwwwwwkwosoo", "ookwwwwwwkkwosoo", "ookwkwwwkkkwosoo", "ookwkkwkkkwwosoo",
    "ookwkkkkkwwwosoo", "ookwwkkkwwwwosoo", "ookwwwkwwwwwosoo", "ookwwwwwwwwwosoo",
    "ooooooooooooosoo", "osssssssssssssoo", "oooooooooooooooo", "oooooooooooooooo",
};

constexpr Rows kUncheck = {
    "oooooooooooooooo", "ooooooooooooosoo", "ookkkkkkkkkkosoo", "ookwwwwwwwwwosoo",
    "ookwwwwwwwwwosoo", "ookwwwwwwwwwosoo", "ookwwwwwwwwwosoo", "ookwwwwwwwwwosoo",
    "ookwwwwwwwwwosoo", "ookwwwwwwwwwosoo", "ookwwwwwwwwwosoo", "ookwwwwwwwwwosoo",
    "ooooooooooooosoo", "osssssssssssssoo", "oooooooooooooooo", "oooooooooooooooo",
};

constexpr Rows kDescheck = {
    "oooooooooooooooo", "ooooooooooooosoo", "ookkkkkkkkkkosoo", "ooksssssssssosoo",
    "ooksssssssssosoo", "ooksssssssssosoo", "ooksssssssssosoo", "ooksssssssssosoo",
    "ooksssssssssosoo", "ooksssssssssosoo", "ooksssssssssosoo", "ooksssssssssosoo",
    "ooooooooooooosoo", "osssssssssssssoo", "oooooooooooooooo", "oooooooooooooooo",
};

uint8_t PaletteIndex(char letter) {
  switch (letter) {
    case 'k':
      return 0;
    case 'o':
      return 3;
    case 's':
      return 8;
    case 'w':
      return 15;
  }
  throw rtl::Exception(std::string("Letra de cor desconhecida no desenho: ") + letter);
}

ui::TBitmap FromRows(const Rows& rows) {
  std::array<uint8_t, 16 * 16> indices{};
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < 16; ++x) indices[y * 16 + x] = PaletteIndex(rows[y].at(x));
  }
  return ui::TBitmap::FromPalette16(16, 16, indices);
}

}  // namespace

ui::TBitmap CheckPicture() {
  return FromRows(kCheck);
}
ui::TBitmap UncheckPicture() {
  return FromRows(kUncheck);
}
ui::TBitmap DescheckPicture() {
  return FromRows(kDescheck);
}

}  // namespace Cli_ped06900
