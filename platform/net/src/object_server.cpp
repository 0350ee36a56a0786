#include "net/object_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "net/errors.h"
#include "net/messages.h"
#include "printable.h"
#include "signal_target.h"
#include "worker_pool.h"

namespace net {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// epoll keys below kFirstConnection name the server's own descriptors.
constexpr uint64_t kListenerKey = 1;
constexpr uint64_t kWakeKey = 2;
constexpr uint64_t kStopKey = 3;
constexpr uint64_t kFirstConnection = 16;

// After a refusal that ends a connection, its remaining input is read and dropped for a short
// while, so that closing does not reset the link before the client has read the refusal.
constexpr auto kLingerTime = 1s;
// Once stopping and no call is in flight, answers still unsent get this long to go out; so does
// a last refusal to a client that does not read it.
constexpr auto kDrainTime = 5s;

std::string Errno(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

std::string PeerName(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) < 0) return "?";
  char text[INET6_ADDRSTRLEN] = "?";
  uint16_t port = 0;
  if (address.ss_family == AF_INET) {
    const auto& a = reinterpret_cast<const sockaddr_in&>(address);
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    port = ntohs(a.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
    ::inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
    port = ntohs(a.sin6_port);
  }
  return std::string(text) + ":" + std::to_string(port);
}

// Compares in time independent of where equally long texts differ.
bool SameToken(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

namespace detail {

enum class LinkState {
  Hello,      // waiting for the hello
  Ready,      // bound to an object, waiting for a call
  Busy,       // a call is on a worker; further input is buffered but not yet parsed
  Closing,    // sending a last refusal, then lingering
  Lingering,  // write side shut; dropping input until the peer closes or time runs out
  Broken      // failed to write; closed at the I/O thread's next loop turn
};

// One client connection. The I/O thread owns the map of them; a worker running a call holds the
// connection too, and answers on it when the call ends. Everything below is read and changed
// only under `mutex`. Once closed, fd is -1 and the connection is out of the map, and an answer
// for it is dropped.
struct Link : std::enable_shared_from_this<Link> {
  std::mutex mutex;
  uint64_t key;
  int fd;
  std::string peer;
  FrameBuffer input;
  std::string output;
  size_t outputSent = 0;
  LinkState state = LinkState::Hello;
  size_t object = 0;
  uint32_t events = 0;  // current epoll interest
  Clock::time_point lingerUntil;

  Link(uint64_t k, int f, std::string p, uint32_t maxFrame)
      : key(k), fd(f), peer(std::move(p)), input(maxFrame) {}
};

}  // namespace detail

struct ObjectServer::Impl {
  using State = detail::LinkState;
  using Connection = detail::Link;

  explicit Impl(ObjectServerOptions o) : options(std::move(o)), log(options.logger) {}

  ObjectServerOptions options;
  detail::ServerLog log;
  detail::Registry registry;
  std::unique_ptr<detail::WorkerPool> pool;

  int listenFd = -1;
  int epollFd = -1;
  int stopFd = -1;
  int wakeFd = -1;  // signalled by a worker that left a connection for the I/O thread to close
  std::thread ioThread;
  std::mutex waitMutex;
  bool started = false;

  std::unordered_map<uint64_t, std::shared_ptr<Connection>> connections;  // I/O thread only
  uint64_t nextKey = kFirstConnection;
  std::atomic<size_t> awaitingClose = 0;  // connections Closing, Lingering or Broken
  std::atomic<bool> stopping = false;
  Clock::time_point drainUntil{};
  Clock::time_point listenerPausedUntil{};

  uint16_t Listen();
  void Watch(int fd, uint64_t key, uint32_t events);
  void CloseDescriptors();
  void Loop();
  bool Finished();
  void Accept();
  // On the worker that ran the call: sends its answer and readies the connection for the next.
  void Deliver(detail::Outcome& outcome);
  void OnReadable(Connection& c);
  void ProcessFrames(Connection& c);
  void OnHello(Connection& c, const std::string& payload);
  void Send(Connection& c, std::string frame);
  void Flush(Connection& c);
  void RefuseAndClose(Connection& c, const char* code, const std::string& message);
  void UpdateInterest(Connection& c);
  void Drop(Connection& c, const std::string& why);
  void Tick();
  static bool IsClosing(State s) {
    return s == State::Closing || s == State::Lingering || s == State::Broken;
  }
  // Moves c into one of the closing states; it is closed at the latest after grace.
  void EnterClosingState(Connection& c, State state, Clock::duration grace);
};

uint16_t ObjectServer::Impl::Listen() {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options.port);
  if (::inet_pton(AF_INET, options.address.c_str(), &address.sin_addr) != 1)
    throw rtl::Exception("Endereço de escuta inválido: " + options.address);
  listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listenFd < 0) throw rtl::Exception(Errno("Falha ao criar o socket de escuta"));
  const int one = 1;
  ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0)
    throw rtl::Exception(Errno(
        ("Falha ao escutar em " + options.address + ":" + std::to_string(options.port)).c_str()));
  if (::listen(listenFd, SOMAXCONN) < 0) throw rtl::Exception(Errno("Falha ao escutar"));
  socklen_t length = sizeof address;
  ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

void ObjectServer::Impl::Watch(int fd, uint64_t key, uint32_t events) {
  epoll_event event{};
  event.events = events;
  event.data.u64 = key;
  if (::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) < 0)
    throw rtl::Exception(Errno("Falha ao vigiar um descritor"));
}

void ObjectServer::Impl::CloseDescriptors() {
  for (int* fd : {&listenFd, &epollFd, &stopFd, &wakeFd}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void ObjectServer::Impl::Loop() {
  epoll_event events[128];
  for (;;) {
    const bool timed = stopping || awaitingClose > 0 || listenerPausedUntil != Clock::time_point{};
    const int n = ::epoll_wait(epollFd, events, 128, timed ? 100 : -1);
    if (n < 0 && errno != EINTR) {
      log.Line(Errno("Falha na espera de eventos; servidor parando"));
      return;
    }
    for (int i = 0; i < n; ++i) {
      const uint64_t key = events[i].data.u64;
      if (key == kListenerKey) {
        Accept();
      } else if (key == kWakeKey) {
        uint64_t count;
        [[maybe_unused]] auto ignored = ::read(wakeFd, &count, sizeof count);
      } else if (key == kStopKey) {
        uint64_t count;
        [[maybe_unused]] auto ignored = ::read(stopFd, &count, sizeof count);
        if (!stopping) {
          stopping = true;
          log.Line("Parando o servidor: aguardando as chamadas em andamento");
          ::epoll_ctl(epollFd, EPOLL_CTL_DEL, listenFd, nullptr);
          ::close(listenFd);
          listenFd = -1;
        }
      } else {
        const auto it = connections.find(key);
        if (it == connections.end()) continue;
        const std::shared_ptr<Connection> held = it->second;  // outlives its Drop below
        Connection& c = *held;
        std::lock_guard lock(c.mutex);
        if (events[i].events & EPOLLERR) {
          Drop(c, "erro na conexão");
          continue;
        }
        if (events[i].events & EPOLLOUT) Flush(c);
        if (c.fd >= 0 && (events[i].events & (EPOLLIN | EPOLLHUP))) OnReadable(c);
      }
    }
    Tick();
    if (Finished()) return;
  }
}

// Runs once per loop turn: lingering connections whose time is up are closed, a paused
// listener resumes, and when stopping every idle connection is closed.
void ObjectServer::Impl::Tick() {
  const auto now = Clock::now();
  if (listenerPausedUntil != Clock::time_point{} && now >= listenerPausedUntil && listenFd >= 0) {
    listenerPausedUntil = {};
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kListenerKey;
    ::epoll_ctl(epollFd, EPOLL_CTL_MOD, listenFd, &event);
  }
  if (!stopping && awaitingClose == 0) return;
  std::vector<std::shared_ptr<Connection>> all;
  all.reserve(connections.size());
  for (const auto& [key, c] : connections) all.push_back(c);
  for (const auto& c : all) {
    std::lock_guard lock(c->mutex);
    const bool expired = IsClosing(c->state) && now >= c->lingerUntil;
    const bool idle = stopping && (c->state == State::Hello || c->state == State::Ready) &&
                      c->outputSent == c->output.size();
    if (!expired && !idle) continue;
    Drop(*c, c->state == State::Broken      ? "erro de escrita"
             : c->state == State::Lingering ? "encerrada após recusa"
             : c->state == State::Closing   ? "recusa não lida pelo cliente"
                                            : "servidor parando");
  }
}

bool ObjectServer::Impl::Finished() {
  if (!stopping) return false;
  for (const auto& [key, c] : connections) {
    std::lock_guard lock(c->mutex);
    if (c->state == State::Busy) return false;  // a call in flight always gets to finish
  }
  if (connections.empty()) return true;
  if (drainUntil == Clock::time_point{}) drainUntil = Clock::now() + kDrainTime;
  return Clock::now() >= drainUntil;
}

void ObjectServer::Impl::Accept() {
  for (;;) {
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: stop listening for a moment instead of spinning on the backlog.
        log.Line(Errno("Conexão não aceita"));
        listenerPausedUntil = Clock::now() + 100ms;
        epoll_event event{};
        event.data.u64 = kListenerKey;
        ::epoll_ctl(epollFd, EPOLL_CTL_MOD, listenFd, &event);
      }
      return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const uint64_t key = nextKey++;
    auto c = std::make_shared<Connection>(key, fd, PeerName(fd), options.maxFrame);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = key;
    if (::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) < 0) {
      log.Line(Errno("Conexão não vigiada"));
      ::close(fd);
      continue;
    }
    c->events = EPOLLIN;
    log.Line("conexão #" + std::to_string(key) + " aberta por " + c->peer);
    connections.emplace(key, std::move(c));
  }
}

void ObjectServer::Impl::Deliver(detail::Outcome& outcome) {
  Connection& c = *outcome.link;
  bool closing;
  {
    std::lock_guard lock(c.mutex);
    if (c.fd < 0) return;  // the client left while its call ran
    Send(c, std::move(outcome.frame));
    if (c.state != State::Broken) {
      if (outcome.closeAfter) {
        EnterClosingState(c, State::Closing, kDrainTime);
        Flush(c);
      } else {
        c.state = State::Ready;
        UpdateInterest(c);
        ProcessFrames(c);  // a frame that arrived while the call ran
      }
    }
    closing = IsClosing(c.state);
  }
  // Closing connections are timed by the I/O thread, which may be waiting without a timeout.
  if (closing || stopping) {
    const uint64_t one = 1;
    [[maybe_unused]] auto ignored = ::write(wakeFd, &one, sizeof one);
  }
}

void ObjectServer::Impl::OnReadable(Connection& c) {
  char buffer[64 * 1024];
  const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    Drop(c, Errno("erro de leitura"));
    return;
  }
  if (n == 0) {
    if (c.state == State::Lingering)
      Drop(c, "encerrada após recusa");
    else
      Drop(c, c.input.HasPartial() ? "encerrada pelo cliente no meio de um quadro"
                                   : "encerrada pelo cliente");
    return;
  }
  if (IsClosing(c.state)) return;  // dropped unread
  c.input.Append(buffer, static_cast<size_t>(n));
  if (c.state == State::Busy) {
    UpdateInterest(c);  // a client that pipelines too much waits for the answer
    return;
  }
  ProcessFrames(c);
}

void ObjectServer::Impl::ProcessFrames(Connection& c) {
  std::string payload;
  while (c.state == State::Hello || c.state == State::Ready) {
    if (stopping) return;  // no new call once stopping; the connection closes when idle
    try {
      if (!c.input.Next(payload)) return;
    } catch (const ProtocolError& e) {
      RefuseAndClose(c, kProtocol, e.Message());
      return;
    }
    if (c.state == State::Hello) {
      OnHello(c, payload);
      continue;
    }
    c.state = State::Busy;
    UpdateInterest(c);
    pool->Submit(detail::Job{c.shared_from_this(), c.key, c.object, std::move(payload)});
    return;
  }
}

void ObjectServer::Impl::OnHello(Connection& c, const std::string& payload) {
  HelloMessage hello;
  try {
    hello = DecodeHello(payload);
  } catch (const ProtocolError& e) {
    RefuseAndClose(c, kProtocol, e.Message());
    return;
  }
  if (hello.version != kProtocolVersion) {
    RefuseAndClose(c, kProtocol,
                   "Versão de protocolo não suportada: " + std::to_string(hello.version));
    return;
  }
  size_t index = 0;
  while (index < registry.size() && registry[index].first != hello.serverName) ++index;
  if (index == registry.size()) {
    RefuseAndClose(c, kNoSuchObject, "Objeto desconhecido: " + detail::Printable(hello.serverName));
    return;
  }
  if (options.accessToken && !(hello.token && SameToken(*hello.token, *options.accessToken))) {
    RefuseAndClose(c, kBadToken, "Token de acesso inválido");
    return;
  }
  c.object = index;
  c.state = State::Ready;
  log.Line("conexão #" + std::to_string(c.key) + " ligada ao objeto " + hello.serverName);
  std::string frame;
  AppendFrame(frame, EncodeWelcome(hello.serverName));
  Send(c, std::move(frame));
}

void ObjectServer::Impl::Send(Connection& c, std::string frame) {
  if (c.outputSent == c.output.size()) {
    c.output = std::move(frame);  // a large answer is not copied again
    c.outputSent = 0;
  } else {
    c.output.append(frame);
  }
  Flush(c);
}

void ObjectServer::Impl::Flush(Connection& c) {
  while (c.outputSent < c.output.size()) {
    const ssize_t n = ::send(c.fd, c.output.data() + c.outputSent, c.output.size() - c.outputSent,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.outputSent += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else if (n < 0 && errno != EINTR) {
      // Not closed here: callers up the stack still hold c.
      EnterClosingState(c, State::Broken, Clock::duration::zero());
      break;
    }
  }
  if (c.outputSent == c.output.size() && c.state == State::Closing) {
    ::shutdown(c.fd, SHUT_WR);
    EnterClosingState(c, State::Lingering, kLingerTime);
  }
  UpdateInterest(c);
}

void ObjectServer::Impl::RefuseAndClose(Connection& c, const char* code,
                                        const std::string& message) {
  log.Line("conexão #" + std::to_string(c.key) + " (" + c.peer + ") recusada (" + code +
           "): " + message);
  std::string frame;
  AppendFrame(frame, EncodeRefused(std::nullopt, code, message));
  EnterClosingState(c, State::Closing, kDrainTime);
  Send(c, std::move(frame));
}

void ObjectServer::Impl::EnterClosingState(Connection& c, State state, Clock::duration grace) {
  if (!IsClosing(c.state)) ++awaitingClose;
  c.state = state;
  c.lingerUntil = Clock::now() + grace;
}

void ObjectServer::Impl::UpdateInterest(Connection& c) {
  uint32_t wanted = 0;
  if (c.state == State::Broken) {
    wanted = 0;
  } else {
    // Reading stays on while a call runs (saving two epoll_ctl calls per call), unless the
    // client has already sent a whole frame's worth ahead. Closing/Lingering read to drop input.
    if (c.state != State::Busy || c.input.Buffered() <= options.maxFrame + kFrameHeaderSize)
      wanted |= EPOLLIN;
    if (c.outputSent < c.output.size()) wanted |= EPOLLOUT;
  }
  if (wanted == c.events) return;
  epoll_event event{};
  event.events = wanted;
  event.data.u64 = c.key;
  ::epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &event);
  c.events = wanted;
}

void ObjectServer::Impl::Drop(Connection& c, const std::string& why) {
  log.Line("conexão #" + std::to_string(c.key) + " (" + c.peer + ") fechada: " + why);
  ::epoll_ctl(epollFd, EPOLL_CTL_DEL, c.fd, nullptr);
  ::close(c.fd);
  c.fd = -1;
  if (IsClosing(c.state)) --awaitingClose;
  connections.erase(c.key);  // only holders of a shared_ptr may still touch c
}

ObjectServer::ObjectServer(ObjectServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

ObjectServer::~ObjectServer() {
  detail::ForgetSignalTarget(this);
  Stop();
}

void ObjectServer::Register(std::string name, ServerObjectFactory factory) {
  if (impl_->started) throw rtl::Exception("Objeto registrado com o servidor já iniciado");
  impl_->registry.emplace_back(std::move(name), std::move(factory));
}

void ObjectServer::Start() {
  Impl& d = *impl_;
  if (d.started) throw rtl::Exception("Servidor já iniciado");
  d.stopping = false;
  d.drainUntil = {};
  try {
    port_ = d.Listen();
    d.epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    d.stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    d.wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (d.epollFd < 0 || d.stopFd < 0 || d.wakeFd < 0)
      throw rtl::Exception(Errno("Falha ao preparar o servidor"));
    d.pool = std::make_unique<detail::WorkerPool>(
        d.registry, d.log, [&d](detail::Outcome& outcome) { d.Deliver(outcome); });
    d.pool->Start(d.options.workers);
    d.Watch(d.listenFd, kListenerKey, EPOLLIN);
    d.Watch(d.wakeFd, kWakeKey, EPOLLIN);
    d.Watch(d.stopFd, kStopKey, EPOLLIN);
  } catch (...) {
    d.pool.reset();
    d.CloseDescriptors();
    throw;
  }
  d.started = true;
  d.log.Line("Servidor escutando em " + d.options.address + ":" + std::to_string(port_));
  d.ioThread = std::thread([&d] {
    d.Loop();
    while (!d.connections.empty()) {
      const std::shared_ptr<detail::Link> c = d.connections.begin()->second;
      std::lock_guard lock(c->mutex);
      d.Drop(*c, "servidor parado");
    }
  });
}

void ObjectServer::RequestStop() {
  const int fd = impl_->stopFd;
  if (fd < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] auto ignored = ::write(fd, &one, sizeof one);
}

void ObjectServer::Wait() {
  Impl& d = *impl_;
  std::lock_guard lock(d.waitMutex);
  if (!d.started) return;
  if (d.ioThread.joinable()) d.ioThread.join();
  d.pool.reset();  // lets queued calls end, then destroys each worker's objects on its thread
  d.CloseDescriptors();
  d.started = false;
  d.log.Line("Servidor parado");
}

void ObjectServer::Stop() {
  RequestStop();
  Wait();
}

}  // namespace net
