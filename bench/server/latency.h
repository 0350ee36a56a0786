#pragma once
// Latency samples and their percentiles, in microseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace bench_server {

using Clock = std::chrono::steady_clock;

inline double MicrosSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

class Samples {
 public:
  void Add(double micros) { values_.push_back(micros); }
  void Merge(const Samples& other) {
    values_.insert(values_.end(), other.values_.begin(), other.values_.end());
  }
  size_t Count() const { return values_.size(); }
  // p in [0, 1]; 0 when there is no sample.
  double Percentile(double p) {
    if (values_.empty()) return 0;
    std::sort(values_.begin(), values_.end());
    return values_[std::min(values_.size() - 1, static_cast<size_t>(p * values_.size()))];
  }

 private:
  std::vector<double> values_;
};

}  // namespace bench_server
