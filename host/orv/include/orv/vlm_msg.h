#pragma once
// Unit Vlm_msg: a screen's keyed list of user messages.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A list of message lines, each a key and its text joined by a vertical bar:
// "Vr_Ini|Valor Inicial deve ser informado.". The key is everything before the first bar; the
// text is everything after it (further bars belong to the text). Lines without a bar hold no
// message and are skipped.
class TMessages {
 public:
  explicit TMessages(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }

  // The lines, in order; a screen fills them when it builds its layout.
  std::vector<std::string> Lines;

  // Whether a line holds `key` exactly (case-sensitive).
  bool Contains(std::string_view key) const;
  // The text of the first line whose key is exactly `key`. Raises rtl::Exception naming the key
  // and the list when no line holds it: an empty error message would leave the user guessing.
  std::string Msg(std::string_view key) const;

 private:
  std::optional<std::string> Find(std::string_view key) const;
  std::string name_;
};

}  // namespace orv
