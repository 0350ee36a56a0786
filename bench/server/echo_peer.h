#pragma once
// The baseline of the round-trip figures: a raw TCP peer in a process of its own that answers
// each length-prefixed request with a frame of the size the request asks for, so that it moves
// the same bytes as a real call and its answer, and does nothing else.

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace bench_server {

class EchoPeer {
 public:
  // Forks the peer; call before the process starts any thread.
  EchoPeer();
  ~EchoPeer();  // kills and reaps the peer
  EchoPeer(const EchoPeer&) = delete;
  EchoPeer& operator=(const EchoPeer&) = delete;

  uint16_t Port() const { return port_; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

// One blocking client connection to the peer.
class EchoClient {
 public:
  explicit EchoClient(uint16_t port);
  ~EchoClient();
  EchoClient(const EchoClient&) = delete;
  EchoClient& operator=(const EchoClient&) = delete;

  // Sends a frame of requestBytes (header included) and waits for the answer of answerBytes.
  void RoundTrip(size_t requestBytes, size_t answerBytes);

 private:
  int fd_ = -1;
  std::string request_, answer_;
};

}  // namespace bench_server
