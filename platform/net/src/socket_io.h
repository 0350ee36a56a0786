#pragma once
// Blocking-with-deadline socket helpers of the client connection, over plain POSIX sockets and
// poll(). Each raises IoError with a cause for people (Portuguese, without the server's name,
// which the caller adds) and never raises SIGPIPE.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "net/frame.h"

namespace net::detail {

using Clock = std::chrono::steady_clock;

class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The deadline passed before the socket was ready.
class TimeoutError : public IoError {
 public:
  TimeoutError() : IoError("tempo de espera esgotado") {}
};

// Opens a TCP connection (TCP_NODELAY, close-on-exec) to host:port before deadline.
int ConnectTcp(const std::string& host, int port, Clock::time_point deadline);

void SendAll(int fd, std::string_view bytes, Clock::time_point deadline);

// Reads until buffer holds one whole frame and returns its payload. A bad frame header raises
// ProtocolError.
std::string ReadFrame(int fd, FrameBuffer& buffer, Clock::time_point deadline);

// A cause such as "tempo de espera de 30 s esgotado".
std::string TimeoutCause(std::chrono::milliseconds timeout);

}  // namespace net::detail
