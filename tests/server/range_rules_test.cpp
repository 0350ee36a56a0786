#include "ped06900/range_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "range_fixture.h"

namespace ped06900 {
namespace {

using ::testing::HasSubstr;
using namespace ped06900::testing;

// Two stored ranges: 0000000001 is 10 to 20 (red, "N"), 0000000002 is 30 to 40 (black, "S").
class RangeRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = db_.Open();
    ApplyRangeChanges(*store_, {Insert(first_), Insert(second_)});
  }

  const rtl::VariantArray first_ = Row("0000000001", 10.0, 20.0, 255.0, "N");
  const rtl::VariantArray second_ = Row("0000000002", 30.0, 40.0, 0.0, "S");
  TempDatabase db_;
  std::unique_ptr<SqliteRangeStore> store_;
};

TEST_F(RangeRulesTest, RefusesEveryBrokenRuleAndStoresNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const rtl::Variant null = rtl::Variant::Null();
  const struct {
    const char* what;
    std::vector<RangeChange> changes;
    const char* message;
  } cases[] = {
      {"empty delta", {}, "Nenhuma alteração"},
      {"short key", {Insert(Row("000000003", 50.0, 60.0))}, "dez dígitos"},
      {"key with a letter", {Insert(Row("000000000A", 50.0, 60.0))}, "dez dígitos"},
      {"key with a sign", {Insert(Row("-000000003", 50.0, 60.0))}, "dez dígitos"},
      {"null key", {Insert(Row(null, 50.0, 60.0))}, "dez dígitos"},
      {"existing key", {Insert(Row("0000000001", 50.0, 60.0))}, "Já existe"},
      {"no start", {Insert(Row("0000000003", null, 60.0, null))}, "Valor Inicial deve ser inf"},
      {"no end", {Insert(Row("0000000003", 50.0, null))}, "Valor Final deve ser informado"},
      {"no colour, bounds reversed", {Insert(Row("0000000003", 60.0, 50.0, null))}, "Cor deve"},
      {"start not finite", {Insert(Row("0000000003", -INFINITY, 60.0))}, "finito"},
      {"end is NaN", {Insert(Row("0000000003", 50.0, nan))}, "finito"},
      {"equal bounds", {Insert(Row("0000000003", 50.0, 50.0))}, "menor que o Valor Final"},
      {"equal after rounding", {Insert(Row("0000000003", 50.001, 50.004))}, "menor que"},
      {"half rounds up", {Insert(Row("0000000003", 50.005, 50.01))}, "menor que"},
      {"reversed bounds", {Insert(Row("0000000003", 60.0, 50.0))}, "menor que"},
      {"negative colour", {Insert(Row("0000000003", 50.0, 60.0, -1.0))}, "Cor inválida"},
      {"colour too big", {Insert(Row("0000000003", 50.0, 60.0, 16777216.0))}, "Cor inválida"},
      {"colour with a fraction", {Insert(Row("0000000003", 50.0, 60.0, 0.5))}, "Cor inválida"},
      {"colour NaN", {Insert(Row("0000000003", 50.0, 60.0, nan))}, "Cor inválida"},
      {"flag lower case", {Insert(Row("0000000003", 50.0, 60.0, 1.0, "s"))}, "\"S\" ou \"N\""},
      {"flag empty", {Insert(Row("0000000003", 50.0, 60.0, 1.0, ""))}, "\"S\" ou \"N\""},
      {"flag missing", {Insert(Row("0000000003", 50.0, 60.0, 1.0, null))}, "\"S\" ou \"N\""},
      {"start inside another", {Insert(Row("0000000003", 15.0, 25.0))}, "Valor Inicial já"},
      {"end inside another", {Insert(Row("0000000003", 25.0, 30.0))}, "Valor Final já"},
      {"start on another's end", {Insert(Row("0000000003", 20.0, 25.0))}, "Valor Inicial já"},
      {"string where a number goes", {Insert(Row("0000000003", "50", 60.0))}, "Tipo inválido"},
      {"number where the key goes", {Insert(Row(3.0, 50.0, 60.0))}, "Tipo inválido"},
      {"four values", {Insert({"0000000003", 50.0, 60.0, 1.0})}, "5 valores"},
      {"six values", {Insert({"0000000003", 50.0, 60.0, 1.0, "N", "N"})}, "5 valores"},
      {"stale old row",
       {Modify(Row("0000000001", 10.0, 20.0, 1.0, "N"), Row("0000000001", 10.0, 20.0, 2.0, "N"))},
       "alterado ou excluído por outro usuário"},
      {"old row of a deleted range",
       {Delete(Row("0000000009", 10.0, 20.0, 255.0, "N"))},
       "alterado ou excluído"},
      {"stale delete", {Delete(Row("0000000002", 30.0, 40.0, 0.0, "N"))}, "alterado ou excluído"},
      {"old row with a missing value",
       {Delete(Row("0000000002", 30.0, 40.0, null, "S"))},
       "alterado ou excluído"},
      {"key changed",
       {Modify(Row("0000000001", 10.0, 20.0, 255.0, "N"),
               Row("0000000005", 10.0, 20.0, 255.0, "N"))},
       "não pode ser alterada"},
      {"moved start into another",
       {Modify(Row("0000000001", 10.0, 20.0, 255.0, "N"), Row("0000000001", 35.0, 45.0))},
       "Valor Inicial já"},
      {"a later change breaks a rule: the first is not kept either",
       {Insert(Row("0000000003", 50.0, 60.0)), Insert(Row("0000000004", 55.0, 70.0))},
       "Valor Inicial já"},
      {"checked against the changes before it",
       {Delete(Row("0000000002", 30.0, 40.0, 0.0, "S")),
        Delete(Row("0000000002", 30.0, 40.0, 0.0, "S"))},
       "alterado ou excluído"},
  };
  const std::vector<RangeRecord> before = store_->All();
  for (const auto& c : cases) {
    try {
      ApplyRangeChanges(*store_, c.changes);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const RangeRefused& e) {
      EXPECT_THAT(e.Message(), HasSubstr(c.message)) << c.what;
    }
    EXPECT_EQ(store_->All(), before) << c.what;
  }
}

TEST_F(RangeRulesTest, NamesThePositionOfTheRefusedChange) {
  try {
    ApplyRangeChanges(
        *store_, {Insert(Row("0000000003", 50.0, 60.0)), Insert(Row("0000000003", 70.0, 80.0))});
    FAIL();
  } catch (const RangeRefused& e) {
    EXPECT_EQ(e.Position(), 1u);
  }
}

TEST_F(RangeRulesTest, AcceptsWhatTheRulesAllow) {
  const struct {
    const char* what;
    std::vector<RangeChange> changes;
  } cases[] = {
      {"a range around another: only the bounds are checked",
       {Insert(Row("0000000003", 5.0, 25.0))}},
      {"bounds next to another's ends",
       {Insert(Row("0000000003", std::nextafter(20.0, 21.0), std::nextafter(30.0, 29.0)))}},
      {"9.994 below 10.004 after rounding", {Insert(Row("0000000003", -9.994, -9.984))}},
      {"a black colour, a white one",
       {Insert(Row("0000000003", 50.0, 60.0, 0.0)),
        Insert(Row("0000000004", 70.0, 80.0, 16777215.0))}},
      {"integers where numbers go", {Insert(Row("0000000003", int32_t{50}, int64_t{60}))}},
      {"moving a bound within its own range", {Modify(first_, Row("0000000001", 12.0, 20.0))}},
      {"a colour and flag change although the bounds lie in the range",
       {Modify(first_, Row("0000000001", 10.0, 20.0, 65280.0, "S"))}},
      {"deleting", {Delete(second_)}},
      {"insert then change it",
       {Insert(Row("0000000003", 50.0, 60.0)),
        Modify(Row("0000000003", 50.0, 60.0), Row("0000000003", 50.0, 61.0, 3.0, "S"))}},
      {"delete then insert the same key", {Delete(second_), Insert(Row("0000000002", 35.0, 36.0))}},
      {"an old row read back as -0.0 matches 0.0",
       {Delete(Row("0000000002", 30.0, 40.0, -0.0, "S"))}},
  };
  for (const auto& c : cases) {
    TempDatabase db;
    auto store = db.Open();
    ApplyRangeChanges(*store, {Insert(first_), Insert(second_)});
    EXPECT_NO_THROW(ApplyRangeChanges(*store, c.changes)) << c.what;
  }
}

TEST_F(RangeRulesTest, StoresEveryColumnAsSent) {
  ApplyRangeChanges(*store_, {Modify(first_, Row("0000000001", 11.5, 19.25, 65280.0, "S")),
                              Insert(Row("0000000003", 50.0, 60.0, -0.0, "N"))});
  EXPECT_EQ(store_->All(), (std::vector<RangeRecord>{{"0000000001", 11.5, 19.25, 65280, "S"},
                                                     {"0000000002", 30, 40, 0, "S"},
                                                     {"0000000003", 50, 60, 0, "N"}}));
  EXPECT_FALSE(std::signbit(store_->All()[2].colour));
}

TEST_F(RangeRulesTest, AModifyChecksOnlyTheBoundThatChanged) {
  // A range whose start another range already contains (as data from before these rules could
  // hold) can still get a new end or colour.
  auto writer = store_->BeginWrite();
  writer->Insert({"0000000003", 35.0, 50.0, 1.0, "N"});
  writer->Commit();
  EXPECT_NO_THROW(ApplyRangeChanges(*store_, {Modify(Row("0000000003", 35.0, 50.0, 1.0, "N"),
                                                     Row("0000000003", 35.0, 55.0, 2.0, "N"))}));
  EXPECT_THROW(ApplyRangeChanges(*store_, {Modify(Row("0000000003", 35.0, 55.0, 2.0, "N"),
                                                  Row("0000000003", 36.0, 55.0, 2.0, "N"))}),
               RangeRefused);
}

}  // namespace
}  // namespace ped06900
