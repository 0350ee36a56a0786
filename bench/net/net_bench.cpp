// End-to-end figures of the remote-call layer: calls per second and latency of an echo method
// through TNetConnection and ObjectServer, from 1 and from 64 client connections, against a
// baseline measured in the same run: a raw loopback round trip of the same frame over a plain
// socket answered by a plain thread.
//
// Usage: net_bench [seconds per figure, default 2]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/connection.h"
#include "net/frame.h"
#include "net/messages.h"
#include "net/object_server.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double callsPerSecond;
  double p50us;
  double p99us;
};

Figures Summarize(std::vector<double>& latenciesUs, double seconds) {
  std::sort(latenciesUs.begin(), latenciesUs.end());
  auto at = [&](double q) {
    return latenciesUs.empty() ? 0.0
                               : latenciesUs[static_cast<size_t>(q * (latenciesUs.size() - 1))];
  };
  return {latenciesUs.size() / seconds, at(0.50), at(0.99)};
}

class EchoObject : public net::ServerObject {
 public:
  EchoObject() {
    Expose("Echo", {net::ParamType::Any()}, [](const rtl::VariantArray& args) { return args[0]; });
  }
};

// Runs `clients` threads, each calling `call` in a loop for `seconds`; gathers every latency.
template <typename MakeCaller>
Figures Drive(int clients, double seconds, MakeCaller makeCaller) {
  std::vector<std::vector<double>> perThread(clients);
  std::atomic<bool> go{false}, stop{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i)
    threads.emplace_back([&, i] {
      auto call = makeCaller();
      while (!go) std::this_thread::yield();
      while (!stop) {
        const auto start = Clock::now();
        call();
        perThread[i].push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      }
    });
  go = true;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop = true;
  for (auto& t : threads) t.join();
  std::vector<double> all;
  for (auto& v : perThread) all.insert(all.end(), v.begin(), v.end());
  return Summarize(all, seconds);
}

int ConnectLoopback(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) std::abort();
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

bool ReadAll(int fd, char* out, size_t size) {
  while (size > 0) {
    const ssize_t n = ::recv(fd, out, size, 0);
    if (n <= 0) return false;
    out += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The baseline: one thread per connection echoes each frame back as it is.
class RawEchoServer {
 public:
  RawEchoServer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 128);
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] {
      for (;;) {
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) return;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        echoers_.emplace_back([fd] {
          std::string buffer;
          unsigned char header[4];
          while (ReadAll(fd, reinterpret_cast<char*>(header), 4)) {
            const uint32_t n = net::ParseFrameHeader(header, net::kDefaultMaxFrame);
            buffer.resize(4 + n);
            std::copy(header, header + 4, buffer.begin());
            if (!ReadAll(fd, buffer.data() + 4, n)) break;
            if (::send(fd, buffer.data(), buffer.size(), MSG_NOSIGNAL) < 0) break;
          }
          ::close(fd);
        });
      }
    });
  }
  ~RawEchoServer() {
    ::shutdown(listenFd_, SHUT_RDWR);
    ::close(listenFd_);
    acceptor_.join();
    for (auto& t : echoers_) t.join();
  }
  uint16_t Port() const { return port_; }

 private:
  int listenFd_;
  uint16_t port_;
  std::thread acceptor_;
  std::vector<std::thread> echoers_;
};

void Print(const char* name, const Figures& f, const Figures& baseline) {
  std::printf("%-34s %10.0f calls/s  p50 %7.1f us  p99 %7.1f us  throughput x%.2f of raw\n", name,
              f.callsPerSecond, f.p50us, f.p99us, f.callsPerSecond / baseline.callsPerSecond);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const std::string request =
      net::EncodeCall(1, "Echo", {rtl::Variant(rtl::VariantArray{"0000000001", 10.5})});

  Figures raw1, raw64;
  {
    RawEchoServer raw;
    auto rawCaller = [&] {
      // The socket closes with the last copy of the caller, which lets its echoer end.
      auto fd = std::shared_ptr<int>(new int(ConnectLoopback(raw.Port())), [](int* p) {
        ::close(*p);
        delete p;
      });
      return [fd, &request] {
        std::string frame;
        net::AppendFrame(frame, request);
        ::send(*fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        ReadAll(*fd, frame.data(), frame.size());
      };
    };
    raw1 = Drive(1, seconds, rawCaller);
    raw64 = Drive(64, seconds, rawCaller);
  }

  net::ObjectServerOptions options;
  options.logger = [](const std::string&) {};
  net::ObjectServer server(options);
  server.Register("bench.echo", [] { return std::make_unique<EchoObject>(); });
  server.Start();
  auto netCaller = [&] {
    auto connection = std::make_shared<net::TNetConnection>();
    connection->SetServerName("bench.echo");
    connection->SetPort(server.Port());
    connection->Open();
    return [connection] {
      connection->AppServer().Call("Echo", {rtl::Variant(rtl::VariantArray{"0000000001", 10.5})});
    };
  };
  const Figures call1 = Drive(1, seconds, netCaller);
  const Figures call64 = Drive(64, seconds, netCaller);
  server.Stop();

  Print("raw loopback, 1 connection", raw1, raw1);
  Print("remote call, 1 connection", call1, raw1);
  Print("raw loopback, 64 connections", raw64, raw64);
  Print("remote call, 64 connections", call64, raw64);
  return 0;
}
