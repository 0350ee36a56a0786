#include "net/messages.h"

#include <limits>

#include "net/errors.h"
#include "net/frame.h"
#include "net/variant_codec.h"
#include "rtl/cbor.h"

namespace net {

using rtl::cbor::Kind;
using rtl::cbor::Reader;
using rtl::cbor::Writer;

std::string EncodeHello(const HelloMessage& hello) {
  std::string out;
  Writer w(out);
  w.ArrayHeader(4);
  w.Text("hello");
  w.Int(hello.version);
  w.Text(hello.serverName);
  if (hello.token)
    w.Text(*hello.token);
  else
    w.Null();
  return out;
}

std::string EncodeCall(uint64_t id, std::string_view method, const rtl::VariantArray& args) {
  std::string out;
  Writer w(out);
  w.ArrayHeader(4);
  w.Text("call");
  w.Int(static_cast<int64_t>(id));
  w.Text(method);
  w.ArrayHeader(args.size());
  for (const auto& arg : args) WriteVariant(w, arg);
  return out;
}

std::string EncodeWelcome(std::string_view serverName) {
  std::string out;
  Writer w(out);
  w.ArrayHeader(2);
  w.Text("welcome");
  w.Text(serverName);
  return out;
}

std::string EncodeAnswer(uint64_t id, const rtl::Variant& value) {
  std::string out;
  Writer w(out);
  w.ArrayHeader(3);
  w.Text("answer");
  w.Int(static_cast<int64_t>(id));
  WriteVariant(w, value);
  return out;
}

namespace {

// Room enough for the value's encoding, give or take a few bytes a scalar.
size_t EncodedSizeHint(const rtl::Variant& value) {
  switch (value.Type()) {
    case rtl::VarType::String:
      return 9 + value.StringRef().size();
    case rtl::VarType::Bytes:
      return 9 + value.AsBytes().size();
    case rtl::VarType::Array: {
      size_t size = 9;
      for (const auto& item : value.AsArray()) size += EncodedSizeHint(item);
      return size;
    }
    default:
      return 9;
  }
}

}  // namespace

std::string EncodeAnswerFrame(uint64_t id, const rtl::Variant& value) {
  std::string out(kFrameHeaderSize, '\0');
  out.reserve(kFrameHeaderSize + 32 + EncodedSizeHint(value));
  Writer w(out);
  w.ArrayHeader(3);
  w.Text("answer");
  w.Int(static_cast<int64_t>(id));
  WriteVariant(w, value);
  const size_t size = out.size() - kFrameHeaderSize;
  if (size > std::numeric_limits<uint32_t>::max())
    throw ProtocolError("Mensagem grande demais para um quadro");
  for (size_t i = 0; i < kFrameHeaderSize; ++i)
    out[i] = static_cast<char>(size >> (8 * (kFrameHeaderSize - 1 - i)));
  return out;
}

std::string EncodeRefused(std::optional<uint64_t> id, std::string_view code,
                          std::string_view message) {
  std::string out;
  Writer w(out);
  w.ArrayHeader(4);
  w.Text("refused");
  if (id)
    w.Int(static_cast<int64_t>(*id));
  else
    w.Null();
  w.Text(code);
  w.Text(message);
  return out;
}

namespace {

// Runs body over a reader positioned inside the message array, whose element count and kind it
// checks first; turns every CBOR failure into a ProtocolError and insists on no trailing bytes.
template <typename Body>
auto DecodeMessage(std::string_view bytes, Body body) {
  try {
    Reader r(bytes);
    if (r.Peek() != Kind::Array) throw ProtocolError("Mensagem não é uma lista");
    const uint64_t count = r.EnterArray();
    if (count == 0 || r.Peek() != Kind::Text) throw ProtocolError("Mensagem sem tipo");
    const std::string kind(r.ReadText());
    auto result = body(r, kind, count);
    r.Leave();
    r.ExpectEnd();
    return result;
  } catch (const rtl::cbor::CborError& e) {
    throw ProtocolError("Mensagem malformada: " + e.Message());
  }
}

void Expect(bool condition, const char* what) {
  if (!condition) throw ProtocolError(std::string("Mensagem malformada: ") + what);
}

uint64_t ReadId(Reader& r) {
  Expect(r.Peek() == Kind::Unsigned, "identificador de chamada inválido");
  return static_cast<uint64_t>(r.ReadInt());
}

}  // namespace

HelloMessage DecodeHello(std::string_view bytes) {
  return DecodeMessage(bytes, [](Reader& r, const std::string& kind, uint64_t count) {
    Expect(kind == "hello" && count == 4, "esperava-se hello");
    HelloMessage hello;
    Expect(r.Peek() == Kind::Unsigned, "versão inválida");
    hello.version = r.ReadInt();
    Expect(r.Peek() == Kind::Text, "nome do objeto inválido");
    hello.serverName = r.ReadText();
    if (r.Peek() == Kind::Null) {
      r.ReadNull();
    } else {
      Expect(r.Peek() == Kind::Text, "token inválido");
      hello.token = std::string(r.ReadText());
    }
    return hello;
  });
}

CallMessage DecodeCall(std::string_view bytes) {
  return DecodeMessage(bytes, [](Reader& r, const std::string& kind, uint64_t count) {
    Expect(kind == "call" && count == 4, "esperava-se call");
    CallMessage call;
    call.id = ReadId(r);
    Expect(r.Peek() == Kind::Text, "nome do método inválido");
    call.method = r.ReadText();
    Expect(r.Peek() == Kind::Array, "argumentos não são uma lista");
    const uint64_t n = r.EnterArray();
    call.args.reserve(n);
    for (uint64_t i = 0; i < n; ++i) call.args.push_back(ReadVariant(r));
    r.Leave();
    return call;
  });
}

ServerMessage DecodeServerMessage(std::string_view bytes) {
  return DecodeMessage(bytes, [](Reader& r, const std::string& kind, uint64_t count) {
    ServerMessage m;
    if (kind == "welcome") {
      Expect(count == 2 && r.Peek() == Kind::Text, "welcome inválido");
      m.kind = ServerMessage::Kind::Welcome;
      m.serverName = r.ReadText();
    } else if (kind == "answer") {
      Expect(count == 3, "answer inválido");
      m.kind = ServerMessage::Kind::Answer;
      m.id = ReadId(r);
      m.value = ReadVariant(r);
    } else if (kind == "refused") {
      Expect(count == 4, "refused inválido");
      m.kind = ServerMessage::Kind::Refused;
      if (r.Peek() == Kind::Null)
        r.ReadNull();
      else
        m.id = ReadId(r);
      Expect(r.Peek() == Kind::Text, "código de recusa inválido");
      m.code = r.ReadText();
      Expect(r.Peek() == Kind::Text, "texto de recusa inválido");
      m.message = r.ReadText();
    } else {
      throw ProtocolError("Mensagem de tipo desconhecido");
    }
    return m;
  });
}

}  // namespace net
