// The in-memory index of range bounds: lookups on nested, touching and equal-start ranges, and
// the same answers as a plain scan after many changes that split and empty its blocks.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "ped06900/range_index.h"

namespace ped06900 {
namespace {

using Keys = std::vector<std::string>;

RangeIndex::Change Added(const std::string& key, double start, double end) {
  return {key, std::nullopt, std::pair(start, end)};
}

TEST(RangeIndexTest, FindsEveryRangeThatHoldsTheValueInKeyOrder) {
  RangeIndex index;
  index.Reset({{"0000000005", 10, 20, 0, "N"},
               {"0000000002", 5, 25, 0, "N"},  // encloses the first
               {"0000000009", 20, 30, 0, "N"},
               {"0000000001", 10, 12, 0, "N"},  // same start as the first
               {"0000000007", -5, -0.01, 0, "N"}});
  const struct {
    double value;
    Keys keys;
  } cases[] = {
      {10, {"0000000001", "0000000002", "0000000005"}},
      {20, {"0000000002", "0000000005", "0000000009"}},  // bounds count as inside
      {25.000001, {"0000000009"}},
      {4.99, {}},
      {-0.0, {}},
      {-0.01, {"0000000007"}},
      {30, {"0000000009"}},
      {30.01, {}},
      {std::nan(""), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(index.KeysContaining(c.value), c.keys) << c.value;
}

TEST(RangeIndexTest, ChangesMoveAndDropRangesAndAbsentKeysAreIgnored) {
  RangeIndex index;
  index.Apply({Added("0000000001", 0, 10), Added("0000000002", 20, 30)});
  index.Apply({{"0000000001", 0.0, std::pair(40.0, 50.0)},  // moved
               {"0000000002", 20.0, std::nullopt},          // removed
               {"0000000003", 1.0, std::nullopt}});         // never there
  EXPECT_EQ(index.KeysContaining(5), Keys{});
  EXPECT_EQ(index.KeysContaining(25), Keys{});
  EXPECT_EQ(index.KeysContaining(45), Keys{"0000000001"});
  EXPECT_EQ(index.Size(), 1u);
}

// Thousands of random changes, many starts equal, against a plain map scanned in full.
TEST(RangeIndexTest, AnswersAsAFullScanAfterManyChanges) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coarse(0, 400);  // few distinct values: many equal starts
  std::uniform_int_distribution<int> length(0, 30);
  std::map<std::string, std::pair<double, double>> expected;
  RangeIndex index;
  const auto key = [](int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%010d", n);
    return std::string(text);
  };
  const auto check = [&](double value) {
    Keys keys;
    for (const auto& [k, r] : expected)
      if (r.first <= value && value <= r.second) keys.push_back(k);
    ASSERT_EQ(index.KeysContaining(value), keys) << value;
  };

  std::vector<RangeRecord> initial;
  for (int n = 0; n < 3000; ++n) {
    const double start = coarse(random) / 4.0;
    initial.push_back({key(n), start, start + length(random), 0, "N"});
    expected[key(n)] = {initial.back().start, initial.back().end};
  }
  index.Reset(initial);
  for (int round = 0; round < 12000; ++round) {
    const std::string k = key(std::uniform_int_distribution<int>(0, 6000)(random));
    const auto it = expected.find(k);
    const double start = coarse(random) / 4.0, end = start + length(random);
    if (it == expected.end()) {
      index.Apply({Added(k, start, end)});
      expected[k] = {start, end};
    } else if (round % 3 == 0) {
      index.Apply({{k, it->second.first, std::nullopt}});
      expected.erase(it);
    } else {
      index.Apply({{k, it->second.first, std::pair(start, end)}});
      it->second = {start, end};
    }
    if (round % 1000 == 0) check(coarse(random) / 4.0 + 0.1);
  }
  ASSERT_EQ(index.Size(), expected.size());
  for (int v = -1; v <= 140; ++v) check(v * 0.75);
}

}  // namespace
}  // namespace ped06900
