#pragma once
// The fields of a data set: one object per column, through which callers read and write the
// current record (or the row a TRowView shows) by kind: TStringField, TFloatField, TIntegerField.
//
// Reading never raises for a missing value: with no current record, or a Null value, Value() is
// Null, AsString() is empty and AsFloat()/AsInteger() are 0. Writing is allowed only while the
// data set is in edit or insert state and no row view is open; otherwise it raises
// EDatabaseError. A written value is converted to the field's kind or refused with
// rtl::EConvertError (text that is not a number, a fraction for an integer) or EDatabaseError
// (text longer than a string field's size); a refused write changes nothing.
//
// Text of a float field (AsString, DisplayText, SetAsString, SetText) follows the process format
// settings (rtl::DefaultFormatSettings(): a decimal comma unless changed): written with
// rtl::FloatToStr, read with rtl::StrToFloat; empty text sets Null.

#include <cstdint>
#include <string>
#include <string_view>

#include "db/packet.h"
#include "rtl/variant.h"

namespace db {

class TClientDataSet;
using TDataSet = TClientDataSet;

class TField {
 public:
  virtual ~TField() = default;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return name_; }
  FieldType DataType() const { return type_; }
  int Size() const { return size_; }    // characters for a string field, 0 otherwise
  int Index() const { return index_; }  // position among the data set's fields
  TDataSet& DataSet() const { return dataSet_; }

  // The caption a control shows for the field; the field name unless set.
  const std::string& DisplayLabel() const { return label_.empty() ? name_ : label_; }
  void SetDisplayLabel(std::string label) { label_ = std::move(label); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  const ProviderFlags& GetProviderFlags() const { return flags_; }
  void SetProviderFlags(ProviderFlags flags) { flags_ = flags; }
  FieldDef Def() const { return {name_, type_, size_, flags_}; }

  // Null, or a String / Double / Int32 according to the field's kind.
  rtl::Variant Value() const;
  // Accepts Null/Empty (clears), or any value convertible to the field's kind.
  void SetValue(const rtl::Variant& value);
  bool IsNull() const { return Value().IsNull(); }
  void Clear() { SetValue(rtl::Variant::Null()); }

  virtual std::string AsString() const = 0;
  virtual void SetAsString(std::string_view text) = 0;
  virtual double AsFloat() const = 0;
  virtual void SetAsFloat(double value) = 0;
  virtual int32_t AsInteger() const = 0;
  virtual void SetAsInteger(int32_t value) = 0;

  // The text a control shows, and the text an editor writes back.
  std::string DisplayText() const { return AsString(); }
  void SetText(std::string_view text) { SetAsString(text); }

  // The value at the last merge of the change log (Null for a record inserted since then), and
  // the value being posted (the current value of the record being edited or inserted).
  rtl::Variant OldValue() const;
  rtl::Variant NewValue() const { return Value(); }

  // Asks the controls linked to the data set to put the input focus on this field.
  void FocusControl();

 protected:
  TField(TDataSet& dataSet, int index, std::string name, FieldType type, int size);
  // The value converted to this field's kind; raises when it cannot be.
  virtual rtl::Variant Convert(const rtl::Variant& value) const = 0;

 private:
  TDataSet& dataSet_;
  int index_;
  std::string name_;
  FieldType type_;
  int size_;
  std::string label_;
  bool visible_ = true;
  ProviderFlags flags_;
};

// Text of at most Size() characters. AsFloat/AsInteger parse the text and raise
// rtl::EConvertError when it is not such a number.
class TStringField : public TField {
 public:
  TStringField(TDataSet& dataSet, int index, std::string name, int size);
  std::string AsString() const override;
  void SetAsString(std::string_view text) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override;

 protected:
  rtl::Variant Convert(const rtl::Variant& value) const override;
};

// A float64. AsInteger rounds half away from zero and raises rtl::EConvertError outside the
// signed 32-bit range.
class TFloatField : public TField {
 public:
  TFloatField(TDataSet& dataSet, int index, std::string name);
  std::string AsString() const override;
  void SetAsString(std::string_view text) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override;

 protected:
  rtl::Variant Convert(const rtl::Variant& value) const override;
};

// A signed 32-bit integer. SetAsFloat accepts only whole numbers in range.
class TIntegerField : public TField {
 public:
  TIntegerField(TDataSet& dataSet, int index, std::string name);
  std::string AsString() const override;
  void SetAsString(std::string_view text) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override;

 protected:
  rtl::Variant Convert(const rtl::Variant& value) const override;
};

}  // namespace db
