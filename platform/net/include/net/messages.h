#pragma once
// The messages exchanged by a client and the object server, each a CBOR array whose first
// element names its kind:
//   client -> server  ["hello", 1, server_name, token_or_null]   ["call", id, method, [args]]
//   server -> client  ["welcome", server_name]   ["answer", id, value]
//                     ["refused", id_or_null, code, message]
// Encode* return the message's CBOR bytes (unframed). Decode* accept exactly one message of the
// expected shape and raise ProtocolError for anything else.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rtl/variant.h"

namespace net {

inline constexpr int64_t kProtocolVersion = 1;

// Refusal codes.
inline constexpr const char* kNoSuchObject = "no-such-object";
inline constexpr const char* kNoSuchMethod = "no-such-method";
inline constexpr const char* kBadArguments = "bad-arguments";
inline constexpr const char* kBadToken = "bad-token";
inline constexpr const char* kProtocol = "protocol";
inline constexpr const char* kInternal = "internal";

struct HelloMessage {
  int64_t version = kProtocolVersion;
  std::string serverName;
  std::optional<std::string> token;
};

struct CallMessage {
  uint64_t id = 0;
  std::string method;
  rtl::VariantArray args;
};

// What a client may receive.
struct ServerMessage {
  enum class Kind { Welcome, Answer, Refused };
  Kind kind = Kind::Welcome;
  std::string serverName;      // Welcome
  std::optional<uint64_t> id;  // Answer (always), Refused (when it concerns a call)
  rtl::Variant value;          // Answer
  std::string code;            // Refused
  std::string message;         // Refused
};

std::string EncodeHello(const HelloMessage& hello);
std::string EncodeCall(uint64_t id, std::string_view method, const rtl::VariantArray& args);
std::string EncodeWelcome(std::string_view serverName);
std::string EncodeAnswer(uint64_t id, const rtl::Variant& value);
// The same answer as a whole frame (header and payload), built in one buffer so a large value is
// copied once. Raises ProtocolError when it does not fit a frame.
std::string EncodeAnswerFrame(uint64_t id, const rtl::Variant& value);
std::string EncodeRefused(std::optional<uint64_t> id, std::string_view code,
                          std::string_view message);

HelloMessage DecodeHello(std::string_view bytes);
CallMessage DecodeCall(std::string_view bytes);
ServerMessage DecodeServerMessage(std::string_view bytes);

}  // namespace net
