#pragma once
// UTF-8 checks shared by every place that accepts text from outside: packets, fields, CBOR.

#include <cstddef>
#include <string_view>

namespace rtl {

// True when the text is well-formed UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF, no truncated sequence.
bool IsValidUtf8(std::string_view text);

// The number of characters (code points) of valid UTF-8 text.
size_t Utf8Length(std::string_view text);

}  // namespace rtl
