#pragma once
// The worker threads of the object server. Each worker makes its own instance of every
// registered object on its own thread when it starts and destroys them on that thread when it
// ends. A job is one call frame's payload for one object; its outcome is the response frame
// (answer or refusal) and whether the connection must close after it. Each outcome is handed to
// the deliver function on the worker that made it, so the answer can go out from there without
// a round through another thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
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

// The connection a job came from, as the object server keeps it; opaque to the pool.
struct Link;

struct Job {
  std::shared_ptr<Link> link;
  uint64_t connection;  // the connection's number, for log lines
  size_t object;        // index into the registered objects
  std::string payload;
};

struct Outcome {
  std::shared_ptr<Link> link;
  std::string frame;
  bool closeAfter;
};

using Registry = std::vector<std::pair<std::string, ServerObjectFactory>>;
// Runs on a worker thread, once per job, after the call; must not raise.
using Deliver = std::function<void(Outcome& outcome)>;

class WorkerPool {
 public:
  WorkerPool(const Registry& registry, ServerLog& log, Deliver deliver);
  ~WorkerPool();  // Shutdown()

  // Starts count workers and waits until each has made its instances. Raises rtl::Exception
  // naming the object whose factory failed (every worker is then stopped again).
  void Start(int count);
  // Lets the queued jobs finish, then joins every worker.
  void Shutdown();

  void Submit(Job job);

 private:
  void Run();
  Outcome Execute(ServerObject& object, const std::string& objectName, Job& job);

  const Registry& registry_;
  ServerLog& log_;
  Deliver deliver_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool quitting_ = false;
  int started_ = 0;  // workers done making their instances
  std::string startError_;
  std::condition_variable startedCv_;
  std::vector<std::thread> threads_;
};

}  // namespace net::detail
