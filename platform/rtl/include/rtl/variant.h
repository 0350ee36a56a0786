#pragma once
// Variant: the automation-style value that crosses every boundary of the system (fields, remote
// calls, packets). It holds one of Empty, Null, Boolean, Int32, Int64, Double, String (UTF-8),
// Bytes (a byte array) or Array (of variants). Copies are cheap for arrays (shared, immutable).
// The As* conversions raise EConvertError when the value cannot be converted; they never yield a
// silent 0.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rtl {

enum class VarType { Empty, Null, Boolean, Int32, Int64, Double, String, Bytes, Array };

const char* VarTypeName(VarType type);

class Variant;
using VariantArray = std::vector<Variant>;

// A byte array, kept apart from String so that the two never mix.
struct Bytes {
  std::string data;
  bool operator==(const Bytes&) const = default;
};

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(bool value) : value_(value) {}
  Variant(int32_t value) : value_(value) {}
  Variant(int64_t value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(std::string value) : value_(std::move(value)) {}
  Variant(std::string_view value) : value_(std::string(value)) {}
  Variant(const char* value) : value_(std::string(value)) {}
  Variant(Bytes value) : value_(std::move(value)) {}
  Variant(VariantArray items);

  static Variant Null();
  static Variant FromBytes(std::string data) { return Variant(Bytes{std::move(data)}); }

  VarType Type() const { return static_cast<VarType>(value_.index()); }
  bool IsEmpty() const { return Type() == VarType::Empty; }
  bool IsNull() const { return Type() == VarType::Null; }
  // Empty or Null: the value is missing.
  bool IsMissing() const { return IsEmpty() || IsNull(); }

  // Conversions. Numbers convert among themselves where no precision is lost (a Double
  // converts to an integer only when it is a whole number in range); strings convert to
  // numbers only when their whole text is a number. Anything else raises EConvertError.
  bool AsBoolean() const;
  int32_t AsInt32() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  std::string AsString() const;  // numbers in general format with '.', Boolean as True/False
  const std::string& AsBytes() const;
  const VariantArray& AsArray() const;

  // Typed access without conversion; raise EConvertError when the type differs.
  const std::string& StringRef() const;

  // Same type and same value; doubles compare by bits, so NaN == NaN and -0.0 != 0.0.
  bool operator==(const Variant& other) const;

  // A short description for messages and test output, such as Double(10.5).
  std::string Describe() const;

 private:
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  using Shared = std::shared_ptr<const VariantArray>;
  explicit Variant(NullTag tag) : value_(tag) {}

  std::variant<std::monostate, NullTag, bool, int32_t, int64_t, double, std::string, Bytes, Shared>
      value_;
};

}  // namespace rtl
