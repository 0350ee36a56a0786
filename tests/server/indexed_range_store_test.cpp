// Stores of one server sharing the in-memory index: what one commits, every other finds; what
// is not committed, nobody finds; writers take turns.

#include "ped06900/indexed_range_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "range_fixture.h"

namespace ped06900 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TempDatabase;

class IndexedRangeStoreTest : public ::testing::Test {
 protected:
  IndexedRangeStoreTest() {
    auto seed = db_.Open();
    auto writer = seed->BeginWrite();
    writer->Insert({"0000000001", 10, 20, 255, "N"});
    writer->Commit();
    shared_ = std::make_shared<SharedRanges>(*seed);
  }
  std::unique_ptr<IndexedRangeStore> Worker(
      std::chrono::milliseconds wait = std::chrono::seconds(5)) {
    return std::make_unique<IndexedRangeStore>(db_.Open(), shared_, wait);
  }

  TempDatabase db_;
  std::shared_ptr<SharedRanges> shared_;
};

TEST_F(IndexedRangeStoreTest, OneWorkersCommitIsFoundByEveryWorker) {
  auto writing = Worker();
  auto reading = Worker();
  EXPECT_THAT(reading->KeysContaining(15), ElementsAre("0000000001"));  // loaded at the start

  auto writer = writing->BeginWrite();
  writer->Insert({"0000000002", 30, 40, 0, "S"});
  writer->Update({"0000000001", 50, 60, 255, "N"});
  EXPECT_THAT(writer->KeysContaining(35), ElementsAre("0000000002"));  // its own changes
  EXPECT_THAT(reading->KeysContaining(35), IsEmpty());                 // not yet for others
  EXPECT_THAT(reading->KeysContaining(15), ElementsAre("0000000001"));
  writer->Commit();

  EXPECT_THAT(reading->KeysContaining(35), ElementsAre("0000000002"));
  EXPECT_THAT(reading->KeysContaining(15), IsEmpty());
  EXPECT_THAT(reading->KeysContaining(55), ElementsAre("0000000001"));

  writer = writing->BeginWrite();
  writer->Remove("0000000002");
  writer->Commit();
  EXPECT_THAT(reading->KeysContaining(35), IsEmpty());
}

TEST_F(IndexedRangeStoreTest, AnUncommittedOrFailedWriteLeavesTheIndexAsTheTable) {
  auto store = Worker();
  {
    auto writer = store->BeginWrite();
    writer->Insert({"0000000002", 30, 40, 0, "S"});
    writer->Remove("0000000001");
  }  // rolled back
  {
    auto writer = store->BeginWrite();
    EXPECT_THROW(writer->Update({"0000000009", 70, 80, 0, "S"}), StorageError);
    EXPECT_THROW(writer->Insert({"0000000001", 70, 80, 0, "S"}), StorageError);
    writer->Commit();
  }
  EXPECT_THAT(store->KeysContaining(35), IsEmpty());
  EXPECT_THAT(store->KeysContaining(75), IsEmpty());
  EXPECT_THAT(store->KeysContaining(10), ElementsAre("0000000001"));
  EXPECT_EQ(shared_->index.Size(), store->All().size());
}

TEST_F(IndexedRangeStoreTest, ASecondWriterWaitsItsTurnThenGivesUpClearly) {
  auto first = Worker();
  auto second = Worker(std::chrono::milliseconds(50));
  auto writer = first->BeginWrite();
  try {
    second->BeginWrite();
    FAIL() << "a second writer got in";
  } catch (const StorageError& e) {
    EXPECT_THAT(e.Message(), ::testing::HasSubstr("ocupado"));
  }
  EXPECT_THAT(second->KeysContaining(10), ElementsAre("0000000001"));  // readers never wait
  writer.reset();
  EXPECT_NO_THROW(second->BeginWrite());
}

}  // namespace
}  // namespace ped06900
