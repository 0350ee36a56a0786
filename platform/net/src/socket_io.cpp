#include "socket_io.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/frame.h"

namespace net::detail {

namespace {

std::string ErrnoText(int error) {
  return std::strerror(error);
}

// Waits until fd is ready for events; raises TimeoutError when the deadline passes.
short WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) throw TimeoutError();
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
    if (n > 0) return p.revents;
    if (n < 0 && errno != EINTR) throw IoError("falha ao aguardar a rede: " + ErrnoText(errno));
  }
}

int TryConnect(const addrinfo& ai, Clock::time_point deadline, std::string& cause) {
  const int fd =
      ::socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
  if (fd < 0) {
    cause = ErrnoText(errno);
    return -1;
  }
  int error = 0;
  if (::connect(fd, ai.ai_addr, ai.ai_addrlen) < 0) {
    if (errno != EINPROGRESS) {
      error = errno;
    } else {
      try {
        WaitFor(fd, POLLOUT, deadline);
      } catch (...) {
        ::close(fd);
        throw;
      }
      socklen_t len = sizeof error;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) < 0) error = errno;
    }
  }
  if (error != 0) {
    cause = ErrnoText(error);
    ::close(fd);
    return -1;
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

}  // namespace

std::string TimeoutCause(std::chrono::milliseconds timeout) {
  const auto ms = timeout.count();
  if (ms % 1000 == 0) return "tempo de espera de " + std::to_string(ms / 1000) + " s esgotado";
  return "tempo de espera de " + std::to_string(ms) + " ms esgotado";
}

int ConnectTcp(const std::string& host, int port, Clock::time_point deadline) {
  if (host.empty()) throw IoError("endereço do servidor não informado");
  if (port < 1 || port > 65535) throw IoError("porta inválida (" + std::to_string(port) + ")");
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* list = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
  if (rc != 0) throw IoError(std::string("endereço não encontrado: ") + ::gai_strerror(rc));
  std::string cause = "nenhum endereço";
  int fd = -1;
  try {
    for (const addrinfo* ai = list; ai != nullptr && fd < 0; ai = ai->ai_next)
      fd = TryConnect(*ai, deadline, cause);
  } catch (...) {
    ::freeaddrinfo(list);
    throw;
  }
  ::freeaddrinfo(list);
  if (fd < 0) throw IoError("não foi possível conectar: " + cause);
  return fd;
}

void SendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitFor(fd, POLLOUT, deadline);
    } else if (n < 0 && errno != EINTR) {
      throw IoError("conexão perdida ao enviar: " + ErrnoText(errno));
    }
  }
}

std::string ReadFrame(int fd, FrameBuffer& buffer, Clock::time_point deadline) {
  std::string payload;
  char chunk[64 * 1024];
  while (!buffer.Next(payload)) {
    WaitFor(fd, POLLIN, deadline);
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n > 0) {
      buffer.Append(chunk, static_cast<size_t>(n));
    } else if (n == 0) {
      throw IoError("conexão encerrada pelo servidor");
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      throw IoError("conexão perdida: " + ErrnoText(errno));
    }
  }
  return payload;
}

}  // namespace net::detail
