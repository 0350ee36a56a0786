#include "db/field.h"

#include <cmath>

#include "db/dataset.h"
#include "rtl/convert.h"
#include "rtl/utf8.h"

namespace db {

using rtl::Variant;
using rtl::VarType;

TField::TField(TDataSet& dataSet, int index, std::string name, FieldType type, int size)
    : dataSet_(dataSet), index_(index), name_(std::move(name)), type_(type), size_(size) {}

Variant TField::Value() const {
  const Row* row = dataSet_.ReadRow();
  return row && static_cast<size_t>(index_) < row->size() ? (*row)[index_] : Variant::Null();
}

void TField::SetValue(const Variant& value) {
  dataSet_.CheckCanWrite(*this);
  dataSet_.WriteField(*this, value.IsMissing() ? Variant::Null() : Convert(value));
}

Variant TField::OldValue() const {
  return dataSet_.OldFieldValue(index_);
}

void TField::FocusControl() {
  dataSet_.Notify(DataEventKind::FocusControl, this);
}

// --- TStringField ---------------------------------------------------------------------------

TStringField::TStringField(TDataSet& dataSet, int index, std::string name, int size)
    : TField(dataSet, index, std::move(name), FieldType::String, size) {}

std::string TStringField::AsString() const {
  const Variant value = Value();
  return value.IsNull() ? std::string() : value.StringRef();
}

void TStringField::SetAsString(std::string_view text) {
  SetValue(Variant(text));
}

double TStringField::AsFloat() const {
  const std::string text = AsString();
  return text.empty() ? 0.0 : rtl::StrToFloat(text);
}

void TStringField::SetAsFloat(double value) {
  SetValue(Variant(rtl::FloatToStr(value)));
}

int32_t TStringField::AsInteger() const {
  const std::string text = AsString();
  return text.empty() ? 0 : rtl::StrToInt(text);
}

void TStringField::SetAsInteger(int32_t value) {
  SetValue(Variant(rtl::IntToStr(value)));
}

Variant TStringField::Convert(const Variant& value) const {
  std::string text =
      value.Type() == VarType::Double ? rtl::FloatToStr(value.AsDouble()) : value.AsString();
  if (!rtl::IsValidUtf8(text)) {
    throw EDatabaseError("O valor informado para o campo '" + FieldName() +
                         "' não é um texto válido.");
  }
  if (rtl::Utf8Length(text) > static_cast<size_t>(Size())) {
    throw EDatabaseError("O valor \"" + text + "\" excede o tamanho do campo '" + FieldName() +
                         "' (" + std::to_string(Size()) + " caracteres).");
  }
  return Variant(std::move(text));
}

// --- TFloatField ----------------------------------------------------------------------------

TFloatField::TFloatField(TDataSet& dataSet, int index, std::string name)
    : TField(dataSet, index, std::move(name), FieldType::Float, 0) {}

std::string TFloatField::AsString() const {
  const Variant value = Value();
  return value.IsNull() ? std::string() : rtl::FloatToStr(value.AsDouble());
}

void TFloatField::SetAsString(std::string_view text) {
  if (text.empty()) {
    Clear();
  } else {
    SetValue(Variant(rtl::StrToFloat(text)));
  }
}

double TFloatField::AsFloat() const {
  const Variant value = Value();
  return value.IsNull() ? 0.0 : value.AsDouble();
}

void TFloatField::SetAsFloat(double value) {
  SetValue(Variant(value));
}

int32_t TFloatField::AsInteger() const {
  const double rounded = std::round(AsFloat());
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) {
    throw rtl::EConvertError("O valor " + AsString() + " do campo '" + FieldName() +
                             "' não cabe num inteiro.");
  }
  return static_cast<int32_t>(rounded);
}

void TFloatField::SetAsInteger(int32_t value) {
  SetValue(Variant(static_cast<double>(value)));
}

Variant TFloatField::Convert(const Variant& value) const {
  if (value.Type() == VarType::String) {
    if (value.StringRef().empty()) return Variant::Null();
    return Variant(rtl::StrToFloat(value.StringRef()));
  }
  return Variant(value.AsDouble());
}

// --- TIntegerField --------------------------------------------------------------------------

TIntegerField::TIntegerField(TDataSet& dataSet, int index, std::string name)
    : TField(dataSet, index, std::move(name), FieldType::Integer, 0) {}

std::string TIntegerField::AsString() const {
  const Variant value = Value();
  return value.IsNull() ? std::string() : rtl::IntToStr(value.AsInt32());
}

void TIntegerField::SetAsString(std::string_view text) {
  if (text.empty()) {
    Clear();
  } else {
    SetValue(Variant(rtl::StrToInt(text)));
  }
}

double TIntegerField::AsFloat() const {
  return AsInteger();
}

void TIntegerField::SetAsFloat(double value) {
  SetValue(Variant(value));
}

int32_t TIntegerField::AsInteger() const {
  const Variant value = Value();
  return value.IsNull() ? 0 : value.AsInt32();
}

void TIntegerField::SetAsInteger(int32_t value) {
  SetValue(Variant(value));
}

Variant TIntegerField::Convert(const Variant& value) const {
  if (value.Type() == VarType::String) {
    if (value.StringRef().empty()) return Variant::Null();
    return Variant(rtl::StrToInt(value.StringRef()));
  }
  return Variant(value.AsInt32());
}

}  // namespace db
