#include "net/variant_codec.h"

#include <limits>

#include "net/errors.h"

namespace net {

using rtl::Variant;
using rtl::VarType;
using rtl::cbor::Kind;

void WriteVariant(rtl::cbor::Writer& writer, const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
      writer.Undefined();
      return;
    case VarType::Null:
      writer.Null();
      return;
    case VarType::Boolean:
      writer.Bool(value.AsBoolean());
      return;
    case VarType::Int32:
    case VarType::Int64:
      writer.Int(value.AsInt64());
      return;
    case VarType::Double:
      writer.Double(value.AsDouble());
      return;
    case VarType::String:
      writer.Text(value.StringRef());
      return;
    case VarType::Bytes:
      writer.Bytes(value.AsBytes());
      return;
    case VarType::Array: {
      const auto& items = value.AsArray();
      writer.ArrayHeader(items.size());
      for (const auto& item : items) WriteVariant(writer, item);
      return;
    }
  }
}

namespace {

Variant ReadItem(rtl::cbor::Reader& reader) {
  switch (reader.Peek()) {
    case Kind::Unsigned:
    case Kind::Negative: {
      const int64_t n = reader.ReadInt();
      if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
        return Variant(static_cast<int32_t>(n));
      return Variant(n);
    }
    case Kind::Float:
      return Variant(reader.ReadDouble());
    case Kind::False:
    case Kind::True:
      return Variant(reader.ReadBool());
    case Kind::Null:
      reader.ReadNull();
      return Variant::Null();
    case Kind::Undefined:
      reader.ReadUndefined();
      return Variant();
    case Kind::Text:
      return Variant(reader.ReadText());
    case Kind::Bytes:
      return Variant::FromBytes(std::string(reader.ReadBytes()));
    case Kind::Array: {
      const uint64_t count = reader.EnterArray();
      rtl::VariantArray items;
      items.reserve(count);
      for (uint64_t i = 0; i < count; ++i) items.push_back(ReadItem(reader));
      reader.Leave();
      return Variant(std::move(items));
    }
    case Kind::Map:
      break;
  }
  throw ProtocolError("Mapa CBOR onde se esperava um valor");
}

}  // namespace

Variant ReadVariant(rtl::cbor::Reader& reader) {
  try {
    return ReadItem(reader);
  } catch (const rtl::cbor::CborError& e) {
    throw ProtocolError(e.Message());
  }
}

std::string EncodeVariant(const Variant& value) {
  std::string out;
  rtl::cbor::Writer writer(out);
  WriteVariant(writer, value);
  return out;
}

Variant DecodeVariant(std::string_view bytes) {
  rtl::cbor::Reader reader(bytes);
  Variant value = ReadVariant(reader);
  if (!reader.AtEnd()) throw ProtocolError("Bytes sobrando após o valor");
  return value;
}

}  // namespace net
