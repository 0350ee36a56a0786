#include "db/datasource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/dataset.h"
#include "range_fixture.h"

namespace db {
namespace {

using ::testing::ElementsAre;
using Fixture = testing::RangeDataSet;

// A control's link that writes down what it hears.
struct RecordingLink : TDataLink {
  std::vector<std::string> heard;
  std::function<void(const DataEvent&)> onEvent;

  void OnDataEvent(const DataEvent& event) override {
    static const char* kNames[] = {"Active", "State",  "DataSet", "Moved",
                                   "Field",  "Update", "Focus"};
    std::string text = kNames[static_cast<int>(event.kind)];
    if (event.field) text += ":" + event.field->FieldName();
    heard.push_back(text);
    if (onEvent) onEvent(event);
  }
};

TEST(DataSource, ReportsStateAndStateChanges) {
  Fixture f;
  TDataSource source;
  EXPECT_EQ(source.State(), DataSetState::Inactive);
  std::vector<DataSetState> states;
  source.OnStateChange = [&](TDataSource& s) { states.push_back(s.State()); };
  f.Load({{"0000000001", 0, 10}});
  source.SetDataSet(&f.cds);
  f.cds.Edit();
  f.cds.Cancel();
  f.cds.Insert();
  f.cds.Delete();  // cancels the insert
  f.cds.Close();
  source.SetDataSet(nullptr);
  EXPECT_THAT(states,
              ElementsAre(DataSetState::Browse, DataSetState::Edit, DataSetState::Browse,
                          DataSetState::Insert, DataSetState::Browse, DataSetState::Inactive));
}

TEST(DataSource, LinksHearRowFieldAndFocusChanges) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
  TDataSource source(&f.cds);
  RecordingLink link;
  link.SetDataSource(&source);

  f.cds.Next();
  f.cds.Edit();
  f.end.SetAsFloat(31);
  f.start.FocusControl();
  f.cds.Post();
  EXPECT_THAT(link.heard, ElementsAre("Moved", "State", "Field:VRPERCFIMRENT",
                                      "Focus:VRPERCINIRENT", "Update", "State", "DataSet"));
  link.heard.clear();
  f.Load({});
  EXPECT_THAT(link.heard, ElementsAre("DataSet"));
}

TEST(DataSource, ALinkCanWritePendingEditorTextBeforeThePost) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  TDataSource source(&f.cds);
  RecordingLink editor;
  editor.SetDataSource(&source);
  editor.onEvent = [&](const DataEvent& event) {
    if (event.kind == DataEventKind::UpdateRecord) f.end.SetText("12,5");
  };
  double seenInBeforePost = 0;
  f.cds.BeforePost = [&](TDataSet&) { seenInBeforePost = f.end.AsFloat(); };
  f.cds.Edit();
  f.cds.Post();
  EXPECT_EQ(seenInBeforePost, 12.5);
  EXPECT_EQ(f.cds.ChangeCount(), 1);
}

// A grid repaints from inside any notification; the fields must read a consistent row then.
TEST(DataSource, FieldsReadConsistentValuesFromInsideEveryNotification) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}});
  TDataSource source(&f.cds);
  RecordingLink grid;
  grid.SetDataSource(&source);
  std::vector<std::string> seen;
  grid.onEvent = [&](const DataEvent& event) {
    std::string row = std::string(DataSetStateName(f.cds.State())) + ":";
    for (int i = 0; i < f.cds.FieldCount(); ++i) row += f.cds.Field(i).DisplayText() + "|";
    for (int r = 0; r < f.cds.DisplayRowCount(); ++r) {
      TRowView view(f.cds, r);
      row += f.key.AsString() + ";";
    }
    if (event.kind == DataEventKind::DataSetChanged) seen.push_back(row);
  };
  f.cds.Append();
  f.key.SetAsString("0000000003");
  f.cds.Post();
  f.cds.Edit();
  f.start.SetAsFloat(50);
  f.cds.Delete();
  f.cds.CancelUpdates();
  EXPECT_THAT(seen, ElementsAre("Insert:|||||0000000001;0000000002;;",
                                "Browse:0000000003|||||0000000001;0000000002;0000000003;",
                                "Browse:0000000002|20|30|255|N|0000000001;0000000002;",
                                "Browse:0000000002|20|30|255|N|0000000001;0000000002;"));
}

TEST(DataSource, EitherSideMayBeDestroyedFirst) {
  auto f = std::make_unique<Fixture>();
  f->Load({{"0000000001", 0, 10}});
  auto source = std::make_unique<TDataSource>(&f->cds);
  RecordingLink link;
  link.SetDataSource(source.get());
  f.reset();
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_EQ(source->State(), DataSetState::Inactive);
  source.reset();
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_EQ(link.DataSet(), nullptr);
}

TEST(DataSource, ALinkMayDetachWhileHandlingAnEvent) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}});
  TDataSource source(&f.cds);
  RecordingLink first, second;
  first.SetDataSource(&source);
  second.SetDataSource(&source);
  first.onEvent = [&](const DataEvent&) { second.SetDataSource(nullptr); };
  f.cds.Edit();
  EXPECT_THAT(first.heard, ElementsAre("State"));
  EXPECT_TRUE(second.heard.empty());
}

TEST(RowView, FieldsReadAnyDisplayRowWithoutMovingOrFiring) {
  Fixture f;
  f.Load({{"0000000001", 0, 10}, {"0000000002", 20, 30}, {"0000000003", 40, 50}});
  f.cds.SetRecNo(2);
  f.cds.Edit();
  f.start.SetAsFloat(25);
  TDataSource source(&f.cds);
  RecordingLink link;
  link.SetDataSource(&source);

  std::vector<std::string> drawn;
  for (int row = 0; row < f.cds.DisplayRowCount(); ++row) {
    TRowView view(f.cds, row);
    drawn.push_back(f.key.AsString() + "/" + f.start.DisplayText());
    EXPECT_THROW(f.end.SetAsFloat(1), EDatabaseError);
  }
  EXPECT_THAT(drawn, ElementsAre("0000000001/0", "0000000002/25", "0000000003/40"));
  EXPECT_EQ(f.key.AsString(), "0000000002");
  EXPECT_EQ(f.cds.State(), DataSetState::Edit);
  EXPECT_TRUE(link.heard.empty());
  EXPECT_THROW(TRowView(f.cds, 3), EDatabaseError);

  // In insert state the new record is one of the display rows, at its place.
  f.cds.Post();
  f.cds.Insert();
  f.key.SetAsString("NOVO");
  drawn.clear();
  for (int row = 0; row < f.cds.DisplayRowCount(); ++row) {
    TRowView view(f.cds, row);
    drawn.push_back(f.key.AsString());
    TRowView nested(f.cds, 0);
    EXPECT_EQ(f.key.AsString(), "0000000001");
  }
  EXPECT_THAT(drawn, ElementsAre("0000000001", "NOVO", "0000000002", "0000000003"));
  EXPECT_EQ(f.cds.DisplayRow(), 1);
  EXPECT_EQ(f.key.AsString(), "NOVO");
}

}  // namespace
}  // namespace db
