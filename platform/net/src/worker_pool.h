#pragma once
// The worker threads of the object server. Each worker makes its own instance of every
// registered object on its own thread when it starts and destroys them on that thread when it
// ends. A job is one call frame's payload for one object; its outcome is the response frame
// (answer or refusal) and whether the connection must close after it. Outcomes are collected
// in a queue, and a non-blocking eventfd is signalled whenever that queue goes from empty to
// non-empty, so the I/O thread can wait for them in its epoll set.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/object_server.h"
#include "server_log.h"

namespace net::detail {

struct Job {
  uint64_t connection;
  size_t object;  // index into the registered objects
  std::string payload;
};

struct Outcome {
  uint64_t connection;
  std::string frame;
  bool closeAfter;
};

using Registry = std::vector<std::pair<std::string, ServerObjectFactory>>;

class WorkerPool {
 public:
  WorkerPool(const Registry& registry, ServerLog& log);
  ~WorkerPool();  // Shutdown()

  // Starts count workers and waits until each has made its instances. Raises rtl::Exception
  // naming the object whose factory failed (every worker is then stopped again).
  void Start(int count);
  // Lets the queued jobs finish, then joins every worker.
  void Shutdown();

  void Submit(Job job);
  // The eventfd signalled when outcomes are waiting.
  int ReadyFd() const { return readyFd_; }
  // Takes every outcome collected so far (clears the eventfd first, so none is missed).
  void TakeOutcomes(std::vector<Outcome>& out);

 private:
  void Run();
  Outcome Execute(ServerObject& object, const std::string& objectName, Job& job);

  const Registry& registry_;
  ServerLog& log_;
  int readyFd_ = -1;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool quitting_ = false;
  int started_ = 0;  // workers done making their instances
  std::string startError_;
  std::condition_variable startedCv_;
  std::vector<std::thread> threads_;

  std::mutex outcomesMutex_;
  std::vector<Outcome> outcomes_;
};

}  // namespace net::detail
