#pragma once
// Data packets and deltas: the bytes that carry a data set's rows, or its change log, between the
// client and the application server. Both are plain structs, usable without a data set.
//
// Encode* and Decode* check the same rules, so a packet one side encodes is a packet the other
// side accepts: at least one field; field names non-empty and unique (ignoring ASCII case); a
// string field has a size from 1 to kMaxStringSize characters, other fields have none; every row
// holds exactly one value per field, each Null or of its field's type (String for "string",
// Double for "float", Int32 for "integer"); a string is valid UTF-8 and holds at most `size`
// characters (code points). A delta change carries `oldRow` for Modify and Delete and `newRow` for
// Insert and Modify, and nothing else.
//
// Decoding is strict and bounded: the map keys are exactly those written by the encoder, with
// "fields" first; any malformed, truncated, over-nested or trailing input raises EPacketError
// (Portuguese message). It never crashes, hangs or allocates more than a small multiple of its
// input.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/variant.h"

namespace db {

class EPacketError : public rtl::Exception {
 public:
  using Exception::Exception;
};

enum class FieldType { String, Float, Integer };

// The largest size a string field may declare, in characters.
inline constexpr int kMaxStringSize = 1 << 20;

// How a field takes part when the server applies a change log: in the values it writes
// (inUpdate), in the lookup of the stored row (inWhere), as part of the key (inKey).
struct ProviderFlags {
  bool inUpdate = true;
  bool inWhere = true;
  bool inKey = false;

  static ProviderFlags None() { return {false, false, false}; }
  bool operator==(const ProviderFlags&) const = default;
};

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;  // characters, string fields only; 0 for the others
  ProviderFlags flags;

  bool operator==(const FieldDef&) const = default;
};

// One row: a value per field, in field order; Null for a missing value.
using Row = std::vector<rtl::Variant>;

struct DataPacket {
  std::vector<FieldDef> fields;
  std::vector<Row> rows;
};

enum class ChangeKind { Insert, Modify, Delete };

// oldRow: the row's values before the change (Modify, Delete); newRow: after it (Insert, Modify).
// The unused one is empty.
struct Change {
  ChangeKind kind = ChangeKind::Insert;
  Row oldRow;
  Row newRow;
};

struct DeltaPacket {
  std::vector<FieldDef> fields;
  std::vector<Change> changes;  // in the order in which they were made
};

// Raises EPacketError when the packet breaks the rules above.
void CheckPacket(const DataPacket& packet);

// Raise EPacketError when the struct breaks the rules above.
std::string EncodePacket(const DataPacket& packet);
// The same for rows held elsewhere: rowAt(i) yields row i, for i from 0 to rowCount - 1.
std::string EncodePacketRows(const std::vector<FieldDef>& fields, size_t rowCount,
                             const std::function<const Row&(size_t)>& rowAt);
std::string EncodeDelta(const DeltaPacket& delta);

// Raise EPacketError on any input that breaks the rules above.
DataPacket DecodePacket(std::string_view bytes);
DeltaPacket DecodeDelta(std::string_view bytes);

// The same for a packet held as a variant (a byte array, as it travels): decoding raises
// EPacketError when the variant is not a byte array.
rtl::Variant EncodePacketVariant(const DataPacket& packet);
rtl::Variant EncodeDeltaVariant(const DeltaPacket& delta);
DataPacket DecodePacketVariant(const rtl::Variant& packet);
DeltaPacket DecodeDeltaVariant(const rtl::Variant& delta);


// "string", "float" or "integer".
const char* FieldTypeName(FieldType type);

}  // namespace db
