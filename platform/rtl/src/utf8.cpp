#include "rtl/utf8.h"

#include <algorithm>
#include <cstdint>

namespace rtl {

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int extra;
    uint32_t code;
    if ((c & 0xe0) == 0xc0) {
      extra = 1;
      code = c & 0x1f;
    } else if ((c & 0xf0) == 0xe0) {
      extra = 2;
      code = c & 0x0f;
    } else if ((c & 0xf8) == 0xf0) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xc0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3f);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[extra] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
      return false;
    }
    p += extra + 1;
  }
  return true;
}

size_t Utf8Length(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace rtl
