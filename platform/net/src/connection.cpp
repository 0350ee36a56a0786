#include "net/connection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/errors.h"
#include "net/messages.h"
#include "socket_io.h"

namespace net {

using detail::Clock;

rtl::Variant AppServerDispatch::Call(const std::string& method,
                                     const rtl::VariantArray& args) const {
  return connection_.Invoke(method, args);
}

TNetConnection::TNetConnection() = default;

TNetConnection::~TNetConnection() {
  CloseLink();
}

std::string TNetConnection::Where() const {
  return "Servidor de aplicação " + host_ + ":" + std::to_string(port_);
}

void TNetConnection::SetConnected(bool value) {
  if (!value) {
    CloseLink();
    connected_ = false;
    return;
  }
  if (connected_) return;
  try {
    OpenLink();
  } catch (const ENetError& e) {
    if (throwException_) throw;
    lastError_ = e.Message();
    return;
  }
  connected_ = true;
  lastError_.clear();
}

void TNetConnection::OpenLink() {
  CloseLink();
  // Runs outside the handling below: whatever the handler raises passes out as it is.
  if (beforeConnect_) beforeConnect_(*this);
  const auto deadline = Clock::now() + connectTimeout_;
  try {
    fd_ = detail::ConnectTcp(host_, port_, deadline);
    std::string frame;
    AppendFrame(frame, EncodeHello(HelloMessage{kProtocolVersion, serverName_, token_}));
    detail::SendAll(fd_, frame, deadline);
    const ServerMessage reply = DecodeServerMessage(detail::ReadFrame(fd_, input_, deadline));
    if (reply.kind == ServerMessage::Kind::Refused) {
      CloseLink();
      throw ERefused(Where() + " recusou a conexão ao objeto \"" + serverName_ +
                         "\": " + reply.message + " (" + reply.code + ")",
                     reply.code);
    }
    if (reply.kind != ServerMessage::Kind::Welcome)
      throw ProtocolError("resposta inesperada à apresentação");
  } catch (const detail::TimeoutError&) {
    CloseLink();
    throw ENetError(Where() + ": " + detail::TimeoutCause(connectTimeout_) + " ao conectar");
  } catch (const detail::IoError& e) {
    CloseLink();
    throw ENetError(Where() + ": " + e.what());
  } catch (const ProtocolError& e) {
    CloseLink();
    throw ENetError(Where() + ": resposta inválida ao conectar: " + e.Message());
  }
}

void TNetConnection::CloseLink() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  input_ = FrameBuffer(maxFrame_);  // bytes of the old link must never be read as an answer
}

bool TNetConnection::LinkLooksAlive() const {
  if (fd_ < 0 || input_.Buffered() > 0) return false;  // leftovers: the link is out of step
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) == 0) return true;  // nothing pending: an idle, healthy link
  if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
  // Readable between calls means the peer closed, or sent something unasked; either way the
  // link can no longer carry a call.
  char byte;
  const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

void TNetConnection::FailCall(const std::string& method, const std::string& cause) {
  CloseLink();
  throw ENetError(Where() + ": a chamada de " + method + " falhou: " + cause);
}

rtl::Variant TNetConnection::Invoke(const std::string& method, const rtl::VariantArray& args) {
  if (!connected_)
    throw ENetError(Where() + ": sem conexão com o objeto \"" + serverName_ + "\"; a chamada de " +
                    method + " não foi feita");
  // Reopening is the only retry, and it happens before anything of this call is sent.
  if (!LinkLooksAlive()) OpenLink();

  const uint64_t id = nextId_++;
  std::string frame;
  AppendFrame(frame, EncodeCall(id, method, args));
  const auto deadline = Clock::now() + callTimeout_;
  ServerMessage reply;
  try {
    detail::SendAll(fd_, frame, deadline);
    reply = DecodeServerMessage(detail::ReadFrame(fd_, input_, deadline));
  } catch (const detail::TimeoutError&) {
    FailCall(method, detail::TimeoutCause(callTimeout_));
  } catch (const detail::IoError& e) {
    FailCall(method, e.what());
  } catch (const ProtocolError& e) {
    FailCall(method, "resposta inválida: " + e.Message());
  }

  if (reply.kind == ServerMessage::Kind::Refused) {
    // The server closes the link after a protocol refusal; any other refusal leaves it usable.
    if (reply.code == kProtocol || reply.id != id) CloseLink();
    throw ERefused(Where() + " recusou a chamada de " + method + ": " + reply.message + " (" +
                       reply.code + ")",
                   reply.code);
  }
  if (reply.kind != ServerMessage::Kind::Answer)
    FailCall(method, "resposta inesperada do servidor");
  if (reply.id != id) FailCall(method, "resposta a outra chamada");
  return std::move(reply.value);
}

}  // namespace net
