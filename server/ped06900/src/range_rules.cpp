#include "ped06900/range_rules.h"

#include <cmath>
#include <optional>

#include "rtl/rounding.h"

namespace ped06900 {
namespace {

constexpr double kMaxColour = 16777215;  // 0x00FFFFFF: blue, green and red, one byte each

class ChangeChecker {
 public:
  ChangeChecker(RangeWriter& writer, size_t position) : writer_(writer), position_(position) {}

  void Apply(const RangeChange& change) {
    switch (change.kind) {
      case RangeChange::Kind::Insert:
        Insert(change.newRow);
        break;
      case RangeChange::Kind::Modify:
        Modify(change.oldRow, change.newRow);
        break;
      case RangeChange::Kind::Delete:
        writer_.Remove(Stored(change.oldRow).key);
        break;
    }
  }

 private:
  [[noreturn]] void Refuse(const std::string& message) const {
    throw RangeRefused(position_, message);
  }

  void Insert(const rtl::VariantArray& row) {
    const RangeRecord range = Valid(row);
    if (writer_.Find(range.key)) Refuse("Já existe um intervalo com a chave " + range.key + ".");
    CheckOutsideOthers(range.key, "Valor Inicial", range.start);
    CheckOutsideOthers(range.key, "Valor Final", range.end);
    writer_.Insert(range);
  }

  void Modify(const rtl::VariantArray& oldRow, const rtl::VariantArray& newRow) {
    const RangeRecord stored = Stored(oldRow);
    const RangeRecord range = Valid(newRow);
    if (range.key != stored.key) Refuse("A chave de um intervalo não pode ser alterada.");
    if (range.start != stored.start) CheckOutsideOthers(range.key, "Valor Inicial", range.start);
    if (range.end != stored.end) CheckOutsideOthers(range.key, "Valor Final", range.end);
    writer_.Update(range);
  }

  // The stored range that old describes; refused unless every value still matches.
  RangeRecord Stored(const rtl::VariantArray& old) {
    CheckShape(old);
    const std::string key = Key(old[kKey]);
    const std::optional<RangeRecord> stored = writer_.Find(key);
    if (!stored || !Matches(old, *stored)) {
      Refuse("O intervalo " + key +
             " foi alterado ou excluído por outro usuário. Atualize a lista e tente novamente.");
    }
    return *stored;
  }

  static bool Matches(const rtl::VariantArray& old, const RangeRecord& stored) {
    const auto sameNumber = [](const rtl::Variant& value, double number) {
      return IsNumber(value) && value.AsDouble() == number;
    };
    return sameNumber(old[kStart], stored.start) && sameNumber(old[kEnd], stored.end) &&
           sameNumber(old[kColour], stored.colour) && old[kFlag].Type() == rtl::VarType::String &&
           old[kFlag].StringRef() == stored.flag;
  }

  // The row as a complete range record, or a refusal naming the first broken rule, checked in
  // the order in which the screen checks them.
  RangeRecord Valid(const rtl::VariantArray& row) const {
    CheckShape(row);
    RangeRecord range;
    range.key = Key(row[kKey]);
    range.start = Bound(row[kStart], "Valor Inicial deve ser informado.", "Valor Inicial");
    range.end = Bound(row[kEnd], "Valor Final deve ser informado.", "Valor Final");
    range.colour = Colour(row[kColour]);
    if (!(rtl::RoundHalfAwayFromZero(range.start, 2) < rtl::RoundHalfAwayFromZero(range.end, 2))) {
      Refuse("Valor Inicial deve ser menor que o Valor Final.");
    }
    range.flag = Flag(row[kFlag]);
    return range;
  }

  void CheckShape(const rtl::VariantArray& row) const {
    if (row.size() != kRangeFieldCount) {
      Refuse("Registro de intervalo inválido: são esperados 5 valores, vieram " +
             std::to_string(row.size()) + ".");
    }
    const auto expect = [this](const rtl::Variant& value, bool ok, const char* field) {
      if (!value.IsNull() && !ok) {
        Refuse(std::string("Tipo inválido no campo ") + field + ": " + value.Describe() + ".");
      }
    };
    expect(row[kKey], row[kKey].Type() == rtl::VarType::String, "NRSEQRENT");
    expect(row[kStart], IsNumber(row[kStart]), "VRPERCINIRENT");
    expect(row[kEnd], IsNumber(row[kEnd]), "VRPERCFIMRENT");
    expect(row[kColour], IsNumber(row[kColour]), "VRCORRENT");
    expect(row[kFlag], row[kFlag].Type() == rtl::VarType::String, "IDBLOQUEIAPED");
  }

  static bool IsNumber(const rtl::Variant& value) {
    const rtl::VarType type = value.Type();
    return type == rtl::VarType::Double || type == rtl::VarType::Int32 ||
           type == rtl::VarType::Int64;
  }

  std::string Key(const rtl::Variant& value) const {
    const std::string key = value.IsNull() ? std::string() : value.StringRef();
    bool digits = key.size() == 10;
    for (char c : key) digits = digits && c >= '0' && c <= '9';
    if (!digits) Refuse("A chave do intervalo deve ter dez dígitos decimais: \"" + key + "\".");
    return key;
  }

  double Bound(const rtl::Variant& value, const char* missing, const char* name) const {
    if (value.IsNull()) Refuse(missing);
    const double number = value.AsDouble();
    if (!std::isfinite(number)) Refuse(std::string(name) + " deve ser um número finito.");
    return number;
  }

  double Colour(const rtl::Variant& value) const {
    if (value.IsNull()) Refuse("Cor deve ser definida.");
    const double colour = value.AsDouble();
    if (!(colour >= 0 && colour <= kMaxColour && std::trunc(colour) == colour)) {
      Refuse("Cor inválida: deve ser um número inteiro de 0 a 16777215.");
    }
    return colour + 0.0;  // a black stored as -0.0 would not read back as the same bits
  }

  std::string Flag(const rtl::Variant& value) const {
    if (value.IsNull() || (value.StringRef() != "S" && value.StringRef() != "N")) {
      Refuse("Bloqueia Pedido deve ser \"S\" ou \"N\".");
    }
    return value.StringRef();
  }

  void CheckOutsideOthers(const std::string& key, const char* name, double value) {
    for (const std::string& other : writer_.KeysContaining(value)) {
      if (other != key) {
        Refuse(std::string(name) + " já cadastrado em outro intervalo (chave " + other + ").");
      }
    }
  }

  RangeWriter& writer_;
  size_t position_;
};

}  // namespace

void ApplyRangeChanges(RangeStore& store, const std::vector<RangeChange>& changes) {
  if (changes.empty()) throw RangeRefused(0, "Nenhuma alteração foi enviada.");
  const std::unique_ptr<RangeWriter> writer = store.BeginWrite();
  for (size_t i = 0; i < changes.size(); ++i) ChangeChecker(*writer, i).Apply(changes[i]);
  writer->Commit();
}

}  // namespace ped06900
