#include "ped06900/rdm_rentab.h"

#include <optional>

#include "db/packet.h"
#include "ped06900/range_rules.h"

namespace ped06900 {
namespace {

db::FieldDef KeyField(const char* name) {
  return {name, db::FieldType::String, 10, {true, true, true}};
}

db::FieldDef FloatField(const char* name) {
  return {name, db::FieldType::Float, 0, {}};
}

// The range record's fields as the client's data set declares them, in RangeField order.
const std::vector<db::FieldDef>& RangeFields() {
  static const std::vector<db::FieldDef> fields = {
      KeyField("NRSEQRENT"),
      FloatField("VRPERCINIRENT"),
      FloatField("VRPERCFIMRENT"),
      FloatField("VRCORRENT"),
      {"IDBLOQUEIAPED", db::FieldType::String, 1, db::ProviderFlags::None()}};
  return fields;
}

rtl::Variant Success(rtl::Variant payload = {}) {
  return rtl::VariantArray{rdmRentab::kSuccess, std::move(payload)};
}

class DeltaRefused : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// For each range field, its column in the delta. The delta must declare exactly the five fields
// of the range record, by name and type, in any order; provider flags are not looked at, since
// every column is stored.
std::vector<size_t> ColumnsOf(const std::vector<db::FieldDef>& fields) {
  const auto& expected = RangeFields();
  if (fields.size() != expected.size()) {
    throw DeltaRefused("As alterações devem trazer exatamente os 5 campos do intervalo; vieram " +
                       std::to_string(fields.size()) + ".");
  }
  std::vector<size_t> columns;
  for (const db::FieldDef& want : expected) {
    size_t column = 0;
    while (column < fields.size() && fields[column].name != want.name) ++column;
    if (column == fields.size()) {
      throw DeltaRefused("Falta o campo " + want.name + " nas alterações.");
    }
    if (fields[column].type != want.type) {
      throw DeltaRefused("O campo " + want.name + " deve ser do tipo " +
                         db::FieldTypeName(want.type) + ", veio " +
                         db::FieldTypeName(fields[column].type) + ".");
    }
    columns.push_back(column);
  }
  return columns;
}

rtl::VariantArray InFieldOrder(const db::Row& row, const std::vector<size_t>& columns) {
  rtl::VariantArray ordered;
  if (row.empty()) return ordered;
  for (size_t column : columns) ordered.push_back(row.at(column));
  return ordered;
}

std::vector<RangeChange> ChangesOf(const db::DeltaPacket& delta) {
  const std::vector<size_t> columns = ColumnsOf(delta.fields);
  std::vector<RangeChange> changes;
  changes.reserve(delta.changes.size());
  for (const db::Change& change : delta.changes) {
    const RangeChange::Kind kind = change.kind == db::ChangeKind::Insert ? RangeChange::Kind::Insert
                                   : change.kind == db::ChangeKind::Modify
                                       ? RangeChange::Kind::Modify
                                       : RangeChange::Kind::Delete;
    changes.push_back(
        {kind, InFieldOrder(change.oldRow, columns), InFieldOrder(change.newRow, columns)});
  }
  return changes;
}

}  // namespace

rdmRentab::rdmRentab(std::unique_ptr<RangeStore> store, Logger log)
    : store_(std::move(store)), log_(std::move(log)) {
  Expose("GetRentab", {}, [this](const rtl::VariantArray&) { return GetRentab(); });
  Expose("SetRentab", {{rtl::VarType::Bytes}},
         [this](const rtl::VariantArray& args) { return SetRentab(args[0]); });
  Expose("GetSeq", {}, [this](const rtl::VariantArray&) { return GetSeq(); });
  Expose("GetIntervalo", {{rtl::VarType::Double}},
         [this](const rtl::VariantArray& args) { return GetIntervalo(args[0].AsDouble()); });
}

rtl::Variant rdmRentab::Answer(const char* method, const std::function<rtl::Variant()>& body) {
  int status = kRefused;
  std::string message;
  try {
    return body();
  } catch (const StorageError& e) {
    status = kStorageFailed;
    message = e.Message();
  } catch (const RangeRefused& e) {
    message = e.Message();
  } catch (const DeltaRefused& e) {
    message = e.Message();
  } catch (const db::EPacketError& e) {
    message = "As alterações recebidas não são um pacote válido: " + e.Message();
  }
  if (log_) log_(std::string(kServerObjectName) + "." + method + " recusado: " + message);
  return rtl::VariantArray{status, message};
}

rtl::Variant rdmRentab::GetRentab() {
  return Answer("GetRentab", [this] {
    const std::vector<RangeRecord> ranges = store_->All();
    // One row reused for every range: no row of its own is ever built for the packet.
    db::Row row(RangeFields().size());
    auto rowAt = [&](size_t i) -> const db::Row& {
      const RangeRecord& r = ranges[i];
      row[0] = rtl::Variant(r.key);
      row[1] = rtl::Variant(r.start);
      row[2] = rtl::Variant(r.end);
      row[3] = rtl::Variant(r.colour);
      row[4] = rtl::Variant(r.flag);
      return row;
    };
    return Success(
        rtl::Variant::FromBytes(db::EncodePacketRows(RangeFields(), ranges.size(), rowAt)));
  });
}

rtl::Variant rdmRentab::SetRentab(const rtl::Variant& delta) {
  return Answer("SetRentab", [&] {
    ApplyRangeChanges(*store_, ChangesOf(db::DecodeDeltaVariant(delta)));
    return Success();
  });
}

rtl::Variant rdmRentab::GetSeq() {
  return Answer("GetSeq", [this] {
    db::DataPacket packet{{{"SEQUENCIAL", db::FieldType::String, 10, {}}}, {}};
    if (const std::optional<std::string> key = store_->HighestKey()) packet.rows.push_back({*key});
    return Success(db::EncodePacketVariant(packet));
  });
}

rtl::Variant rdmRentab::GetIntervalo(double value) {
  return Answer("GetIntervalo", [&] {
    db::DataPacket packet{{KeyField("NRSEQRENT")}, {}};
    for (const std::string& key : store_->KeysContaining(value)) packet.rows.push_back({key});
    return Success(db::EncodePacketVariant(packet));
  });
}

}  // namespace ped06900
