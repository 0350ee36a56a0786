#pragma once
// IndexedRangeStore: a store whose lookups of the ranges that contain a value come from a
// RangeIndex in memory, shared by all the stores of one server, instead of from the database
// (a database read costs more than the rest of such a call). Everything else goes to the store
// it wraps.
//
// The index is loaded from the database when the shared state is made, then kept in step by
// the writes made through these stores: only one of them writes at a time (the next waits, up
// to the wait given, then fails with StorageError as a busy database does), and a write
// transaction applies its changes to the index, all at once, only after its commit returned.
// So the index equals the committed table as long as nobody else writes the database: whoever
// uses these stores must own the database while they live.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "ped06900/range_index.h"
#include "ped06900/range_store.h"

namespace ped06900 {

// The turn of the one open write transaction of a server.
class WriterTurn {
 public:
  // Waits up to `wait` for the turn; false when another writer kept it that long.
  bool Take(std::chrono::milliseconds wait);
  // Hands the turn on to the next writer waiting, if any.
  void Give();

 private:
  std::mutex mutex_;
  std::condition_variable free_;
  bool taken_ = false;
};

struct SharedRanges {
  // Loads the index from every range of the store.
  explicit SharedRanges(RangeStore& store) { index.Reset(store.All()); }

  RangeIndex index;
  WriterTurn writing;
};

class IndexedRangeStore : public RangeStore {
 public:
  IndexedRangeStore(std::unique_ptr<RangeStore> inner, std::shared_ptr<SharedRanges> shared,
                    std::chrono::milliseconds writerWait = std::chrono::seconds(10))
      : inner_(std::move(inner)), shared_(std::move(shared)), writerWait_(writerWait) {}

  std::vector<RangeRecord> All() override { return inner_->All(); }
  std::optional<std::string> HighestKey() override { return inner_->HighestKey(); }
  std::vector<std::string> KeysContaining(double value) override {
    return shared_->index.KeysContaining(value);
  }
  std::unique_ptr<RangeWriter> BeginWrite() override;

 private:
  std::unique_ptr<RangeStore> inner_;
  std::shared_ptr<SharedRanges> shared_;
  std::chrono::milliseconds writerWait_;
};

}  // namespace ped06900
