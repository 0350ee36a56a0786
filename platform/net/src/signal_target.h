#pragma once
// The one server that SIGTERM and SIGINT stop (see StopOnSignals).

namespace net {
class ObjectServer;
}

namespace net::detail {

// Clears the target when it is server, so that a signal never reaches a destroyed server.
void ForgetSignalTarget(ObjectServer* server);

}  // namespace net::detail
