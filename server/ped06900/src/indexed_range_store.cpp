#include "ped06900/indexed_range_store.h"

#include <utility>

namespace ped06900 {

bool WriterTurn::Take(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (!free_.wait_for(lock, wait, [this] { return !taken_; })) return false;
  taken_ = true;
  return true;
}

void WriterTurn::Give() {
  {
    std::lock_guard lock(mutex_);
    taken_ = false;
  }
  free_.notify_one();
}

namespace {

// A turn taken, given back once: on commit, or else when the writer goes.
class HeldTurn {
 public:
  explicit HeldTurn(WriterTurn& turn) : turn_(&turn) {}
  HeldTurn(HeldTurn&& other) noexcept : turn_(std::exchange(other.turn_, nullptr)) {}
  ~HeldTurn() { GiveBack(); }
  HeldTurn& operator=(HeldTurn&&) = delete;
  void GiveBack() {
    if (turn_) turn_->Give();
    turn_ = nullptr;
  }

 private:
  WriterTurn* turn_;
};

// Passes every call to the database's writer and notes what each change does to the index.
class IndexedRangeWriter : public RangeWriter {
 public:
  IndexedRangeWriter(HeldTurn turn, std::unique_ptr<RangeWriter> inner, RangeIndex& index)
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
    turn_.GiveBack();  // the next writer may go as soon as the index is in step
  }

 private:
  HeldTurn turn_;  // until committed, or else until rolled back
  std::unique_ptr<RangeWriter> inner_;
  RangeIndex& index_;
  std::vector<RangeIndex::Change> changes_;
};

}  // namespace

std::unique_ptr<RangeWriter> IndexedRangeStore::BeginWrite() {
  if (!shared_->writing.Take(writerWait_))
    throw StorageError("O banco de dados está ocupado por outra gravação; tente novamente.");
  HeldTurn turn(shared_->writing);
  std::unique_ptr<RangeWriter> inner = inner_->BeginWrite();
  return std::make_unique<IndexedRangeWriter>(std::move(turn), std::move(inner), shared_->index);
}

}  // namespace ped06900
