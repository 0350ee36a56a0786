#pragma once
// A compiled filter expression of a data set (grammar and comparison rules in db/dataset.h).
//
//   expression := term { OR term }
//   term       := factor { AND factor }
//   factor     := NOT factor | '(' expression ')' | operand op operand
//   operand    := field name | [field name] | number | 'text' | "text"   (one side a field)
//   op         := = | <> | < | > | <= | >=
//
// Compile raises EDatabaseError naming the expression for any text it cannot compile: unknown
// field, a literal that cannot be compared with its field, bad syntax, nesting deeper than 64.

#include <memory>
#include <string_view>
#include <vector>

#include "db/packet.h"

namespace db {

class FilterExpression {
 public:
  virtual ~FilterExpression() = default;
  // True when the row (values in field order) passes.
  virtual bool Matches(const Row& row) const = 0;

  static std::unique_ptr<FilterExpression> Compile(std::string_view text,
                                                   const std::vector<FieldDef>& fields);
};

}  // namespace db
