#include "orv/vlm_msg.h"

#include "rtl/exceptions.h"

namespace orv {

std::optional<std::string> TMessages::Find(std::string_view key) const {
  for (const std::string& line : Lines) {
    const size_t bar = line.find('|');
    if (bar != std::string::npos && std::string_view(line).substr(0, bar) == key) {
      return line.substr(bar + 1);
    }
  }
  return std::nullopt;
}

bool TMessages::Contains(std::string_view key) const {
  return Find(key).has_value();
}

std::string TMessages::Msg(std::string_view key) const {
  std::optional<std::string> text = Find(key);
  if (!text) {
    throw rtl::Exception("Mensagem \"" + std::string(key) + "\" não cadastrada" +
                         (name_.empty() ? std::string() : " em " + name_) + ".");
  }
  return *text;
}

}  // namespace orv
