#pragma once
// TNetConnection: the client side of a link to one server object of an application server.
//
// Switching it on (SetConnected(true)) runs BeforeConnect, opens a TCP connection to Host:Port
// within ConnectTimeout, sends the hello (ServerName and the access token) and waits for the
// welcome. Every failure of that is an ENetError (ERefused when the server refused the hello);
// with ThrowException false such a failure is kept in LastError() instead of being raised, and
// the connection stays off. An exception of BeforeConnect always passes out unchanged.
//
// AppServer().Call(method, args) sends one call and waits for its answer on the caller's thread,
// at most CallTimeout; no event loop is needed. Calling while switched off raises ENetError. A
// link found broken when a call starts is reopened once (BeforeConnect runs again) before the
// call is sent. Once a call's request may have reached the server it is never resent: a lost
// link, a timeout or a malformed answer raises ENetError and closes the link (the next call
// reopens it). A refused call raises ERefused and leaves the link usable. Writing to a closed
// peer never raises SIGPIPE.
//
// Not thread-safe: one thread uses a connection at a time.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "net/frame.h"
#include "rtl/variant.h"

namespace net {

class TNetConnection;

// The server object's dispatch: methods called by name with positional arguments.
class AppServerDispatch {
 public:
  explicit AppServerDispatch(TNetConnection& connection) : connection_(connection) {}
  // Returns the method's answer. Raises ENetError / ERefused as described above. Each element
  // of args is one argument: to pass one array, wrap it, as in {rtl::Variant(array)}.
  rtl::Variant Call(const std::string& method, const rtl::VariantArray& args = {}) const;

 private:
  TNetConnection& connection_;
};

class TNetConnection {
 public:
  using ConnectEvent = std::function<void(TNetConnection&)>;

  TNetConnection();
  ~TNetConnection();
  TNetConnection(const TNetConnection&) = delete;
  TNetConnection& operator=(const TNetConnection&) = delete;

  const std::string& ServerName() const { return serverName_; }
  void SetServerName(std::string name) { serverName_ = std::move(name); }
  const std::string& Host() const { return host_; }
  void SetHost(std::string host) { host_ = std::move(host); }
  int Port() const { return port_; }
  void SetPort(int port) { port_ = port; }
  bool ThrowException() const { return throwException_; }
  void SetThrowException(bool value) { throwException_ = value; }
  // The access token sent in the hello; none (null on the wire) by default.
  const std::optional<std::string>& AccessToken() const { return token_; }
  void SetAccessToken(std::optional<std::string> token) { token_ = std::move(token); }

  std::chrono::milliseconds ConnectTimeout() const { return connectTimeout_; }
  void SetConnectTimeout(std::chrono::milliseconds timeout) { connectTimeout_ = timeout; }
  std::chrono::milliseconds CallTimeout() const { return callTimeout_; }
  void SetCallTimeout(std::chrono::milliseconds timeout) { callTimeout_ = timeout; }
  // The largest answer frame accepted.
  void SetMaxFrame(uint32_t bytes) { maxFrame_ = bytes; }  // takes effect at the next opening

  // Runs before each opening of the link, including a reopening at the start of a call.
  const ConnectEvent& BeforeConnect() const { return beforeConnect_; }
  void SetBeforeConnect(ConnectEvent handler) { beforeConnect_ = std::move(handler); }

  // True while switched on. The link under it may have been closed after a failed call; the
  // next call then reopens it.
  bool Connected() const { return connected_; }
  void SetConnected(bool value);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // The message of the last connect failure that was not raised (ThrowException false); empty
  // after a successful connect.
  const std::string& LastError() const { return lastError_; }

  AppServerDispatch AppServer() { return AppServerDispatch(*this); }

 private:
  friend class AppServerDispatch;
  rtl::Variant Invoke(const std::string& method, const rtl::VariantArray& args);
  void OpenLink();  // BeforeConnect, connect, hello/welcome; raises
  void CloseLink();
  bool LinkLooksAlive() const;
  std::string Where() const;  // "host:port" for messages
  [[noreturn]] void FailCall(const std::string& method, const std::string& cause);

  std::string serverName_;
  std::string host_ = "127.0.0.1";
  int port_ = 0;
  bool throwException_ = true;
  std::optional<std::string> token_;
  std::chrono::milliseconds connectTimeout_{5000};
  std::chrono::milliseconds callTimeout_{30000};
  uint32_t maxFrame_ = kDefaultMaxFrame;
  ConnectEvent beforeConnect_;

  bool connected_ = false;
  int fd_ = -1;
  FrameBuffer input_;
  uint64_t nextId_ = 1;
  std::string lastError_;
};

}  // namespace net
