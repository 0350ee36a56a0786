#include "ped06900/range_index.h"

#include <algorithm>
#include <mutex>

namespace ped06900 {
namespace {

// Blocks hold between kBlock / 2 and kBlock entries (fewer only when the whole index is
// small): large enough that a lookup skips a thousand ranges with one comparison, small enough
// that an insertion moves little memory.
constexpr size_t kBlock = 1024;

}  // namespace

void RangeIndex::Summarise(Block& block) {
  block.maxEnd = block.entries.front().end;
  for (const Entry& e : block.entries) block.maxEnd = std::max(block.maxEnd, e.end);
}

void RangeIndex::SplitIfLarge(size_t index) {
  Block& full = blocks_[index];
  if (full.entries.size() <= kBlock) return;
  Block upper;
  const auto middle = full.entries.begin() + static_cast<std::ptrdiff_t>(full.entries.size() / 2);
  upper.entries.assign(std::make_move_iterator(middle),
                       std::make_move_iterator(full.entries.end()));
  full.entries.erase(middle, full.entries.end());
  Summarise(full);
  Summarise(upper);
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(upper));
}

void RangeIndex::Reset(const std::vector<RangeRecord>& ranges) {
  std::vector<Entry> all;
  all.reserve(ranges.size());
  for (const RangeRecord& r : ranges) all.push_back({r.start, r.end, r.key});
  std::stable_sort(all.begin(), all.end(),
                   [](const Entry& a, const Entry& b) { return a.start < b.start; });
  std::vector<Block> blocks;
  for (size_t first = 0; first < all.size(); first += kBlock / 2) {
    Block block;
    const size_t last = std::min(all.size(), first + kBlock / 2);
    block.entries.assign(std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(first)),
                         std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(last)));
    Summarise(block);
    blocks.push_back(std::move(block));
  }
  std::unique_lock lock(mutex_);
  blocks_ = std::move(blocks);
  size_ = all.size();
}

void RangeIndex::Apply(const std::vector<Change>& changes) {
  std::unique_lock lock(mutex_);
  for (const Change& change : changes) {
    if (change.oldStart) Erase(change.key, *change.oldStart);
    if (change.added) Add(change.key, change.added->first, change.added->second);
  }
}

void RangeIndex::Add(const std::string& key, double start, double end) {
  ++size_;
  if (blocks_.empty()) {
    blocks_.push_back({{Entry{start, end, key}}, end});
    return;
  }
  // The last block whose first start is <= start, or the first block.
  auto block = std::upper_bound(
      blocks_.begin(), blocks_.end(), start,
      [](double value, const Block& b) { return value < b.entries.front().start; });
  if (block != blocks_.begin()) --block;
  auto& entries = block->entries;
  const auto at = std::upper_bound(entries.begin(), entries.end(), start,
                                   [](double value, const Entry& e) { return value < e.start; });
  entries.insert(at, Entry{start, end, key});
  block->maxEnd = std::max(block->maxEnd, end);
  SplitIfLarge(static_cast<size_t>(block - blocks_.begin()));
}

void RangeIndex::Erase(const std::string& key, double start) {
  // Entries of an equal start may run over several blocks: look in each that can hold it.
  for (auto block = blocks_.begin(); block != blocks_.end(); ++block) {
    auto& entries = block->entries;
    if (entries.front().start > start) return;
    if (entries.back().start < start) continue;
    auto e = std::lower_bound(entries.begin(), entries.end(), start,
                              [](const Entry& entry, double value) { return entry.start < value; });
    for (; e != entries.end() && e->start == start; ++e) {
      if (e->key != key) continue;
      entries.erase(e);
      --size_;
      if (entries.empty())
        blocks_.erase(block);
      else
        Summarise(*block);
      return;
    }
  }
}

std::vector<std::string> RangeIndex::KeysContaining(double value) const {
  std::vector<std::string> keys;
  std::shared_lock lock(mutex_);
  for (const Block& block : blocks_) {
    if (!(block.entries.front().start <= value)) break;
    if (!(block.maxEnd >= value)) continue;
    for (const Entry& e : block.entries) {
      if (!(e.start <= value)) break;
      if (e.end >= value) keys.push_back(e.key);
    }
  }
  lock.unlock();
  std::sort(keys.begin(), keys.end());
  return keys;
}

size_t RangeIndex::Size() const {
  std::shared_lock lock(mutex_);
  return size_;
}

}  // namespace ped06900
