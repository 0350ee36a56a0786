#pragma once
// Helpers of the network tests: a raw loopback socket that speaks frames by hand, a scripted peer
// that runs a function on each connection it accepts, and a small server object with echo,
// sleep and throwing methods, served by a real ObjectServer on an ephemeral port.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/messages.h"
#include "net/object_server.h"

namespace nettest {

using namespace std::chrono_literals;

// A connected TCP socket with bounded blocking reads (every wait is at most `wait`).
class RawSocket {
 public:
  explicit RawSocket(int fd) : fd_(fd) {}
  static RawSocket Connect(uint16_t port);
  RawSocket(RawSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  ~RawSocket();

  void Send(std::string_view bytes);  // ignores a peer that already closed
  void SendFrame(std::string_view payload);
  // The next frame's payload; nullopt when the peer closed (or reset) first. Fails the test
  // (and returns nullopt) when nothing comes within wait.
  std::optional<std::string> ReadFrame(std::chrono::milliseconds wait = 5s);
  std::optional<net::ServerMessage> ReadMessage(std::chrono::milliseconds wait = 5s);
  // True when the peer closes within wait (unread data is skipped).
  bool PeerCloses(std::chrono::milliseconds wait = 5s);
  // True when nothing arrives and the link stays open for the whole of wait.
  bool StaysSilent(std::chrono::milliseconds wait);
  void Close();
  // Closes with a reset (SO_LINGER 0) instead of an orderly shutdown.
  void Reset();
  // Reads up to size bytes that arrive within wait; returns how many.
  size_t ReadSome(char* out, size_t size, std::chrono::milliseconds wait = 5s);

  // Sends a hello and expects the welcome.
  void Hello(const std::string& object, std::optional<std::string> token = std::nullopt);
  // Sends a call and returns the server's reply.
  net::ServerMessage Call(uint64_t id, const std::string& method, const rtl::VariantArray& args);

 private:
  bool ReadExact(char* out, size_t size, std::chrono::milliseconds wait);
  int fd_;
};

// Listens on 127.0.0.1 on an ephemeral port and runs script on each accepted connection, one
// after another, on a background thread; stops accepting when destroyed.
class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::function<void(RawSocket&)> script);
  ~ScriptedPeer();
  uint16_t Port() const { return port_; }
  int Accepted() const { return accepted_.load(); }

 private:
  int listenFd_;
  uint16_t port_;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::thread thread_;
};

// Shared between all worker instances of a test server.
struct TestState {
  std::atomic<int> calls{0};
  std::atomic<int> started{0};   // Sleep calls begun
  std::atomic<int> finished{0};  // Sleep calls ended
  std::atomic<int> instances{0};

  // Gate calls wait (at most 10 s) until the test opens the gate.
  void OpenGate();
  void WaitAtGate();
  // Waits (at most 5 s) until count calls of Sleep or Gate have begun.
  bool WaitStarted(int count);

 private:
  std::mutex gateMutex_;
  std::condition_variable gateCv_;
  bool gateOpen_ = false;
};

inline constexpr const char* kTestObject = "teste.objeto";

// A running ObjectServer serving kTestObject, whose log lines are kept.
class TestServer {
 public:
  // Serves on options.port (0: an ephemeral port); the logger is replaced by one that keeps lines.
  explicit TestServer(net::ObjectServerOptions options = {});
  ~TestServer();
  uint16_t Port() const { return server_->Port(); }
  net::ObjectServer& Server() { return *server_; }
  TestState& State() { return *state_; }
  std::vector<std::string> Log();
  bool LogContains(const std::string& text);

 private:
  std::shared_ptr<TestState> state_ = std::make_shared<TestState>();
  std::mutex logMutex_;
  std::vector<std::string> log_;
  std::unique_ptr<net::ObjectServer> server_;
};

}  // namespace nettest
