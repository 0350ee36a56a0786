#pragma once
// RangeIndex: the bounds of every stored range in memory, so that finding the ranges that
// contain a value needs no database read. Ranges may enclose one another; a lookup compares the
// exact stored doubles (start <= value <= end), as the database would. A lookup costs about one
// comparison per thousand ranges plus the ranges near the value, so it stays fast at millions.
// Safe to share between threads: lookups run side by side, a change waits for them.

#include <cstddef>
#include <optional>
#include <shared_mutex>
#include <string>
#include <utility>
#include <vector>

#include "ped06900/range_record.h"

namespace ped06900 {

class RangeIndex {
 public:
  // One change of a committed write: the key's old range (given by its start) goes, its new
  // range comes; an insert has no old range, a removal no new one.
  struct Change {
    std::string key;
    std::optional<double> oldStart;
    std::optional<std::pair<double, double>> added;  // start, end
  };

  // Replaces the whole content.
  void Reset(const std::vector<RangeRecord>& ranges);
  // Applies the changes in order, all at once for lookups. A key is never added twice without
  // its removal between; removing an absent key does nothing.
  void Apply(const std::vector<Change>& changes);
  // Keys of the ranges with start <= value <= end, in key order.
  std::vector<std::string> KeysContaining(double value) const;
  size_t Size() const;

 private:
  struct Entry {
    double start;
    double end;
    std::string key;
  };
  // Entries sorted by start; every start in a block is <= every start in the next block.
  using Block = std::vector<Entry>;
  // What a lookup reads of a block before its entries, kept apart in one array so that
  // skipping a block touches only this.
  struct Summary {
    double firstStart;
    double maxEnd;
  };
  static Summary Summarise(const Block& block);
  void SplitIfLarge(size_t index);
  void Add(const std::string& key, double start, double end);
  void Erase(const std::string& key, double start);

  mutable std::shared_mutex mutex_;
  std::vector<Block> blocks_;
  std::vector<Summary> summaries_;  // one per block, in the same order
  size_t size_ = 0;
};

}  // namespace ped06900
