#include "test_support.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/frame.h"
#include "net/server_object.h"

namespace nettest {

namespace {

using Clock = std::chrono::steady_clock;

int WaitReadable(int fd, std::chrono::milliseconds wait) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(wait.count()));
}

class TestObject : public net::ServerObject {
 public:
  explicit TestObject(std::shared_ptr<TestState> state) : state_(std::move(state)) {
    using rtl::VarType;
    ++state_->instances;
    Expose("Echo", {net::ParamType::Any()}, [this](const rtl::VariantArray& args) {
      ++state_->calls;
      return args[0];
    });
    Expose("Add", {{VarType::Int32}, {VarType::Int32, VarType::Double}},
           [this](const rtl::VariantArray& args) {
             ++state_->calls;
             return rtl::Variant(args[0].AsDouble() + args[1].AsDouble());
           });
    Expose("Sleep", {{VarType::Int32}}, [this](const rtl::VariantArray& args) {
      ++state_->calls;
      ++state_->started;
      std::this_thread::sleep_for(std::chrono::milliseconds(args[0].AsInt32()));
      ++state_->finished;
      return args[0];
    });
    Expose("Gate", {}, [this](const rtl::VariantArray&) {
      ++state_->calls;
      ++state_->started;
      state_->WaitAtGate();
      ++state_->finished;
      return rtl::Variant(true);
    });
    Expose("Throw", {}, [this](const rtl::VariantArray&) -> rtl::Variant {
      ++state_->calls;
      throw std::runtime_error("detalhe interno: senha=xyz");
    });
    Expose("Positive", {{VarType::Int32}}, [this](const rtl::VariantArray& args) {
      ++state_->calls;
      if (args[0].AsInt32() <= 0) throw net::EBadArguments("O valor deve ser positivo");
      return args[0];
    });
  }

 private:
  std::shared_ptr<TestState> state_;
};

}  // namespace

void TestState::OpenGate() {
  {
    std::lock_guard lock(gateMutex_);
    gateOpen_ = true;
  }
  gateCv_.notify_all();
}

void TestState::WaitAtGate() {
  std::unique_lock lock(gateMutex_);
  gateCv_.wait_for(lock, 10s, [this] { return gateOpen_; });
}

bool TestState::WaitStarted(int count) {
  for (int i = 0; i < 500 && started.load() < count; ++i) std::this_thread::sleep_for(10ms);
  return started.load() >= count;
}

RawSocket RawSocket::Connect(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
    ADD_FAILURE() << "connect: " << std::strerror(errno);
  }
  return RawSocket(fd);
}

RawSocket::~RawSocket() {
  Close();
}

void RawSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void RawSocket::Reset() {
  const linger hard{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  Close();
}

size_t RawSocket::ReadSome(char* out, size_t size, std::chrono::milliseconds wait) {
  if (WaitReadable(fd_, wait) <= 0) return 0;
  const ssize_t n = ::recv(fd_, out, size, 0);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

void RawSocket::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void RawSocket::SendFrame(std::string_view payload) {
  std::string frame;
  net::AppendFrame(frame, payload);
  Send(frame);
}

bool RawSocket::ReadExact(char* out, size_t size, std::chrono::milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (size > 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || WaitReadable(fd_, left) <= 0) {
      ADD_FAILURE() << "nothing arrived in time";
      return false;
    }
    const ssize_t n = ::recv(fd_, out, size, 0);
    if (n <= 0) return false;
    out += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::optional<std::string> RawSocket::ReadFrame(std::chrono::milliseconds wait) {
  unsigned char header[4];
  if (!ReadExact(reinterpret_cast<char*>(header), 4, wait)) return std::nullopt;
  const uint32_t n = net::ParseFrameHeader(header, net::kDefaultMaxFrame);
  std::string payload(n, '\0');
  if (!ReadExact(payload.data(), n, wait)) return std::nullopt;
  return payload;
}

std::optional<net::ServerMessage> RawSocket::ReadMessage(std::chrono::milliseconds wait) {
  auto frame = ReadFrame(wait);
  if (!frame) return std::nullopt;
  return net::DecodeServerMessage(*frame);
}

bool RawSocket::PeerCloses(std::chrono::milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  char buffer[4096];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || WaitReadable(fd_, left) <= 0) return false;
    if (::recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
  }
}

bool RawSocket::StaysSilent(std::chrono::milliseconds wait) {
  return WaitReadable(fd_, wait) == 0;
}

void RawSocket::Hello(const std::string& object, std::optional<std::string> token) {
  SendFrame(net::EncodeHello({net::kProtocolVersion, object, std::move(token)}));
  const auto reply = ReadMessage();
  ASSERT_TRUE(reply.has_value());
  ASSERT_EQ(reply->kind, net::ServerMessage::Kind::Welcome) << reply->code << " " << reply->message;
}

net::ServerMessage RawSocket::Call(uint64_t id, const std::string& method,
                                   const rtl::VariantArray& args) {
  SendFrame(net::EncodeCall(id, method, args));
  auto reply = ReadMessage();
  if (!reply) {
    ADD_FAILURE() << "no reply to " << method;
    return {};
  }
  return *reply;
}

ScriptedPeer::ScriptedPeer(std::function<void(RawSocket&)> script) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listenFd_, 16);
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, script = std::move(script)] {
    while (!stop_) {
      if (WaitReadable(listenFd_, 50ms) <= 0) continue;
      const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++accepted_;
      RawSocket socket(fd);
      script(socket);
    }
  });
}

ScriptedPeer::~ScriptedPeer() {
  stop_ = true;
  thread_.join();
  ::close(listenFd_);
}

TestServer::TestServer(net::ObjectServerOptions options) {
  options.logger = [this](const std::string& line) {
    std::lock_guard lock(logMutex_);
    log_.push_back(line);
  };
  server_ = std::make_unique<net::ObjectServer>(std::move(options));
  server_->Register(kTestObject, [state = state_] { return std::make_unique<TestObject>(state); });
  server_->Start();
}

TestServer::~TestServer() {
  server_->Stop();
}

std::vector<std::string> TestServer::Log() {
  std::lock_guard lock(logMutex_);
  return log_;
}

bool TestServer::LogContains(const std::string& text) {
  for (const auto& line : Log())
    if (line.find(text) != std::string::npos) return true;
  return false;
}

}  // namespace nettest
