#include "echo_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <thread>

namespace bench_server {
namespace {

bool ReadFully(int fd, char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::read(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteFully(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void PutLength(char* out, uint32_t value) {
  const uint32_t big = htonl(value);
  std::memcpy(out, &big, 4);
}

uint32_t GetLength(const char* in) {
  uint32_t big;
  std::memcpy(&big, in, 4);
  return ntohl(big);
}

void NoDelay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// A request is [length][answer size][filler]; the answer is [length][filler].
void Serve(int fd) {
  NoDelay(fd);
  std::string request, answer;
  char header[4];
  while (ReadFully(fd, header, 4)) {
    request.resize(GetLength(header));
    if (request.size() < 4 || !ReadFully(fd, request.data(), request.size())) break;
    const uint32_t answerBytes = GetLength(request.data());
    answer.assign(answerBytes, 'a');
    PutLength(answer.data(), answerBytes - 4);
    if (!WriteFully(fd, answer.data(), answer.size())) break;
  }
  ::close(fd);
}

}  // namespace

EchoPeer::EchoPeer() {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener, 128) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("echo peer: cannot listen");
  }
  port_ = ntohs(address.sin_port);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("echo peer: cannot fork");
  if (pid_ == 0) {
    while (true) {
      const int fd = ::accept(listener, nullptr, nullptr);
      if (fd < 0) _exit(0);
      std::thread(Serve, fd).detach();
    }
  }
  ::close(listener);
}

EchoPeer::~EchoPeer() {
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

EchoClient::EchoClient(uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    throw std::runtime_error("echo client: cannot connect");
  }
  NoDelay(fd_);
}

EchoClient::~EchoClient() {
  ::close(fd_);
}

void EchoClient::RoundTrip(size_t requestBytes, size_t answerBytes) {
  request_.assign(std::max<size_t>(requestBytes, 8), 'r');
  PutLength(request_.data(), static_cast<uint32_t>(request_.size() - 4));
  PutLength(request_.data() + 4, static_cast<uint32_t>(answerBytes));
  answer_.resize(answerBytes);
  if (!WriteFully(fd_, request_.data(), request_.size()) ||
      !ReadFully(fd_, answer_.data(), answer_.size())) {
    throw std::runtime_error("echo client: lost the peer");
  }
}

}  // namespace bench_server
