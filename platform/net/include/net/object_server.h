#pragma once
// ObjectServer: serves named server objects over the frame protocol of the remote-call layer.
//
// A listener thread accepts connections, however many and however idle, and times the closing
// ones; a fixed pool of worker threads, each with its own instance of every registered object
// (made by its factory on that thread when the server starts), waits on all connections at once
// (epoll, one-shot). The worker woken by a connection reads its input, runs its call on its own
// instance and sends the answer itself, so a call passes through no other thread; what the
// socket does not take at once goes out when it is writable again. A connection binds to an
// object by its hello (name, protocol version, and the access token when the server has one)
// and then carries one call at a time: frames that arrive while a call is in flight wait,
// unread, until its answer is sent, so a pipelining client is served in order.
//
// Refusals: an unknown object ("no-such-object") or a bad token ("bad-token") refuses the hello
// and closes the connection; an unknown method ("no-such-method") or a wrong argument count or
// type ("bad-arguments") refuses only the call. A malformed message or frame (bad length, over
// the frame limit, bad CBOR, nesting too deep, a call before the hello) is answered "protocol"
// when possible and closes that connection only. A method that raises anything other than
// EBadArguments is answered "internal" with a generic message; its real message is logged.
//
// Stop() (or RequestStop(), which is async-signal-safe) stops accepting, lets the calls in
// flight finish and their answers go out, then closes every connection and joins the threads.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/frame.h"
#include "net/server_object.h"

namespace net {

using ServerObjectFactory = std::function<std::unique_ptr<ServerObject>()>;
// Receives one line (no trailing newline); may be called from any of the server's threads,
// never concurrently.
using ServerLogger = std::function<void(const std::string& line)>;

struct ObjectServerOptions {
  std::string address = "127.0.0.1";  // IPv4 address to listen on
  uint16_t port = 0;                  // 0: an ephemeral port, read it with Port()
  int workers = 4;
  uint32_t maxFrame = kDefaultMaxFrame;
  std::optional<std::string> accessToken;  // when set, a hello must carry exactly this token
  ServerLogger logger;                     // default: one line to stderr
};

class ObjectServer {
 public:
  explicit ObjectServer(ObjectServerOptions options = {});
  ~ObjectServer();  // stops the server if it runs
  ObjectServer(const ObjectServer&) = delete;
  ObjectServer& operator=(const ObjectServer&) = delete;

  // Registers an object under its name (such as "ped06900.rdmRentab"); before Start() only.
  void Register(std::string name, ServerObjectFactory factory);

  // Binds, makes each worker's instances and starts serving. Raises rtl::Exception when the
  // address cannot be bound or a factory raises (the server is then left stopped).
  void Start();
  // The bound port; valid after Start().
  uint16_t Port() const { return port_; }

  // Asks the server to stop and returns at once; safe in a signal handler.
  void RequestStop();
  // Blocks until the server has stopped (after RequestStop, Stop or a signal). Never call it (or
  // Stop) from a method handler, which runs on a worker that Wait joins; use RequestStop there.
  void Wait();
  // RequestStop() then Wait().
  void Stop();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  uint16_t port_ = 0;
};

// Makes SIGTERM and SIGINT request a stop of server (one server per process). SIGPIPE is
// ignored as well, so a write to a closed peer never kills the process.
void StopOnSignals(ObjectServer& server);

}  // namespace net
