#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/dataset.h"
#include "db/packet.h"
#include "range_fixture.h"

namespace db {
namespace {

using rtl::Variant;
using ::testing::ElementsAre;
using Fixture = testing::RangeDataSet;

Row RangeRow(const char* key, double start, double end) {
  return {key, start, end, 255.0, "N"};
}

TEST(ChangeLog, InsertModifyDeleteGiveADeltaInOrderWithOldAndNewRows) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});

  f.cds.Append();
  f.key.SetAsString("0000000003");
  f.start.SetAsFloat(40);
  f.end.SetAsFloat(50);
  f.color.SetAsFloat(255);
  f.blocks.SetAsString("N");
  f.cds.Post();
  f.cds.First();
  f.cds.Edit();
  f.end.SetAsFloat(12);
  f.cds.Post();
  f.cds.Next();
  f.cds.Delete();
  EXPECT_EQ(f.cds.ChangeCount(), 3);

  const DeltaPacket delta = DecodeDeltaVariant(f.cds.Delta());
  EXPECT_EQ(delta.fields, f.cds.FieldDefs());
  ASSERT_EQ(delta.changes.size(), 3u);
  EXPECT_EQ(delta.changes[0].kind, ChangeKind::Insert);
  EXPECT_EQ(delta.changes[0].newRow, RangeRow("0000000003", 40, 50));
  EXPECT_EQ(delta.changes[1].kind, ChangeKind::Modify);
  EXPECT_EQ(delta.changes[1].oldRow, RangeRow("0000000001", 0, 10));
  EXPECT_EQ(delta.changes[1].newRow, RangeRow("0000000001", 0, 12));
  EXPECT_EQ(delta.changes[2].kind, ChangeKind::Delete);
  EXPECT_EQ(delta.changes[2].oldRow, RangeRow("0000000002", 20, 30));
}

TEST(ChangeLog, CancelUpdatesRestoresEveryRowAsAtTheLastMerge) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}, {"0000000003", 40, 50}});
  const Variant before = f.cds.Data();

  f.cds.SetRecNo(2);
  f.cds.Insert();
  f.key.SetAsString("0000000009");
  f.cds.Post();
  f.cds.Last();
  f.cds.Edit();
  f.start.SetAsFloat(45);
  f.cds.Post();
  f.cds.Edit();  // a second change of the same row
  f.start.SetAsFloat(46);
  f.cds.Post();
  f.cds.First();
  f.cds.Delete();
  f.cds.Edit();  // a change that stays pending
  f.end.SetAsFloat(99);

  f.cds.CancelUpdates();
  EXPECT_EQ(f.cds.State(), DataSetState::Browse);
  EXPECT_EQ(f.cds.ChangeCount(), 0);
  EXPECT_EQ(f.cds.Data(), before);
  EXPECT_THAT(f.Keys(), ElementsAre("0000000001", "0000000002", "0000000003"));
}

TEST(ChangeLog, OldValueIsTheValueAtTheLastMerge) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  f.cds.Edit();
  f.start.SetAsFloat(5);
  EXPECT_EQ(f.start.OldValue(), Variant(0.0));
  EXPECT_EQ(f.start.NewValue(), Variant(5.0));
  f.cds.Post();
  EXPECT_EQ(f.start.OldValue(), Variant(0.0));  // not merged yet
  f.cds.Edit();
  f.start.SetAsFloat(6);
  EXPECT_EQ(f.start.OldValue(), Variant(0.0));
  f.cds.Post();

  f.cds.MergeChangeLog();
  EXPECT_EQ(f.cds.ChangeCount(), 0);
  EXPECT_EQ(f.start.OldValue(), Variant(6.0));
  f.cds.Edit();
  f.start.SetAsFloat(7);
  EXPECT_EQ(f.start.OldValue(), Variant(6.0));
  f.cds.Post();

  // A merged value is the base that CancelUpdates returns to.
  f.cds.CancelUpdates();
  EXPECT_EQ(f.start.AsFloat(), 6);

  f.cds.Append();
  f.start.SetAsFloat(1);
  EXPECT_TRUE(f.start.OldValue().IsNull());  // a new record has no value before
  f.cds.Post();
  EXPECT_TRUE(f.start.OldValue().IsNull());
}

TEST(ChangeLog, ASecondChangeOfARowCarriesTheRowBeforeIt) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  f.cds.Edit();
  f.end.SetAsFloat(11);
  f.cds.Post();
  f.cds.Edit();
  f.end.SetAsFloat(12);
  f.cds.Post();
  const DeltaPacket delta = f.cds.DeltaAsPacket();
  ASSERT_EQ(delta.changes.size(), 2u);
  EXPECT_EQ(delta.changes[1].oldRow, RangeRow("0000000001", 0, 11));
  EXPECT_EQ(delta.changes[1].newRow, RangeRow("0000000001", 0, 12));
}

TEST(ChangeLog, AnEditPostedWithoutAnyChangedValueAddsNoEntry) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  f.cds.Edit();
  f.blocks.SetAsString("S");
  f.blocks.SetAsString("N");
  f.cds.Post();
  EXPECT_EQ(f.cds.ChangeCount(), 0);
}

TEST(ChangeLog, AssigningDataEmptiesTheLogAndDropsThePendingChange) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  f.cds.Edit();
  f.end.SetAsFloat(11);
  f.cds.Post();
  f.cds.Append();
  f.Load({{"0000000007", 1, 2}});
  EXPECT_EQ(f.cds.State(), DataSetState::Browse);
  EXPECT_EQ(f.cds.ChangeCount(), 0);
  EXPECT_THAT(f.Keys(), ElementsAre("0000000007"));
  EXPECT_EQ(f.start.OldValue(), Variant(1.0));
}

// The range screen saves each change from AfterPost / AfterDelete and, when the server refuses
// it, cancels the change log there and raises the failure again.
TEST(ChangeLog, CancellingFromAnAfterEventUndoesTheChangeThatFiredIt) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
  auto refuse = [](TDataSet& ds) {
    ds.CancelUpdates();
    throw rtl::Exception("recusado pelo servidor");
  };
  f.cds.AfterPost = refuse;
  f.cds.AfterDelete = refuse;
  f.cds.AfterInsert = [&](TDataSet&) {
    f.key.SetAsString("0000000003");
    f.blocks.SetAsString("N");
  };

  f.cds.Append();
  f.start.SetAsFloat(40);
  EXPECT_THROW(f.cds.Post(), rtl::Exception);
  EXPECT_EQ(f.cds.State(), DataSetState::Browse);
  EXPECT_THAT(f.Keys(), ElementsAre("0000000001", "0000000002"));

  f.cds.Edit();
  f.end.SetAsFloat(35);
  EXPECT_THROW(f.cds.Post(), rtl::Exception);
  EXPECT_EQ(f.end.AsFloat(), 30);

  EXPECT_THROW(f.cds.Delete(), rtl::Exception);
  EXPECT_EQ(f.cds.RecordCount(), 2);
  EXPECT_EQ(f.cds.ChangeCount(), 0);

  // Accepted: merged from AfterPost, the posted values become the base values.
  f.cds.AfterPost = [](TDataSet& ds) { ds.MergeChangeLog(); };
  f.cds.Edit();
  f.end.SetAsFloat(36);
  f.cds.Post();
  EXPECT_EQ(f.cds.ChangeCount(), 0);
  EXPECT_EQ(f.end.OldValue(), rtl::Variant(36.0));
}

TEST(DataAssignment, APacketThatDoesNotFitLeavesTheDataSetExactlyAsItWas) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
  f.cds.Last();
  f.cds.Edit();
  f.end.SetAsFloat(35);
  const Variant before = f.cds.Data();

  std::vector<FieldDef> wrongType = f.cds.FieldDefs();
  wrongType[2].type = FieldType::String;
  wrongType[2].size = 5;
  std::vector<FieldDef> missing = f.cds.FieldDefs();
  missing.pop_back();
  std::vector<FieldDef> widerKey = f.cds.FieldDefs();
  widerKey[0].size = 20;
  struct Case {
    const char* what;
    Variant packet;
  };
  const Case cases[] = {
      {"not bytes", Variant("0000000001")},
      {"garbage", Variant::FromBytes("\xff\x00")},
      {"wrong type", EncodePacketVariant({wrongType, {{"0000000009", 1.0, "x", 2.0, "N"}}})},
      {"missing field", EncodePacketVariant({missing, {{"0000000009", 1.0, 2.0, 3.0}}})},
      {"key too long for us",
       EncodePacketVariant({widerKey, {{"000000000012345", 1.0, 2.0, 3.0, "N"}}})},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(f.cds.SetData(c.packet), rtl::Exception) << c.what;
    EXPECT_EQ(f.cds.State(), DataSetState::Edit) << c.what;
    EXPECT_EQ(f.end.AsFloat(), 35) << c.what;
    EXPECT_EQ(f.cds.Data(), before) << c.what;
  }
  f.cds.Cancel();
  EXPECT_THAT(f.Keys(), ElementsAre("0000000001", "0000000002"));
}

TEST(DataAssignment, FieldsAreMatchedByNameWhateverTheirOrderAndExtrasAreIgnored) {
  Fixture f;
  std::vector<FieldDef> fields = f.cds.FieldDefs();
  std::reverse(fields.begin(), fields.end());
  fields.push_back({"EXTRA", FieldType::Integer, 0, {}});
  fields[4].size = 20;  // NRSEQRENT, wider than ours but with values that fit
  f.cds.SetData(EncodePacketVariant({fields, {{"S", 65280.0, 9.5, 1.5, "0000000004", 3}}}));
  EXPECT_EQ(f.key.AsString(), "0000000004");
  EXPECT_EQ(f.start.AsFloat(), 1.5);
  EXPECT_EQ(f.end.AsFloat(), 9.5);
  EXPECT_EQ(f.color.AsFloat(), 65280);
  EXPECT_EQ(f.blocks.AsString(), "S");
  // What the data set gives back carries its own fields only.
  EXPECT_EQ(DecodePacketVariant(f.cds.Data()).fields, f.cds.FieldDefs());
}

TEST(DataAssignment, DataRoundTripsThroughAnotherDataSet) {
  Fixture a, b;
  a.Load({{"0000000001", 0.1 + 0.2, -0.0}, {"0000000002", 1e308, 5e-324}});
  a.cds.Last();
  a.cds.Edit();
  a.blocks.Clear();
  a.cds.Post();
  b.cds.SetData(a.cds.Data());
  EXPECT_EQ(b.cds.Data(), a.cds.Data());
  b.cds.Last();
  EXPECT_TRUE(b.blocks.IsNull());
  EXPECT_EQ(b.end.Value(), Variant(5e-324));
}

TEST(DataAssignment, ClosedDataSetHasNoDataAndOpensOnAssignment) {
  Fixture f;
  EXPECT_FALSE(f.cds.Active());
  EXPECT_TRUE(f.cds.Data().IsNull());
  f.Load({});
  EXPECT_TRUE(f.cds.Active());
  EXPECT_TRUE(f.cds.IsEmpty());
  EXPECT_TRUE(f.cds.Eof());
  f.cds.Close();
  EXPECT_EQ(f.cds.State(), DataSetState::Inactive);
  EXPECT_THROW(f.cds.Insert(), EDatabaseError);
  TClientDataSet noFields;
  EXPECT_THROW(noFields.CreateDataSet(), EDatabaseError);
}

}  // namespace
}  // namespace db
