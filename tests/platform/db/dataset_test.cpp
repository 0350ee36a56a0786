#include "db/dataset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/datasource.h"
#include "range_fixture.h"
#include "rtl/convert.h"

namespace db {
namespace {

using rtl::Variant;
using ::testing::ElementsAre;
using Fixture = testing::RangeDataSet;

// Records every event of a data set as its name, optionally raising from one of them.
struct EventLog {
  std::vector<std::string> names;
  std::string raiseIn;

  void Attach(TClientDataSet& cds) {
    auto hook = [this](const char* name) {
      return [this, name](TDataSet& ds) {
        names.push_back(std::string(name) + ":" + DataSetStateName(ds.State()));
        if (raiseIn == name) throw rtl::Exception(std::string("falha em ") + name);
      };
    };
    cds.BeforeInsert = hook("BeforeInsert");
    cds.OnNewRecord = hook("OnNewRecord");
    cds.AfterInsert = hook("AfterInsert");
    cds.BeforeEdit = hook("BeforeEdit");
    cds.AfterEdit = hook("AfterEdit");
    cds.BeforePost = hook("BeforePost");
    cds.AfterPost = hook("AfterPost");
    cds.BeforeCancel = hook("BeforeCancel");
    cds.AfterCancel = hook("AfterCancel");
    cds.BeforeDelete = hook("BeforeDelete");
    cds.AfterDelete = hook("AfterDelete");
  }
};

TEST(DataSetEvents, FireInOrderWithTheStateOfEachMoment) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  EventLog log;
  log.Attach(f.cds);

  f.cds.Insert();
  f.start.SetAsFloat(20);
  f.cds.Post();
  f.cds.Edit();
  f.cds.Cancel();
  f.cds.Delete();
  EXPECT_THAT(log.names,
              ElementsAre("BeforeInsert:Browse", "OnNewRecord:Insert", "AfterInsert:Insert",
                          "BeforePost:Insert", "AfterPost:Browse", "BeforeEdit:Browse",
                          "AfterEdit:Edit", "BeforeCancel:Edit", "AfterCancel:Browse",
                          "BeforeDelete:Browse", "AfterDelete:Browse"));
}

TEST(DataSetEvents, PostAndCancelInBrowseStateDoNothing) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  EventLog log;
  log.Attach(f.cds);
  f.cds.Post();
  f.cds.Cancel();
  EXPECT_TRUE(log.names.empty());
  EXPECT_EQ(f.cds.ChangeCount(), 0);
}

// A raising Before event (or OnNewRecord) leaves state, values, position and change log as they
// were; the table names the event and what to run.
TEST(DataSetEvents, RaisingBeforeEventAbandonsTheOperation) {
  struct Case {
    const char* event;
    DataSetState startState;  // Browse, or Edit with a changed start value
    std::function<void(TClientDataSet&)> run;
  };
  const Case cases[] = {
      {"BeforeInsert", DataSetState::Browse, [](TClientDataSet& c) { c.Insert(); }},
      {"OnNewRecord", DataSetState::Browse, [](TClientDataSet& c) { c.Append(); }},
      {"BeforeEdit", DataSetState::Browse, [](TClientDataSet& c) { c.Edit(); }},
      {"BeforePost", DataSetState::Edit, [](TClientDataSet& c) { c.Post(); }},
      {"BeforeCancel", DataSetState::Edit, [](TClientDataSet& c) { c.Cancel(); }},
      {"BeforeDelete", DataSetState::Browse, [](TClientDataSet& c) { c.Delete(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    Fixture f;
    f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
    f.cds.Last();
    if (c.startState == DataSetState::Edit) {
      f.cds.Edit();
      f.start.SetAsFloat(25);
    }
    EventLog log;
    log.raiseIn = c.event;
    log.Attach(f.cds);
    EXPECT_THROW(c.run(f.cds), rtl::Exception);
    EXPECT_EQ(f.cds.State(), c.startState);
    EXPECT_EQ(f.cds.RecordCount(), 2);
    EXPECT_EQ(f.cds.RecNo(), 2);
    EXPECT_EQ(f.key.AsString(), "0000000002");
    EXPECT_EQ(f.start.AsFloat(), c.startState == DataSetState::Edit ? 25 : 20);
    EXPECT_EQ(f.cds.ChangeCount(), 0);
  }
}

TEST(DataSetEvents, RaisingAfterEventReachesTheCallerOnceTheOperationHappened) {
  struct Case {
    const char* event;
    std::function<void(Fixture&)> run;
    DataSetState state;
    int records;
    int changes;
  };
  const Case cases[] = {
      {"AfterInsert", [](Fixture& f) { f.cds.Insert(); }, DataSetState::Insert, 1, 0},
      {"AfterEdit", [](Fixture& f) { f.cds.Edit(); }, DataSetState::Edit, 1, 0},
      {"AfterPost",
       [](Fixture& f) {
         f.cds.Edit();
         f.end.SetAsFloat(11);
         f.cds.Post();
       },
       DataSetState::Browse, 1, 1},
      {"AfterDelete", [](Fixture& f) { f.cds.Delete(); }, DataSetState::Browse, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    Fixture f;
    f.Load({{"0000000001", 0, 10}});
    EventLog log;
    log.raiseIn = c.event;
    log.Attach(f.cds);
    EXPECT_THROW(c.run(f), rtl::Exception);
    EXPECT_EQ(f.cds.State(), c.state);
    EXPECT_EQ(f.cds.RecordCount(), c.records);
    EXPECT_EQ(f.cds.ChangeCount(), c.changes);
  }
}

TEST(DataSetEditing, EditOnADataSetWithoutRowsStartsAnInsert) {
  Fixture f;
  f.cds.CreateDataSet();
  EventLog log;
  log.Attach(f.cds);
  f.cds.Edit();
  EXPECT_EQ(f.cds.State(), DataSetState::Insert);
  EXPECT_THAT(log.names,
              ElementsAre("BeforeInsert:Browse", "OnNewRecord:Insert", "AfterInsert:Insert"));
}

TEST(DataSetEditing, WritingOutsideEditOrInsertRaisesAndChangesNothing) {
  Fixture f;
  EXPECT_THROW(f.start.SetAsFloat(1), EDatabaseError);  // closed
  f.Load({{"0000000001", 0, 10}});
  try {
    f.start.SetAsFloat(1);
    FAIL() << "write in browse state accepted";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("VRPERCINIRENT"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("edição"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(f.start.AsFloat(), 0);
  EXPECT_EQ(f.cds.ChangeCount(), 0);
}

TEST(DataSetEditing, InsertPlacesTheRowBeforeTheCurrentOneAndAppendAtTheEnd) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
  f.cds.Last();
  f.cds.Insert();
  EXPECT_EQ(f.cds.DisplayRow(), 1);
  EXPECT_EQ(f.cds.DisplayRowCount(), 3);
  EXPECT_EQ(f.cds.RecordCount(), 2);
  f.key.SetAsString("0000000005");
  f.cds.Post();
  EXPECT_EQ(f.key.AsString(), "0000000005");
  EXPECT_EQ(f.cds.RecNo(), 2);
  f.cds.Append();
  f.key.SetAsString("0000000009");
  f.cds.Post();
  EXPECT_THAT(f.Keys(), ElementsAre("0000000001", "0000000005", "0000000002", "0000000009"));
}

TEST(DataSetEditing, NavigationPostsAModifiedRecordAndCancelsAnUntouchedOne) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
  f.cds.Edit();
  f.end.SetAsFloat(15);
  f.cds.Next();
  EXPECT_EQ(f.cds.State(), DataSetState::Browse);
  EXPECT_EQ(f.cds.ChangeCount(), 1);
  f.cds.Append();  // nothing written: leaving it drops it
  f.cds.First();
  EXPECT_EQ(f.cds.RecordCount(), 2);
  EXPECT_EQ(f.cds.ChangeCount(), 1);
  EXPECT_EQ(f.end.AsFloat(), 15);
}

TEST(DataSetEditing, DeleteOnEmptyRaisesAndInInsertCancels) {
  Fixture f;
  f.cds.CreateDataSet();
  EXPECT_THROW(f.cds.Delete(), EDatabaseError);
  f.cds.Insert();
  f.cds.Delete();
  EXPECT_EQ(f.cds.State(), DataSetState::Browse);
  EXPECT_TRUE(f.cds.IsEmpty());
  EXPECT_EQ(f.cds.ChangeCount(), 0);
}

TEST(DataSetFields, ConvertAndRefuseValuesByKind) {
  Fixture f;
  f.cds.CreateDataSet();
  f.cds.Insert();
  rtl::DefaultFormatSettings() = rtl::FormatSettings::Brazilian();

  f.start.SetText("10,5");
  EXPECT_EQ(f.start.AsFloat(), 10.5);
  EXPECT_EQ(f.start.DisplayText(), "10,5");
  f.start.SetText("");
  EXPECT_TRUE(f.start.IsNull());
  EXPECT_EQ(f.start.DisplayText(), "");
  EXPECT_THROW(f.start.SetText("10.5"), rtl::EConvertError);
  EXPECT_THROW(f.start.SetText("abc"), rtl::EConvertError);
  EXPECT_TRUE(f.start.IsNull());

  f.color.SetAsFloat(16711680);
  EXPECT_EQ(f.color.AsString(), "16711680");
  EXPECT_EQ(f.color.AsInteger(), 16711680);
  f.color.SetAsFloat(1e10);
  EXPECT_THROW(f.color.AsInteger(), rtl::EConvertError);

  f.key.SetValue(Variant(int32_t{42}));
  EXPECT_EQ(f.key.AsInteger(), 42);
  EXPECT_THROW(f.key.SetAsString("01234567890"), EDatabaseError);  // 11 characters
  EXPECT_EQ(f.key.AsString(), "42");
  EXPECT_THROW(f.key.SetAsString("\xff"), EDatabaseError);
  f.blocks.SetAsString("ç");  // one character, two bytes
  EXPECT_EQ(f.blocks.AsString(), "ç");
  EXPECT_TRUE(f.cds.Modified());
}

TEST(DataSetFields, IntegerFieldAcceptsOnlyWholeNumbersInRange) {
  TClientDataSet cds;
  TIntegerField& days = cds.AddIntegerField("QTDIAS");
  cds.CreateDataSet();
  cds.Append();
  days.SetAsString("-12");
  EXPECT_EQ(days.AsInteger(), -12);
  EXPECT_EQ(days.AsFloat(), -12.0);
  days.SetAsFloat(3.0);
  EXPECT_EQ(days.Value(), Variant(int32_t{3}));
  EXPECT_THROW(days.SetAsFloat(2.5), rtl::EConvertError);
  EXPECT_THROW(days.SetAsString("2147483648"), rtl::EConvertError);
  EXPECT_EQ(days.AsInteger(), 3);
}

TEST(DataSetFields, ReadNullWithoutACurrentRecordAndLookUpByNameIgnoringCase) {
  Fixture f;
  EXPECT_TRUE(f.key.IsNull());  // closed
  f.cds.CreateDataSet();
  EXPECT_EQ(f.key.AsString(), "");
  EXPECT_EQ(f.start.AsFloat(), 0);
  EXPECT_EQ(&f.cds.FieldByName("idbloqueiaped"), &f.blocks);
  EXPECT_EQ(f.cds.FindField("NADA"), nullptr);
  EXPECT_THROW(f.cds.FieldByName("NADA"), EDatabaseError);
  EXPECT_THROW(f.cds.AddFloatField("EXTRA"), EDatabaseError);  // open
}

}  // namespace
}  // namespace db
