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

RangeIndex::Summary RangeIndex::Summarise(const Block& block) {
  Summary summary{block.front().start, block.front().end};
  for (const Entry& e : block) summary.maxEnd = std::max(summary.maxEnd, e.end);
  return summary;
}

void RangeIndex::SplitIfLarge(size_t index) {
  Block& full = blocks_[index];
  if (full.size() <= kBlock) return;
  const auto middle = full.begin() + static_cast<std::ptrdiff_t>(full.size() / 2);
  Block upper(std::make_move_iterator(middle), std::make_move_iterator(full.end()));
  full.erase(middle, full.end());
  summaries_[index] = Summarise(full);
  const auto at = static_cast<std::ptrdiff_t>(index) + 1;
  summaries_.insert(summaries_.begin() + at, Summarise(upper));
  blocks_.insert(blocks_.begin() + at, std::move(upper));
}

void RangeIndex::Reset(const std::vector<RangeRecord>& ranges) {
  std::vector<Entry> all;
  all.reserve(ranges.size());
  for (const RangeRecord& r : ranges) all.push_back({r.start, r.end, r.key});
  std::stable_sort(all.begin(), all.end(),
                   [](const Entry& a, const Entry& b) { return a.start < b.start; });
  std::vector<Block> blocks;
  std::vector<Summary> summaries;
  for (size_t first = 0; first < all.size(); first += kBlock / 2) {
    const size_t last = std::min(all.size(), first + kBlock / 2);
    blocks.emplace_back(std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(first)),
                        std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(last)));
    summaries.push_back(Summarise(blocks.back()));
  }
  std::unique_lock lock(mutex_);
  blocks_ = std::move(blocks);
  summaries_ = std::move(summaries);
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
    blocks_.push_back({Entry{start, end, key}});
    summaries_.push_back({start, end});
    return;
  }
  // The last block whose first start is <= start, or the first block.
  const auto after =
      std::upper_bound(summaries_.begin(), summaries_.end(), start,
                       [](double value, const Summary& s) { return value < s.firstStart; });
  const size_t index = after == summaries_.begin() ? 0 : after - summaries_.begin() - 1;
  Block& block = blocks_[index];
  const auto at = std::upper_bound(block.begin(), block.end(), start,
                                   [](double value, const Entry& e) { return value < e.start; });
  block.insert(at, Entry{start, end, key});
  Summary& summary = summaries_[index];
  summary.firstStart = block.front().start;
  summary.maxEnd = std::max(summary.maxEnd, end);
  SplitIfLarge(index);
}

void RangeIndex::Erase(const std::string& key, double start) {
  // Entries of an equal start may run over several blocks: look in each that can hold it.
  for (size_t index = 0; index < blocks_.size(); ++index) {
    Block& block = blocks_[index];
    if (block.front().start > start) return;
    if (block.back().start < start) continue;
    auto e = std::lower_bound(block.begin(), block.end(), start,
                              [](const Entry& entry, double value) { return entry.start < value; });
    for (; e != block.end() && e->start == start; ++e) {
      if (e->key != key) continue;
      block.erase(e);
      --size_;
      if (block.empty()) {
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(index));
        summaries_.erase(summaries_.begin() + static_cast<std::ptrdiff_t>(index));
      } else {
        summaries_[index] = Summarise(block);
      }
      return;
    }
  }
}

std::vector<std::string> RangeIndex::KeysContaining(double value) const {
  std::vector<std::string> keys;
  std::shared_lock lock(mutex_);
  for (size_t index = 0; index < summaries_.size(); ++index) {
    const Summary& summary = summaries_[index];
    if (!(summary.firstStart <= value)) break;
    if (!(summary.maxEnd >= value)) continue;
    for (const Entry& e : blocks_[index]) {
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
