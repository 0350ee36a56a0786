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
constexpr uint64_t kQuitKey = 4;
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
  Busy,       // a worker runs a call of it; further input waits in the socket, unread
  Closing,    // sending a last refusal, then lingering
  Lingering,  // write side shut; dropping input until the peer closes or time runs out
  Broken      // failed to write; closed at the I/O thread's next loop turn
};

// One client connection. Its descriptor is armed one-shot in the workers' epoll set, so at most
// one worker handles it at a time; that worker re-arms it when done. Everything below is read
// and changed only under `mutex`, which the worker releases while a call runs. Once closed, fd
// is -1 and the connection is out of the map.
struct Link {
  std::mutex mutex;
  uint64_t key;
  int fd;
  std::string peer;
  FrameBuffer input;
  std::string output;
  size_t outputSent = 0;
  LinkState state = LinkState::Hello;
  size_t object = 0;
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
  int controlEpoll = -1;  // the listener thread's: listener, stop and wake descriptors
  int linkEpoll = -1;     // the workers': every connection (one-shot) and the quit descriptor
  int stopFd = -1;
  int wakeFd = -1;  // tells the listener thread that a connection began closing, or a stop moved
  int quitFd = -1;  // once signalled, every worker returns
  std::thread listenerThread;
  std::mutex waitMutex;
  bool started = false;

  std::mutex connectionsMutex;  // taken after a connection's mutex, never before
  std::unordered_map<uint64_t, std::shared_ptr<Connection>> connections;
  uint64_t nextKey = kFirstConnection;    // listener thread only
  std::atomic<size_t> awaitingClose = 0;  // connections Closing, Lingering or Broken
  std::atomic<bool> stopping = false;
  Clock::time_point drainUntil{};           // listener thread only
  Clock::time_point listenerPausedUntil{};  // listener thread only

  uint16_t Listen();
  void Watch(int epoll, int fd, uint64_t key, uint32_t events);
  void CloseDescriptors();
  std::shared_ptr<Connection> Find(uint64_t key);
  std::vector<std::shared_ptr<Connection>> Snapshot();

  // The listener thread: accepts, times closing connections, and decides when a stop is done.
  void Loop();
  void Accept();
  void Tick();
  bool Finished();

  // A worker: waits for a connection with something to do and does it, calls included.
  void Serve(detail::CallRunner& runner);
  void OnEvent(Connection& c, uint32_t events, detail::CallRunner& runner);
  void OnReadable(Connection& c);
  // Answers a buffered hello; true with the payload of the next buffered call, which the
  // connection is then Busy with.
  bool NextCall(Connection& c, std::string& payload);
  void OnHello(Connection& c, const std::string& payload);
  void Deliver(Connection& c, detail::CallOutcome& outcome);
  void Rearm(Connection& c);
  void Wake();

  void Send(Connection& c, std::string frame);
  void Flush(Connection& c);
  void RefuseAndClose(Connection& c, const char* code, const std::string& message);
  void Drop(Connection& c, const std::string& why);
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

void ObjectServer::Impl::Watch(int epoll, int fd, uint64_t key, uint32_t events) {
  epoll_event event{};
  event.events = events;
  event.data.u64 = key;
  if (::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) < 0)
    throw rtl::Exception(Errno("Falha ao vigiar um descritor"));
}

void ObjectServer::Impl::CloseDescriptors() {
  for (int* fd : {&listenFd, &controlEpoll, &linkEpoll, &stopFd, &wakeFd, &quitFd}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

std::shared_ptr<detail::Link> ObjectServer::Impl::Find(uint64_t key) {
  std::lock_guard lock(connectionsMutex);
  const auto it = connections.find(key);
  return it == connections.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<detail::Link>> ObjectServer::Impl::Snapshot() {
  std::lock_guard lock(connectionsMutex);
  std::vector<std::shared_ptr<Connection>> all;
  all.reserve(connections.size());
  for (const auto& [key, c] : connections) all.push_back(c);
  return all;
}

void ObjectServer::Impl::Loop() {
  epoll_event events[8];
  for (;;) {
    const bool timed = stopping || awaitingClose > 0 || listenerPausedUntil != Clock::time_point{};
    const int n = ::epoll_wait(controlEpoll, events, 8, timed ? 100 : -1);
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
          ::epoll_ctl(controlEpoll, EPOLL_CTL_DEL, listenFd, nullptr);
          ::close(listenFd);
          listenFd = -1;
        }
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
    ::epoll_ctl(controlEpoll, EPOLL_CTL_MOD, listenFd, &event);
  }
  if (!stopping && awaitingClose == 0) return;
  for (const auto& c : Snapshot()) {
    std::lock_guard lock(c->mutex);
    if (c->fd < 0) continue;
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
  const auto all = Snapshot();
  for (const auto& c : all) {
    std::lock_guard lock(c->mutex);
    if (c->state == State::Busy) return false;  // a call in flight always gets to finish
  }
  if (all.empty()) return true;
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
        ::epoll_ctl(controlEpoll, EPOLL_CTL_MOD, listenFd, &event);
      }
      return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const uint64_t key = nextKey++;
    auto c = std::make_shared<Connection>(key, fd, PeerName(fd), options.maxFrame);
    log.Line("conexão #" + std::to_string(key) + " aberta por " + c->peer);
    {
      std::lock_guard lock(connectionsMutex);
      connections.emplace(key, c);  // before a worker can hear of it
    }
    epoll_event event{};
    event.events = EPOLLIN | EPOLLONESHOT;
    event.data.u64 = key;
    std::lock_guard lock(c->mutex);
    if (::epoll_ctl(linkEpoll, EPOLL_CTL_ADD, fd, &event) < 0)
      Drop(*c, Errno("conexão não vigiada"));
  }
}

void ObjectServer::Impl::Serve(detail::CallRunner& runner) {
  epoll_event event{};
  for (;;) {
    const int n = ::epoll_wait(linkEpoll, &event, 1, -1);
    if (n < 0 && errno != EINTR) {
      log.Line(Errno("Falha na espera de eventos de um trabalhador"));
      return;
    }
    if (n <= 0) continue;
    if (event.data.u64 == kQuitKey) return;  // left signalled, so every worker sees it
    if (const std::shared_ptr<Connection> c = Find(event.data.u64))
      OnEvent(*c, event.events, runner);
  }
}

// The connection is disarmed until Rearm, so no other worker touches it meanwhile; the
// listener thread may still close it (only when it is not Busy).
void ObjectServer::Impl::OnEvent(Connection& c, uint32_t events, detail::CallRunner& runner) {
  std::unique_lock lock(c.mutex);
  if (c.fd < 0) return;
  const bool wasClosing = IsClosing(c.state);
  if (events & EPOLLERR) {
    Drop(c, "erro na conexão");
  } else {
    if (events & EPOLLOUT) Flush(c);
    if (c.state != State::Broken && (events & (EPOLLIN | EPOLLHUP))) OnReadable(c);
    std::string payload;
    while (c.fd >= 0 && NextCall(c, payload)) {
      lock.unlock();
      detail::CallOutcome outcome = runner.Run(c.object, c.key, payload);
      lock.lock();
      Deliver(c, outcome);
    }
    if (c.fd >= 0) Rearm(c);
  }
  // Closing connections are timed by the listener thread, which may be waiting without a
  // timeout; when stopping, it looks again for calls in flight and idle connections.
  const bool wake = stopping || (c.fd >= 0 && !wasClosing && IsClosing(c.state));
  lock.unlock();
  if (wake) Wake();
}

void ObjectServer::Impl::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] auto ignored = ::write(wakeFd, &one, sizeof one);
}

void ObjectServer::Impl::Deliver(Connection& c, detail::CallOutcome& outcome) {
  Send(c, std::move(outcome.frame));
  if (c.state == State::Broken) return;
  if (outcome.closeAfter) {
    EnterClosingState(c, State::Closing, kDrainTime);
    Flush(c);
  } else {
    c.state = State::Ready;
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
}

bool ObjectServer::Impl::NextCall(Connection& c, std::string& payload) {
  while (c.state == State::Hello || c.state == State::Ready) {
    if (stopping) return false;  // no new call once stopping; the connection closes when idle
    try {
      if (!c.input.Next(payload)) return false;
    } catch (const ProtocolError& e) {
      RefuseAndClose(c, kProtocol, e.Message());
      return false;
    }
    if (c.state == State::Hello) {
      OnHello(c, payload);
      continue;
    }
    c.state = State::Busy;
    return true;
  }
  return false;
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
      // Not closed here: left disarmed for the listener thread to close.
      EnterClosingState(c, State::Broken, Clock::duration::zero());
      break;
    }
  }
  if (c.outputSent == c.output.size() && c.state == State::Closing) {
    ::shutdown(c.fd, SHUT_WR);
    EnterClosingState(c, State::Lingering, kLingerTime);
  }
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

void ObjectServer::Impl::Rearm(Connection& c) {
  if (c.state == State::Broken) return;  // nothing more to read or write
  // Closing and Lingering connections read to drop input. A client that has sent a whole
  // frame's worth ahead (only possible while stopping) is not read further.
  uint32_t wanted = EPOLLONESHOT;
  if (c.input.Buffered() <= options.maxFrame + kFrameHeaderSize) wanted |= EPOLLIN;
  if (c.outputSent < c.output.size()) wanted |= EPOLLOUT;
  epoll_event event{};
  event.events = wanted;
  event.data.u64 = c.key;
  ::epoll_ctl(linkEpoll, EPOLL_CTL_MOD, c.fd, &event);
}

void ObjectServer::Impl::Drop(Connection& c, const std::string& why) {
  log.Line("conexão #" + std::to_string(c.key) + " (" + c.peer + ") fechada: " + why);
  ::epoll_ctl(linkEpoll, EPOLL_CTL_DEL, c.fd, nullptr);
  ::close(c.fd);
  c.fd = -1;
  if (IsClosing(c.state)) --awaitingClose;
  std::lock_guard lock(connectionsMutex);
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
    d.controlEpoll = ::epoll_create1(EPOLL_CLOEXEC);
    d.linkEpoll = ::epoll_create1(EPOLL_CLOEXEC);
    d.stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    d.wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    d.quitFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (d.controlEpoll < 0 || d.linkEpoll < 0 || d.stopFd < 0 || d.wakeFd < 0 || d.quitFd < 0)
      throw rtl::Exception(Errno("Falha ao preparar o servidor"));
    d.Watch(d.controlEpoll, d.listenFd, kListenerKey, EPOLLIN);
    d.Watch(d.controlEpoll, d.wakeFd, kWakeKey, EPOLLIN);
    d.Watch(d.controlEpoll, d.stopFd, kStopKey, EPOLLIN);
    d.Watch(d.linkEpoll, d.quitFd, kQuitKey, EPOLLIN);
    d.pool = std::make_unique<detail::WorkerPool>(d.registry, d.log);
    d.pool->Start(d.options.workers, [&d](detail::CallRunner& runner) { d.Serve(runner); });
  } catch (...) {
    d.pool.reset();
    d.CloseDescriptors();
    throw;
  }
  d.started = true;
  d.log.Line("Servidor escutando em " + d.options.address + ":" + std::to_string(port_));
  d.listenerThread = std::thread([&d] {
    d.Loop();
    for (const auto& c : d.Snapshot()) {
      std::lock_guard lock(c->mutex);
      if (c->fd >= 0) d.Drop(*c, "servidor parado");
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
  if (d.listenerThread.joinable()) d.listenerThread.join();
  const uint64_t one = 1;
  [[maybe_unused]] auto ignored = ::write(d.quitFd, &one, sizeof one);
  d.pool.reset();  // joins the workers, each destroying its objects on its own thread
  d.CloseDescriptors();
  d.started = false;
  d.log.Line("Servidor parado");
}

void ObjectServer::Stop() {
  RequestStop();
  Wait();
}

}  // namespace net
