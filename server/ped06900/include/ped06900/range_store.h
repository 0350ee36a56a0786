#pragma once
// The storage of the range table behind a small interface, so that another database can serve
// it later. Every method raises StorageError when the database fails; none of them checks the
// range rules (see range_rules.h), they only read and write what they are given.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ped06900/range_record.h"
#include "rtl/exceptions.h"

namespace ped06900 {

class StorageError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// One open write transaction. Reads see the changes made through it. Nothing is visible to
// others before Commit(); destroying it uncommitted rolls every change back.
class RangeWriter {
 public:
  virtual ~RangeWriter() = default;

  virtual std::optional<RangeRecord> Find(const std::string& key) = 0;
  // Keys of the ranges with start <= value <= end, in key order.
  virtual std::vector<std::string> KeysContaining(double value) = 0;
  // Insert raises StorageError when the key exists; Update and Remove when it does not.
  virtual void Insert(const RangeRecord& range) = 0;
  virtual void Update(const RangeRecord& range) = 0;
  virtual void Remove(const std::string& key) = 0;
  // Makes the changes durable; after it returns they survive a crash or a power cut.
  virtual void Commit() = 0;
};

// A store is used by one thread at a time (each worker has its own).
class RangeStore {
 public:
  virtual ~RangeStore() = default;

  // Every range, ordered by start, then key.
  virtual std::vector<RangeRecord> All() = 0;
  // The highest stored key, or none when the table is empty.
  virtual std::optional<std::string> HighestKey() = 0;
  // Keys of the ranges with start <= value <= end, in key order.
  virtual std::vector<std::string> KeysContaining(double value) = 0;
  // Starts a write transaction, waiting a bounded time for other writers. Only one writer
  // (across threads and processes) runs at a time, and it sees the latest committed state.
  virtual std::unique_ptr<RangeWriter> BeginWrite() = 0;
};

}  // namespace ped06900
