#include "db/packet.h"

#include <algorithm>
#include <cctype>

#include "rtl/cbor.h"
#include "rtl/utf8.h"

namespace db {
namespace {

using rtl::Variant;
using rtl::VarType;
using rtl::cbor::Kind;
using rtl::cbor::Reader;
using rtl::cbor::Writer;

[[noreturn]] void Fail(const std::string& why) {
  throw EPacketError("Pacote de dados inválido: " + why + ".");
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

void CheckFieldDefs(const std::vector<FieldDef>& fields) {
  if (fields.empty()) Fail("nenhum campo declarado");
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& field = fields[i];
    if (field.name.empty()) Fail("campo sem nome");
    for (size_t j = 0; j < i; ++j) {
      if (SameNameIgnoringCase(fields[j].name, field.name)) {
        Fail("campo '" + field.name + "' declarado mais de uma vez");
      }
    }
    if (field.type == FieldType::String) {
      if (field.size < 1 || field.size > kMaxStringSize) {
        Fail("tamanho inválido para o campo '" + field.name + "'");
      }
    } else if (field.size != 0) {
      Fail("o campo '" + field.name + "' não é texto e não pode ter tamanho");
    }
  }
}

void CheckValue(const FieldDef& field, const Variant& value) {
  switch (value.Type()) {
    case VarType::Null:
      return;
    case VarType::String:
      if (field.type == FieldType::String) {
        if (!rtl::IsValidUtf8(value.StringRef())) {
          Fail("texto que não é UTF-8 válido no campo '" + field.name + "'");
        }
        if (rtl::Utf8Length(value.StringRef()) > static_cast<size_t>(field.size)) {
          Fail("valor maior que o tamanho do campo '" + field.name + "'");
        }
        return;
      }
      break;
    case VarType::Double:
      if (field.type == FieldType::Float) return;
      break;
    case VarType::Int32:
      if (field.type == FieldType::Integer) return;
      break;
    default:
      break;
  }
  Fail("valor " + value.Describe() + " não é do tipo do campo '" + field.name + "'");
}

void CheckRow(const std::vector<FieldDef>& fields, const Row& row) {
  if (row.size() != fields.size()) Fail("linha com número de valores diferente do de campos");
  for (size_t i = 0; i < row.size(); ++i) CheckValue(fields[i], row[i]);
}

// --- Writing -------------------------------------------------------------------------------

void WriteFields(Writer& writer, const std::vector<FieldDef>& fields) {
  writer.Text("fields");
  writer.ArrayHeader(fields.size());
  for (const FieldDef& field : fields) {
    const bool sized = field.type == FieldType::String;
    writer.MapHeader(sized ? 4 : 3);
    writer.Text("name");
    writer.Text(field.name);
    writer.Text("type");
    writer.Text(FieldTypeName(field.type));
    if (sized) {
      writer.Text("size");
      writer.Int(field.size);
    }
    writer.Text("flags");
    const ProviderFlags& flags = field.flags;
    writer.ArrayHeader(int{flags.inUpdate} + int{flags.inWhere} + int{flags.inKey});
    if (flags.inUpdate) writer.Text("update");
    if (flags.inWhere) writer.Text("where");
    if (flags.inKey) writer.Text("key");
  }
}

void WriteRow(Writer& writer, const Row& row) {
  writer.ArrayHeader(row.size());
  for (const Variant& value : row) {
    switch (value.Type()) {
      case VarType::String:
        writer.Text(value.StringRef());
        break;
      case VarType::Double:
        writer.Double(value.AsDouble());
        break;
      case VarType::Int32:
        writer.Int(value.AsInt32());
        break;
      default:
        writer.Null();
        break;
    }
  }
}

const char* ChangeKindName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Insert:
      return "insert";
    case ChangeKind::Modify:
      return "modify";
    case ChangeKind::Delete:
      return "delete";
  }
  return "";
}

bool HasOld(ChangeKind kind) {
  return kind != ChangeKind::Insert;
}
bool HasNew(ChangeKind kind) {
  return kind != ChangeKind::Delete;
}

void CheckChange(const std::vector<FieldDef>& fields, const Change& change) {
  if (HasOld(change.kind)) {
    CheckRow(fields, change.oldRow);
  } else if (!change.oldRow.empty()) {
    Fail("uma inclusão não tem valores anteriores");
  }
  if (HasNew(change.kind)) {
    CheckRow(fields, change.newRow);
  } else if (!change.newRow.empty()) {
    Fail("uma exclusão não tem valores novos");
  }
}

// --- Reading -------------------------------------------------------------------------------

void ExpectKey(Reader& reader, std::string_view key) {
  if (reader.Peek() != Kind::Text || reader.ReadText() != key) {
    Fail("esperava a chave '" + std::string(key) + "'");
  }
}

ProviderFlags ReadFlags(Reader& reader) {
  ProviderFlags flags = ProviderFlags::None();
  const uint64_t count = reader.EnterArray();
  for (uint64_t i = 0; i < count; ++i) {
    const std::string_view flag = reader.ReadText();
    bool* slot = flag == "update"  ? &flags.inUpdate
                 : flag == "where" ? &flags.inWhere
                 : flag == "key"   ? &flags.inKey
                                   : nullptr;
    if (slot == nullptr) Fail("indicador desconhecido '" + std::string(flag) + "'");
    if (*slot) Fail("indicador '" + std::string(flag) + "' repetido");
    *slot = true;
  }
  reader.Leave();
  return flags;
}

FieldDef ReadFieldDef(Reader& reader) {
  FieldDef field;
  bool hasName = false, hasType = false, hasSize = false, hasFlags = false;
  const uint64_t count = reader.EnterMap();
  for (uint64_t i = 0; i < count; ++i) {
    const std::string_view key = reader.ReadText();
    auto once = [&](bool& seen) {
      if (seen) Fail("chave '" + std::string(key) + "' repetida na definição de campo");
      seen = true;
    };
    if (key == "name") {
      once(hasName);
      field.name = std::string(reader.ReadText());
    } else if (key == "type") {
      once(hasType);
      const std::string_view type = reader.ReadText();
      if (type == "string") {
        field.type = FieldType::String;
      } else if (type == "float") {
        field.type = FieldType::Float;
      } else if (type == "integer") {
        field.type = FieldType::Integer;
      } else {
        Fail("tipo de campo desconhecido '" + std::string(type) + "'");
      }
    } else if (key == "size") {
      once(hasSize);
      const int64_t size = reader.ReadInt();
      if (size < 1 || size > kMaxStringSize) Fail("tamanho de campo inválido");
      field.size = static_cast<int>(size);
    } else if (key == "flags") {
      once(hasFlags);
      field.flags = ReadFlags(reader);
    } else {
      Fail("chave desconhecida '" + std::string(key) + "' na definição de campo");
    }
  }
  reader.Leave();
  if (!hasName || !hasType || !hasFlags) Fail("definição de campo incompleta");
  if (field.type == FieldType::String && !hasSize) {
    Fail("o campo '" + field.name + "' não declara seu tamanho");
  }
  return field;
}

std::vector<FieldDef> ReadFields(Reader& reader) {
  ExpectKey(reader, "fields");
  std::vector<FieldDef> fields;
  const uint64_t count = reader.EnterArray();
  for (uint64_t i = 0; i < count; ++i) fields.push_back(ReadFieldDef(reader));
  reader.Leave();
  CheckFieldDefs(fields);
  return fields;
}

Variant ReadValue(Reader& reader, const FieldDef& field) {
  const Kind kind = reader.Peek();  // looked at once: a packet holds many values
  if (kind == Kind::Null) {
    reader.ReadNull();
    return Variant::Null();
  }
  switch (field.type) {
    case FieldType::String: {
      if (kind != Kind::Text) break;
      const std::string_view text = reader.ReadText();
      // A string can hold no more characters than bytes, so short texts need no count.
      if (text.size() > static_cast<size_t>(field.size) &&
          rtl::Utf8Length(text) > static_cast<size_t>(field.size)) {
        Fail("valor maior que o tamanho do campo '" + field.name + "'");
      }
      return Variant(text);
    }
    case FieldType::Float:
      if (kind != Kind::Float) break;
      return Variant(reader.ReadDouble());
    case FieldType::Integer: {
      if (kind != Kind::Unsigned && kind != Kind::Negative) break;
      const int64_t value = reader.ReadInt();
      if (value < INT32_MIN || value > INT32_MAX) {
        Fail("valor fora do intervalo de 32 bits no campo '" + field.name + "'");
      }
      return Variant(static_cast<int32_t>(value));
    }
  }
  Fail("valor que não é do tipo do campo '" + field.name + "'");
}

Row ReadRow(Reader& reader, const std::vector<FieldDef>& fields) {
  if (reader.EnterArray() != fields.size()) {
    Fail("linha com número de valores diferente do de campos");
  }
  Row row;
  row.reserve(fields.size());
  for (const FieldDef& field : fields) row.push_back(ReadValue(reader, field));
  reader.Leave();
  return row;
}

Change ReadChange(Reader& reader, const std::vector<FieldDef>& fields) {
  Change change;
  bool hasKind = false, hasOld = false, hasNew = false;
  const uint64_t count = reader.EnterMap();
  for (uint64_t i = 0; i < count; ++i) {
    const std::string_view key = reader.ReadText();
    if (key == "kind" && !hasKind) {
      hasKind = true;
      const std::string_view kind = reader.ReadText();
      if (kind == "insert") {
        change.kind = ChangeKind::Insert;
      } else if (kind == "modify") {
        change.kind = ChangeKind::Modify;
      } else if (kind == "delete") {
        change.kind = ChangeKind::Delete;
      } else {
        Fail("tipo de alteração desconhecido '" + std::string(kind) + "'");
      }
    } else if (key == "old" && !hasOld) {
      hasOld = true;
      change.oldRow = ReadRow(reader, fields);
    } else if (key == "new" && !hasNew) {
      hasNew = true;
      change.newRow = ReadRow(reader, fields);
    } else {
      Fail("chave '" + std::string(key) + "' desconhecida ou repetida numa alteração");
    }
  }
  reader.Leave();
  if (!hasKind) Fail("alteração sem tipo");
  if (hasOld != HasOld(change.kind) || hasNew != HasNew(change.kind)) {
    Fail("alteração '" + std::string(ChangeKindName(change.kind)) +
         "' com valores anteriores ou novos fora do esperado");
  }
  return change;
}

// How many items to reserve room for: never more than the bytes left could hold, each item
// taking at least `minimumBytes`, so a hostile count cannot make us reserve memory up front.
size_t RoomFor(uint64_t count, const Reader& reader, std::string_view bytes, size_t minimumBytes) {
  const size_t left = bytes.size() - reader.Position();
  return static_cast<size_t>(std::min<uint64_t>(count, left / minimumBytes));
}

// Runs `read` over the bytes and turns every low-level failure into EPacketError.
template <typename Result, typename Read>
Result Decode(std::string_view bytes, Read read) {
  try {
    Reader reader(bytes);
    Result result = read(reader);
    reader.ExpectEnd();
    return result;
  } catch (const rtl::cbor::CborError& error) {
    Fail(error.Message());
  }
}

const std::string& BytesOf(const Variant& packet) {
  if (packet.Type() != VarType::Bytes) {
    Fail("esperava uma sequência de bytes, recebeu " + packet.Describe());
  }
  return packet.AsBytes();
}

}  // namespace

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::String:
      return "string";
    case FieldType::Float:
      return "float";
    case FieldType::Integer:
      return "integer";
  }
  return "";
}

void CheckPacket(const DataPacket& packet) {
  CheckFieldDefs(packet.fields);
  for (const Row& row : packet.rows) CheckRow(packet.fields, row);
}

std::string EncodePacketRows(const std::vector<FieldDef>& fields, size_t rowCount,
                             const std::function<const Row&(size_t)>& rowAt) {
  CheckFieldDefs(fields);
  for (size_t i = 0; i < rowCount; ++i) CheckRow(fields, rowAt(i));
  std::string out;
  out.reserve(64 + rowCount * fields.size() * 10);
  Writer writer(out);
  writer.MapHeader(2);
  WriteFields(writer, fields);
  writer.Text("rows");
  writer.ArrayHeader(rowCount);
  for (size_t i = 0; i < rowCount; ++i) WriteRow(writer, rowAt(i));
  return out;
}

std::string EncodePacket(const DataPacket& packet) {
  return EncodePacketRows(packet.fields, packet.rows.size(),
                          [&](size_t i) -> const Row& { return packet.rows[i]; });
}

std::string EncodeDelta(const DeltaPacket& delta) {
  CheckFieldDefs(delta.fields);
  for (const Change& change : delta.changes) CheckChange(delta.fields, change);
  std::string out;
  Writer writer(out);
  writer.MapHeader(2);
  WriteFields(writer, delta.fields);
  writer.Text("changes");
  writer.ArrayHeader(delta.changes.size());
  for (const Change& change : delta.changes) {
    writer.MapHeader(1 + int{HasOld(change.kind)} + int{HasNew(change.kind)});
    writer.Text("kind");
    writer.Text(ChangeKindName(change.kind));
    if (HasOld(change.kind)) {
      writer.Text("old");
      WriteRow(writer, change.oldRow);
    }
    if (HasNew(change.kind)) {
      writer.Text("new");
      WriteRow(writer, change.newRow);
    }
  }
  return out;
}

DataPacket DecodePacket(std::string_view bytes) {
  return Decode<DataPacket>(bytes, [bytes](Reader& reader) {
    DataPacket packet;
    if (reader.EnterMap() != 2) Fail("esperava um mapa com 'fields' e 'rows'");
    packet.fields = ReadFields(reader);
    ExpectKey(reader, "rows");
    const uint64_t count = reader.EnterArray();
    // A row takes its array header and at least one byte a value.
    packet.rows.reserve(RoomFor(count, reader, bytes, 1 + packet.fields.size()));
    for (uint64_t i = 0; i < count; ++i) packet.rows.push_back(ReadRow(reader, packet.fields));
    reader.Leave();
    reader.Leave();
    return packet;
  });
}

DeltaPacket DecodeDelta(std::string_view bytes) {
  return Decode<DeltaPacket>(bytes, [bytes](Reader& reader) {
    DeltaPacket delta;
    if (reader.EnterMap() != 2) Fail("esperava um mapa com 'fields' e 'changes'");
    delta.fields = ReadFields(reader);
    ExpectKey(reader, "changes");
    const uint64_t count = reader.EnterArray();
    // A change takes at least its map header, "kind" and its text, one key and one row.
    delta.changes.reserve(RoomFor(count, reader, bytes, 18 + delta.fields.size()));
    for (uint64_t i = 0; i < count; ++i) {
      delta.changes.push_back(ReadChange(reader, delta.fields));
    }
    reader.Leave();
    reader.Leave();
    return delta;
  });
}

Variant EncodePacketVariant(const DataPacket& packet) {
  return Variant::FromBytes(EncodePacket(packet));
}

Variant EncodeDeltaVariant(const DeltaPacket& delta) {
  return Variant::FromBytes(EncodeDelta(delta));
}

DataPacket DecodePacketVariant(const Variant& packet) {
  return DecodePacket(BytesOf(packet));
}

DeltaPacket DecodeDeltaVariant(const Variant& delta) {
  return DecodeDelta(BytesOf(delta));
}

}  // namespace db
