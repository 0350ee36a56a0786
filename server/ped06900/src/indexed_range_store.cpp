#include "ped06900/indexed_range_store.h"

namespace ped06900 {
namespace {

// Passes every call to the database's writer and notes what each change does to the index.
class IndexedRangeWriter : public RangeWriter {
 public:
  IndexedRangeWriter(std::unique_lock<std::timed_mutex> turn, std::unique_ptr<RangeWriter> inner,
                     RangeIndex& index)
      : turn_(std::move(turn)), inner_(std::move(inner)), index_(index) {}

  std::optional<RangeRecord> Find(const std::string& key) override { return inner_->Find(key); }
  std::vector<std::string> KeysContaining(double value) override {
    return inner_->KeysContaining(value);
  }
  void Insert(const RangeRecord& range) override {
    inner_->Insert(range);
    changes_.push_back({range.key, std::nullopt, std::pair(range.start, range.end)});
  }
  void Update(const RangeRecord& range) override {
    const std::optional<RangeRecord> old = inner_->Find(range.key);
    inner_->Update(range);
    changes_.push_back({range.key, old ? std::optional(old->start) : std::nullopt,
                        std::pair(range.start, range.end)});
  }
  void Remove(const std::string& key) override {
    const std::optional<RangeRecord> old = inner_->Find(key);
    inner_->Remove(key);
    if (old) changes_.push_back({key, old->start, std::nullopt});
  }
  void Commit() override {
    inner_->Commit();
    index_.Apply(changes_);
    changes_.clear();
    turn_.unlock();  // the next writer may go as soon as the index is in step
  }

 private:
  std::unique_lock<std::timed_mutex> turn_;  // until committed, or else until rolled back
  std::unique_ptr<RangeWriter> inner_;
  RangeIndex& index_;
  std::vector<RangeIndex::Change> changes_;
};

}  // namespace

std::unique_ptr<RangeWriter> IndexedRangeStore::BeginWrite() {
  std::unique_lock turn(shared_->writing, std::defer_lock);
  if (!turn.try_lock_for(writerWait_))
    throw StorageError("O banco de dados está ocupado por outra gravação; tente novamente.");
  return std::make_unique<IndexedRangeWriter>(std::move(turn), inner_->BeginWrite(),
                                              shared_->index);
}

}  // namespace ped06900
