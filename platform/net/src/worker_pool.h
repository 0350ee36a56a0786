#pragma once
// The worker threads of the object server. Each worker makes its own instance of every
// registered object on its own thread when it starts, then runs the server's serve function,
// which waits for connections and runs their calls on that worker's instances through its
// CallRunner; when the serve function returns, the instances are destroyed on the same thread.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/object_server.h"
#include "server_log.h"

namespace net::detail {

using Registry = std::vector<std::pair<std::string, ServerObjectFactory>>;

// What one call frame becomes: the response frame (answer or refusal) and whether the
// connection must close once it is sent.
struct CallOutcome {
  std::string frame;
  bool closeAfter = false;
};

// One worker's instances and the running of a call frame on them. Never raises: a method's
// failure becomes a refusal, logged with the connection's number.
class CallRunner {
 public:
  CallRunner(const Registry& registry, ServerLog& log,
             std::vector<std::unique_ptr<ServerObject>>& instances)
      : registry_(registry), log_(log), instances_(instances) {}
  CallOutcome Run(size_t object, uint64_t connection, const std::string& payload);

 private:
  const Registry& registry_;
  ServerLog& log_;
  std::vector<std::unique_ptr<ServerObject>>& instances_;
};

// Runs on each worker until it returns; must not raise.
using Serve = std::function<void(CallRunner& runner)>;

class WorkerPool {
 public:
  WorkerPool(const Registry& registry, ServerLog& log) : registry_(registry), log_(log) {}
  ~WorkerPool();  // Join()

  // Starts count workers and waits until each has made its instances; only then does any of
  // them start serving. Raises rtl::Exception naming the object whose factory failed (no worker
  // serves then, and every one has ended when it raises).
  void Start(int count, Serve serve);
  // Waits for every worker's serve function to return (the caller makes them return).
  void Join();

 private:
  void Run();

  const Registry& registry_;
  ServerLog& log_;
  Serve serve_;  // set before any worker starts, only read after

  std::mutex mutex_;
  std::condition_variable changed_;
  int made_ = 0;  // workers done making their instances
  int count_ = 0;
  std::string startError_;
  std::vector<std::thread> threads_;
};

}  // namespace net::detail
