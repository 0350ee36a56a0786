#include "ped06900/sqlite_range_store.h"

#include <sqlite3.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <thread>

#include "range_fixture.h"

namespace ped06900 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TempDatabase;

RangeRecord Range(const std::string& key, double start, double end, double colour = 0,
                  const std::string& flag = "S") {
  return RangeRecord{key, start, end, colour, flag};
}

void Store(RangeStore& store, const std::vector<RangeRecord>& ranges) {
  auto writer = store.BeginWrite();
  for (const auto& r : ranges) writer->Insert(r);
  writer->Commit();
}

TEST(SqliteRangeStoreTest, HasTheBoxIndexOnThisSystem) {
  TempDatabase db;
  EXPECT_TRUE(db.Open()->UsesBoxIndex());
}

TEST(SqliteRangeStoreTest, DoublesComeBackBitExact) {
  TempDatabase db;
  const double awkward[] = {0.1,   10.005, 1.0 / 3.0,  1e-310,
                            1e300, -2.5,   16777215.0, std::nextafter(10.0, 11.0)};
  std::vector<RangeRecord> ranges;
  for (size_t i = 0; i < std::size(awkward); ++i) {
    ranges.push_back(Range("00000000" + std::to_string(10 + i), awkward[i],
                           std::nextafter(awkward[i], INFINITY), awkward[i]));
  }
  Store(*db.Open(), ranges);
  for (const RangeRecord& back : db.Open()->All()) {
    const size_t i = std::stoul(back.key) - 10;
    EXPECT_EQ(std::bit_cast<uint64_t>(back.start), std::bit_cast<uint64_t>(awkward[i])) << i;
    EXPECT_EQ(std::bit_cast<uint64_t>(back.end),
              std::bit_cast<uint64_t>(std::nextafter(awkward[i], INFINITY)))
        << i;
    EXPECT_EQ(std::bit_cast<uint64_t>(back.colour), std::bit_cast<uint64_t>(awkward[i])) << i;
  }
}

TEST(SqliteRangeStoreTest, ListsByStartThenKeyAndKnowsTheHighestKey) {
  TempDatabase db;
  auto store = db.Open();
  EXPECT_THAT(store->All(), IsEmpty());
  EXPECT_EQ(store->HighestKey(), std::nullopt);
  Store(*store, {Range("0000000003", 5, 6), Range("0000000010", 1, 2), Range("0000000002", 5, 7)});
  std::vector<std::string> keys;
  for (const auto& r : store->All()) keys.push_back(r.key);
  EXPECT_THAT(keys, ElementsAre("0000000010", "0000000002", "0000000003"));
  EXPECT_EQ(store->HighestKey(), "0000000010");
}

// The box table keeps 32-bit floats; values just past a float's reach must still be found,
// and values just outside a range must not.
TEST(SqliteRangeStoreTest, ContainmentIsExactOnTheStoredDoubles) {
  TempDatabase db;
  auto store = db.Open();
  const double lo = 0.1, hi = 10.3;  // neither is a float
  Store(*store, {Range("0000000001", lo, hi), Range("0000000002", 0, 100),
                 Range("0000000003", 1e300, 1.5e300), Range("0000000004", -1e300, -1e299)});
  const struct {
    double value;
    std::vector<std::string> keys;
  } cases[] = {
      {lo, {"0000000001", "0000000002"}},
      {hi, {"0000000001", "0000000002"}},
      {std::nextafter(lo, 0.0), {"0000000002"}},
      {std::nextafter(hi, 100.0), {"0000000002"}},
      {5, {"0000000001", "0000000002"}},
      {100, {"0000000002"}},
      {100.00000000000001, {}},
      {-1, {}},
      {1.2e300, {"0000000003"}},
      {-1e300, {"0000000004"}},
      {std::numeric_limits<double>::quiet_NaN(), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(store->KeysContaining(c.value), c.keys) << c.value;
}

TEST(SqliteRangeStoreTest, UpdateAndRemoveKeepTheBoxesInStep) {
  TempDatabase db;
  auto store = db.Open();
  Store(*store, {Range("0000000001", 0, 10), Range("0000000002", 20, 30)});
  {
    auto writer = store->BeginWrite();
    writer->Update(Range("0000000001", 40, 50, 7, "N"));
    writer->Remove("0000000002");
    EXPECT_THAT(writer->KeysContaining(45), ElementsAre("0000000001"));  // sees its own writes
    writer->Commit();
  }
  EXPECT_THAT(store->KeysContaining(5), IsEmpty());
  EXPECT_THAT(store->KeysContaining(25), IsEmpty());
  EXPECT_THAT(store->KeysContaining(45), ElementsAre("0000000001"));
  EXPECT_EQ(store->All(), std::vector{Range("0000000001", 40, 50, 7, "N")});
}

TEST(SqliteRangeStoreTest, AnUncommittedWriterLeavesNothing) {
  TempDatabase db;
  auto store = db.Open();
  {
    auto writer = store->BeginWrite();
    writer->Insert(Range("0000000001", 0, 10));
  }
  EXPECT_THAT(store->All(), IsEmpty());
  EXPECT_THAT(store->KeysContaining(5), IsEmpty());
}

TEST(SqliteRangeStoreTest, WritesFailLoudlyOnMissingOrDuplicateKeys) {
  TempDatabase db;
  auto store = db.Open();
  Store(*store, {Range("0000000001", 0, 10)});
  auto writer = store->BeginWrite();
  EXPECT_THROW(writer->Insert(Range("0000000001", 20, 30)), StorageError);
  EXPECT_THROW(writer->Update(Range("0000000002", 20, 30)), StorageError);
  EXPECT_THROW(writer->Remove("0000000002"), StorageError);
}

TEST(SqliteRangeStoreTest, ASecondWriterWaitsThenGivesUpWithAClearError) {
  TempDatabase db;
  auto first = db.Open();
  SqliteRangeStore second(db.Path(), std::chrono::milliseconds(50));
  auto writer = first->BeginWrite();
  try {
    second.BeginWrite();
    FAIL() << "a second writer got in";
  } catch (const StorageError& e) {
    EXPECT_THAT(e.Message(), ::testing::HasSubstr("ocupado"));
  }
  EXPECT_THAT(second.All(), IsEmpty());  // readers are never blocked
}

TEST(SqliteRangeStoreTest, ACommittedWriterLeavesTheNextWritersTransactionAlone) {
  TempDatabase db;
  auto store = db.Open();
  auto writer = store->BeginWrite();
  writer->Insert(Range("0000000001", 0, 10));
  writer->Commit();
  writer = store->BeginWrite();  // the next begins before the committed one is gone
  writer->Insert(Range("0000000002", 20, 30));
  writer->Commit();
  EXPECT_EQ(store->All().size(), 2u);
}

// A file written by a server whose SQLite had no R*Tree: the boxes are made from its rows.
TEST(SqliteRangeStoreTest, OpeningAFileWithoutBoxesFillsThemFromTheTable) {
  TempDatabase db;
  db.Open();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(db.Path().c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(raw,
                   "DROP TABLE RENTABILIDADE_CAIXA;"
                   "INSERT INTO RENTABILIDADE (rowid, NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT,"
                   " VRCORRENT, IDBLOQUEIAPED) VALUES (1, '0000000001', 0.1, 10.3, 0, 'N'),"
                   " (2, '0000000002', 20, 30, 0, 'S')",
                   nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(raw);
  auto store = db.Open();
  EXPECT_TRUE(store->UsesBoxIndex());
  EXPECT_THAT(store->KeysContaining(0.1), ElementsAre("0000000001"));
  EXPECT_THAT(store->KeysContaining(10.3), ElementsAre("0000000001"));
  EXPECT_THAT(store->KeysContaining(25), ElementsAre("0000000002"));
  EXPECT_THAT(store->KeysContaining(15), IsEmpty());
}

TEST(SqliteRangeStoreTest, RefusesAFolderThatDoesNotExist) {
  EXPECT_THROW(SqliteRangeStore("/nonexistent-folder/x/rentab.db"), StorageError);
}

TEST(SqliteRangeStoreTest, StoresFromSeveralThreadsEachWithItsOwnStore) {
  TempDatabase db;
  db.Open();  // schema
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      SqliteRangeStore store(db.Path());
      for (int i = 0; i < 5; ++i) {
        const int n = t * 10 + i + 1;
        char key[16];
        std::snprintf(key, sizeof key, "%010d", n);
        Store(store, {Range(key, n * 100.0, n * 100.0 + 50)});
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(db.Open()->All().size(), 20u);
}

}  // namespace
}  // namespace ped06900
