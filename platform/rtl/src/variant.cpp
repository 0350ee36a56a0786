#include "rtl/variant.h"

#include <cmath>
#include <cstring>

#include "rtl/convert.h"
#include "rtl/exceptions.h"

namespace rtl {

const char* VarTypeName(VarType type) {
  switch (type) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Boolean:
      return "Boolean";
    case VarType::Int32:
      return "Int32";
    case VarType::Int64:
      return "Int64";
    case VarType::Double:
      return "Double";
    case VarType::String:
      return "String";
    case VarType::Bytes:
      return "Bytes";
    case VarType::Array:
      return "Array";
  }
  return "?";
}

namespace {

[[noreturn]] void CannotConvert(const Variant& value, const char* target) {
  throw EConvertError("Não é possível converter " + value.Describe() + " para " + target + ".");
}

bool WholeInRange(double value, double low, double high) {
  return std::isfinite(value) && std::trunc(value) == value && value >= low && value <= high;
}

}  // namespace

Variant::Variant(VariantArray items)
    : value_(std::make_shared<const VariantArray>(std::move(items))) {}

Variant Variant::Null() {
  return Variant(NullTag{});
}

bool Variant::AsBoolean() const {
  switch (Type()) {
    case VarType::Boolean:
      return std::get<bool>(value_);
    case VarType::Int32:
      return std::get<int32_t>(value_) != 0;
    case VarType::Int64:
      return std::get<int64_t>(value_) != 0;
    default:
      CannotConvert(*this, "Boolean");
  }
}

int64_t Variant::AsInt64() const {
  switch (Type()) {
    case VarType::Int32:
      return std::get<int32_t>(value_);
    case VarType::Int64:
      return std::get<int64_t>(value_);
    case VarType::Double: {
      double d = std::get<double>(value_);
      // 2^63 is exactly representable; values below it fit.
      if (WholeInRange(d, -9223372036854775808.0, 9223372036854774784.0)) {
        return static_cast<int64_t>(d);
      }
      break;
    }
    case VarType::String: {
      const std::string& s = std::get<std::string>(value_);
      if (auto i = TryStrToInt(s)) return *i;
      break;
    }
    default:
      break;
  }
  CannotConvert(*this, "Int64");
}

int32_t Variant::AsInt32() const {
  if (Type() == VarType::Boolean) CannotConvert(*this, "Int32");
  int64_t v = AsInt64();
  if (v < INT32_MIN || v > INT32_MAX) CannotConvert(*this, "Int32");
  return static_cast<int32_t>(v);
}

double Variant::AsDouble() const {
  switch (Type()) {
    case VarType::Int32:
      return std::get<int32_t>(value_);
    case VarType::Int64:
      return static_cast<double>(std::get<int64_t>(value_));
    case VarType::Double:
      return std::get<double>(value_);
    case VarType::String: {
      if (auto d = TryStrToFloat(std::get<std::string>(value_), FormatSettings::Invariant()))
        return *d;
      break;
    }
    default:
      break;
  }
  CannotConvert(*this, "Double");
}

std::string Variant::AsString() const {
  switch (Type()) {
    case VarType::Boolean:
      return std::get<bool>(value_) ? "True" : "False";
    case VarType::Int32:
      return IntToStr(std::get<int32_t>(value_));
    case VarType::Int64:
      return IntToStr(std::get<int64_t>(value_));
    case VarType::Double:
      return FloatToStr(std::get<double>(value_), FormatSettings::Invariant());
    case VarType::String:
      return std::get<std::string>(value_);
    default:
      CannotConvert(*this, "String");
  }
}

const std::string& Variant::AsBytes() const {
  if (Type() != VarType::Bytes) CannotConvert(*this, "Bytes");
  return std::get<Bytes>(value_).data;
}

const VariantArray& Variant::AsArray() const {
  if (Type() != VarType::Array) CannotConvert(*this, "Array");
  return *std::get<Shared>(value_);
}

const std::string& Variant::StringRef() const {
  if (Type() != VarType::String) CannotConvert(*this, "String");
  return std::get<std::string>(value_);
}

bool Variant::operator==(const Variant& other) const {
  if (Type() != other.Type()) return false;
  switch (Type()) {
    case VarType::Double: {
      double a = std::get<double>(value_), b = std::get<double>(other.value_);
      return std::memcmp(&a, &b, sizeof a) == 0;
    }
    case VarType::Array: {
      const auto& a = std::get<Shared>(value_);
      const auto& b = std::get<Shared>(other.value_);
      return a == b || *a == *b;
    }
    default:
      return value_ == other.value_;
  }
}

std::string Variant::Describe() const {
  std::string inner;
  switch (Type()) {
    case VarType::Empty:
    case VarType::Null:
      return VarTypeName(Type());
    case VarType::String:
      inner = '"' + std::get<std::string>(value_) + '"';
      break;
    case VarType::Bytes:
      inner = std::to_string(std::get<Bytes>(value_).data.size()) + " bytes";
      break;
    case VarType::Array:
      inner = std::to_string(std::get<Shared>(value_)->size()) + " items";
      break;
    default:
      inner = AsString();
      break;
  }
  return std::string(VarTypeName(Type())) + "(" + inner + ")";
}

}  // namespace rtl
