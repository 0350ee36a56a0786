#pragma once
// The failures of the remote-call layer. All derive from rtl::Exception and carry a message for
// people in Brazilian Portuguese.
//   ProtocolError: bytes that break the wire format (bad frame length, malformed CBOR, a message
//                  of the wrong shape). Raised by the codecs; the side that meets it closes the
//                  connection.
//   ENetError:     a remote call or a connect failed (no route, refused, lost link, timeout,
//                  malformed answer). Its message names the server (host:port) and the cause.
//   ERefused:      the server answered "refused"; Code() is the machine-readable code
//                  ("no-such-method", "bad-arguments", ...).

#include <string>

#include "rtl/exceptions.h"

namespace net {

class ProtocolError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

class ENetError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

class ERefused : public ENetError {
 public:
  ERefused(const std::string& message, std::string code)
      : ENetError(message), code_(std::move(code)) {}
  const std::string& Code() const { return code_; }

 private:
  std::string code_;
};

}  // namespace net
