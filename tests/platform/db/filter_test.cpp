#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/dataset.h"
#include "range_fixture.h"

namespace db {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Fixture = testing::RangeDataSet;

void LoadFive(Fixture& f) {
  f.Load({{"0000000001", 0, 10},
          {"0000000007", 10, 20},
          {"0000000012", 20, 30},
          {"ABC", 30, 40},
          {"0000000100", 40, 50}});
}

TEST(Filter, SelectsTheRowsThatPass) {
  struct Case {
    const char* expression;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      // An unquoted number against the key compares numbers where the key is a number.
      {"NRSEQRENT <> 0000000007", {"0000000001", "0000000012", "ABC", "0000000100"}},
      {"NRSEQRENT = 7", {"0000000007"}},
      {"NRSEQRENT > 9", {"0000000012", "ABC", "0000000100"}},
      // Quoted, it compares texts.
      {"NRSEQRENT = '7'", {}},
      {"NRSEQRENT < '0000000012'", {"0000000001", "0000000007"}},
      {"nrseqrent = 'ABC'", {"ABC"}},
      {"VRPERCINIRENT >= 20 AND VRPERCFIMRENT <= 40", {"0000000012", "ABC"}},
      {"VRPERCINIRENT < 10 OR VRPERCINIRENT = 40", {"0000000001", "0000000100"}},
      {"(VRPERCINIRENT < 10 OR VRPERCINIRENT = 40) AND NRSEQRENT <> 1", {"0000000100"}},
      {"NOT (VRPERCINIRENT < 30)", {"ABC", "0000000100"}},
      {"VRPERCINIRENT = 10.0", {"0000000007"}},
      {"15 > VRPERCINIRENT", {"0000000001", "0000000007"}},
      {"[VRPERCFIMRENT] = '20'", {"0000000007"}},
      {"   ", {"0000000001", "0000000007", "0000000012", "ABC", "0000000100"}},
  };
  for (const Case& c : cases) {
    Fixture f;
    LoadFive(f);
    f.cds.SetFilter(c.expression);
    f.cds.SetFiltered(true);
    EXPECT_THAT(f.Keys(), ElementsAreArray(c.keys)) << c.expression;
    EXPECT_EQ(f.cds.RecordCount(), static_cast<int>(c.keys.size())) << c.expression;
  }
}

TEST(Filter, SwitchedOffAgainShowsEveryRow) {
  Fixture f;
  LoadFive(f);
  f.cds.SetFilter("NRSEQRENT <> 0000000007");
  f.cds.SetFiltered(true);
  EXPECT_EQ(f.cds.RecordCount(), 4);
  f.cds.SetFiltered(false);
  EXPECT_EQ(f.cds.RecordCount(), 5);
  EXPECT_EQ(f.cds.Filter(), "NRSEQRENT <> 0000000007");
  // A new packet is filtered too while the filter is on.
  f.cds.SetFiltered(true);
  f.Load({{"0000000007", 0, 1}, {"0000000008", 1, 2}});
  EXPECT_THAT(f.Keys(), ElementsAre("0000000008"));
}

TEST(Filter, NullValuesPassNoComparison) {
  Fixture f;
  f.cds.CreateDataSet();
  f.cds.Append();
  f.key.SetAsString("0000000001");
  f.cds.Post();
  f.cds.SetFilter("VRPERCINIRENT <> 5");
  f.cds.SetFiltered(true);
  EXPECT_EQ(f.cds.RecordCount(), 0);
  EXPECT_TRUE(f.cds.IsEmpty());
}

TEST(Filter, AnExpressionThatCannotBeCompiledRaisesWhenSwitchedOnNamingIt) {
  const char* bad[] = {"NRSEQRENT <>",   "NADA = 1",       "VRPERCINIRENT = 'abc'",
                       "NRSEQRENT = 'x", "(NRSEQRENT = 1", "NRSEQRENT = 1 2",
                       "1 = 2",          "NRSEQRENT ~ 1",  "NRSEQRENT = 1 AND"};
  for (const char* expression : bad) {
    Fixture f;
    LoadFive(f);
    f.cds.SetFilter(expression);  // accepted while off
    try {
      f.cds.SetFiltered(true);
      ADD_FAILURE() << expression << " accepted";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(e.Message().find(expression), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(f.cds.Filtered());
    EXPECT_EQ(f.cds.RecordCount(), 5);
  }
  std::string deep(200, '(');
  Fixture f;
  f.cds.SetFilter(deep + "NRSEQRENT = 1" + std::string(200, ')'));
  EXPECT_THROW(f.cds.SetFiltered(true), EDatabaseError);
}

TEST(Filter, ChangingTheTextWhileOnKeepsTheOldFilterWhenTheNewOneIsBad) {
  Fixture f;
  LoadFive(f);
  f.cds.SetFilter("NRSEQRENT = 1");
  f.cds.SetFiltered(true);
  EXPECT_THROW(f.cds.SetFilter("NRSEQRENT = "), EDatabaseError);
  EXPECT_EQ(f.cds.Filter(), "NRSEQRENT = 1");
  EXPECT_THAT(f.Keys(), ElementsAre("0000000001"));
  f.cds.SetFilter("NRSEQRENT = 12");
  EXPECT_THAT(f.Keys(), ElementsAre("0000000012"));
}

TEST(Filter, EditingAndDeletingWorkOnTheFilteredRows) {
  Fixture f;
  LoadFive(f);
  f.cds.SetFilter("VRPERCINIRENT >= 20");
  f.cds.SetFiltered(true);
  f.cds.First();
  f.cds.Edit();
  f.start.SetAsFloat(5);  // leaves the filter once posted
  f.cds.Post();
  EXPECT_EQ(f.cds.RecordCount(), 2);
  f.cds.Last();
  f.cds.Delete();
  EXPECT_THAT(f.Keys(), ElementsAre("ABC"));
  f.cds.SetFiltered(false);
  EXPECT_THAT(f.Keys(), ElementsAre("0000000001", "0000000007", "0000000012", "ABC"));
  f.cds.CancelUpdates();
  EXPECT_EQ(f.cds.RecordCount(), 5);
}

}  // namespace
}  // namespace db
