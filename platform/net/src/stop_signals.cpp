#include <csignal>

#include <atomic>

#include "net/object_server.h"
#include "signal_target.h"

namespace net {

namespace {

std::atomic<ObjectServer*> target{nullptr};
static_assert(std::atomic<ObjectServer*>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
  // RequestStop only writes to an eventfd, which is async-signal-safe.
  if (ObjectServer* server = target.load()) server->RequestStop();
}

}  // namespace

void StopOnSignals(ObjectServer& server) {
  target.store(&server);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

namespace detail {

void ForgetSignalTarget(ObjectServer* server) {
  target.compare_exchange_strong(server, nullptr);
}

}  // namespace detail

}  // namespace net
