#pragma once
// On this VM a round trip of one connection takes about 100 us longer when its two ends run on
// different processors and one of them has gone idle, and which processor each process lands
// on changes from run to run: a single-connection figure then says more about placement than
// about the software. While a OneProcessor lives, the calling thread and every thread of the
// given processes run on the first processor the calling thread may use, so that a figure and
// its baseline, measured under it, compare the work each side does. The destructor gives them
// back the processors the calling thread had.

#include <sched.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace bench_server {

class OneProcessor {
 public:
  explicit OneProcessor(std::vector<pid_t> processes) : processes_(std::move(processes)) {
    sched_getaffinity(0, sizeof original_, &original_);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
      if (CPU_ISSET(cpu, &original_)) {
        CPU_SET(cpu, &one);
        break;
      }
    }
    Apply(one);
  }
  ~OneProcessor() { Apply(original_); }
  OneProcessor(const OneProcessor&) = delete;
  OneProcessor& operator=(const OneProcessor&) = delete;

 private:
  void Apply(const cpu_set_t& set) {
    sched_setaffinity(0, sizeof set, &set);
    for (const pid_t pid : processes_) {
      std::error_code error;
      const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
      for (const auto& task : std::filesystem::directory_iterator(tasks, error))
        sched_setaffinity(std::stoi(task.path().filename().string()), sizeof set, &set);
    }
  }

  std::vector<pid_t> processes_;
  cpu_set_t original_;
};

}  // namespace bench_server
