#pragma once
// Makes a text received from a client safe to put in a log line or a refusal message: control
// characters become '?', so a name cannot forge log lines, and a long text is cut (at a UTF-8
// character boundary, so the result stays valid UTF-8) and marked with "...".

#include <string>
#include <string_view>

namespace net::detail {

inline std::string Printable(std::string_view text, size_t maxBytes = 80) {
  bool cut = false;
  if (text.size() > maxBytes) {
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text = text.substr(0, end);
    cut = true;
  }
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  if (cut) out += "...";
  return out;
}

}  // namespace net::detail
