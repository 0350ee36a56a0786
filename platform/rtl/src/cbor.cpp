#include "rtl/cbor.h"

#include "rtl/utf8.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace rtl::cbor {

namespace {

constexpr uint8_t kUnsigned = 0, kNegative = 1, kBytes = 2, kText = 3, kArray = 4, kMap = 5,
                  kTag = 6, kSimple = 7;

// Half-precision floats are widened by hand: the standard library has no type for them.
double HalfToDouble(uint16_t half) {
  int exponent = (half >> 10) & 0x1f;
  double mantissa = half & 0x3ff;
  double value;
  if (exponent == 0) {
    value = std::ldexp(mantissa, -24);
  } else if (exponent != 31) {
    value = std::ldexp(mantissa + 1024, exponent - 25);
  } else {
    value = mantissa == 0 ? INFINITY : NAN;
  }
  return (half & 0x8000) ? -value : value;
}

}  // namespace

// ---- Writer ----

void Writer::Head(uint8_t major, uint64_t argument) {
  const uint8_t m = static_cast<uint8_t>(major << 5);
  if (argument < 24) {
    out_.push_back(static_cast<char>(m | argument));
    return;
  }
  int bytes;
  uint8_t info;
  if (argument <= 0xff) {
    bytes = 1, info = 24;
  } else if (argument <= 0xffff) {
    bytes = 2, info = 25;
  } else if (argument <= 0xffffffff) {
    bytes = 4, info = 26;
  } else {
    bytes = 8, info = 27;
  }
  char head[9] = {static_cast<char>(m | info)};
  for (int i = 0; i < bytes; ++i)
    head[1 + i] = static_cast<char>(argument >> (8 * (bytes - 1 - i)));
  out_.append(head, 1 + bytes);
}

void Writer::Int(int64_t value) {
  if (value >= 0) {
    Head(kUnsigned, static_cast<uint64_t>(value));
  } else {
    Head(kNegative, static_cast<uint64_t>(-(value + 1)));
  }
}

void Writer::Double(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  char item[9] = {static_cast<char>(0xfb)};
  for (int i = 0; i < 8; ++i) item[1 + i] = static_cast<char>(bits >> (8 * (7 - i)));
  out_.append(item, sizeof item);
}

void Writer::Bool(bool value) {
  out_.push_back(static_cast<char>(value ? 0xf5 : 0xf4));
}
void Writer::Null() {
  out_.push_back(static_cast<char>(0xf6));
}
void Writer::Undefined() {
  out_.push_back(static_cast<char>(0xf7));
}

void Writer::Text(std::string_view text) {
  Head(kText, text.size());
  out_.append(text);
}

void Writer::Bytes(std::string_view bytes) {
  Head(kBytes, bytes.size());
  out_.append(bytes);
}

void Writer::ArrayHeader(uint64_t count) {
  Head(kArray, count);
}
void Writer::MapHeader(uint64_t count) {
  Head(kMap, count);
}

// ---- Reader ----

void Reader::Fail(const std::string& why) const {
  throw CborError("Dados CBOR inválidos na posição " + std::to_string(pos_) + ": " + why + ".");
}

void Reader::ExpectEnd() const {
  if (!AtEnd()) Fail("há bytes depois do fim do item");
}

Reader::Head Reader::DecodeHead(size_t& pos) const {
  if (pos >= data_.size()) Fail("dados truncados");
  const uint8_t initial = static_cast<uint8_t>(data_[pos++]);
  Head head{static_cast<uint8_t>(initial >> 5), static_cast<uint8_t>(initial & 0x1f), 0};
  if (head.info < 24) {
    head.argument = head.info;
    return head;
  }
  if (head.info > 27) {
    Fail(head.info == 31 ? "comprimento indefinido não é aceito" : "cabeçalho reservado");
  }
  const size_t bytes = size_t{1} << (head.info - 24);
  if (data_.size() - pos < bytes) Fail("dados truncados");
  for (size_t i = 0; i < bytes; ++i) {
    head.argument = (head.argument << 8) | static_cast<uint8_t>(data_[pos++]);
  }
  return head;
}

Reader::Head Reader::PeekHead() const {
  size_t pos = pos_;
  return DecodeHead(pos);
}

Reader::Head Reader::ReadHead() {
  return DecodeHead(pos_);
}

Kind Reader::Peek() const {
  const Head head = PeekHead();
  switch (head.major) {
    case kUnsigned:
      return Kind::Unsigned;
    case kNegative:
      return Kind::Negative;
    case kBytes:
      return Kind::Bytes;
    case kText:
      return Kind::Text;
    case kArray:
      return Kind::Array;
    case kMap:
      return Kind::Map;
    case kTag:
      Fail("marcas (tags) não são aceitas");
    default:
      break;
  }
  switch (head.info) {
    case 20:
      return Kind::False;
    case 21:
      return Kind::True;
    case 22:
      return Kind::Null;
    case 23:
      return Kind::Undefined;
    case 25:
    case 26:
    case 27:
      return Kind::Float;
    default:
      Fail("valor simples não suportado");
  }
}

int64_t Reader::ReadInt() {
  const size_t start = pos_;
  const Head head = ReadHead();
  if (head.major != kUnsigned && head.major != kNegative) {
    pos_ = start;
    Fail("esperava um inteiro");
  }
  if (head.argument > static_cast<uint64_t>(INT64_MAX)) {
    pos_ = start;
    Fail("inteiro fora do intervalo de 64 bits");
  }
  const auto magnitude = static_cast<int64_t>(head.argument);
  return head.major == kUnsigned ? magnitude : -1 - magnitude;
}

double Reader::ReadDouble() {
  const size_t start = pos_;
  const Head head = ReadHead();
  if (head.major != kSimple || head.info < 25 || head.info > 27) {
    pos_ = start;
    Fail("esperava um número de ponto flutuante");
  }
  if (head.info == 25) return HalfToDouble(static_cast<uint16_t>(head.argument));
  if (head.info == 26) return std::bit_cast<float>(static_cast<uint32_t>(head.argument));
  return std::bit_cast<double>(head.argument);
}

bool Reader::ReadBool() {
  const Kind kind = Peek();
  if (kind != Kind::False && kind != Kind::True) Fail("esperava um valor lógico");
  ++pos_;
  return kind == Kind::True;
}

void Reader::ReadNull() {
  if (Peek() != Kind::Null) Fail("esperava null");
  ++pos_;
}

void Reader::ReadUndefined() {
  if (Peek() != Kind::Undefined) Fail("esperava undefined");
  ++pos_;
}

std::string_view Reader::ReadText() {
  const size_t start = pos_;
  const Head head = ReadHead();
  if (head.major != kText) {
    pos_ = start;
    Fail("esperava um texto");
  }
  if (head.argument > data_.size() - pos_) {
    pos_ = start;
    Fail("dados truncados");
  }
  std::string_view text = data_.substr(pos_, head.argument);
  if (!IsValidUtf8(text)) {
    pos_ = start;
    Fail("texto não é UTF-8 válido");
  }
  pos_ += head.argument;
  return text;
}

std::string_view Reader::ReadBytes() {
  const size_t start = pos_;
  const Head head = ReadHead();
  if (head.major != kBytes) {
    pos_ = start;
    Fail("esperava uma sequência de bytes");
  }
  if (head.argument > data_.size() - pos_) {
    pos_ = start;
    Fail("dados truncados");
  }
  std::string_view bytes = data_.substr(pos_, head.argument);
  pos_ += head.argument;
  return bytes;
}

uint64_t Reader::Enter(uint8_t major, const char* what) {
  const size_t start = pos_;
  const Head head = ReadHead();
  if (head.major != major) {
    pos_ = start;
    Fail(std::string("esperava ") + what);
  }
  if (depth_ >= maxDepth_) {
    pos_ = start;
    Fail("aninhamento profundo demais");
  }
  // Every element takes at least one byte (two for a map entry), so a count beyond the bytes
  // left cannot be honest.
  const uint64_t perElement = major == kMap ? 2 : 1;
  if (head.argument > (data_.size() - pos_) / perElement) {
    pos_ = start;
    Fail("dados truncados");
  }
  ++depth_;
  return head.argument;
}

uint64_t Reader::EnterArray() {
  return Enter(kArray, "uma lista");
}
uint64_t Reader::EnterMap() {
  return Enter(kMap, "um mapa");
}

void Reader::Leave() {
  if (depth_ > 0) --depth_;
}

void Reader::Skip() {
  switch (Peek()) {
    case Kind::Unsigned:
    case Kind::Negative:
      ReadInt();
      break;
    case Kind::Bytes:
      ReadBytes();
      break;
    case Kind::Text:
      ReadText();
      break;
    case Kind::Array: {
      const uint64_t count = EnterArray();
      for (uint64_t i = 0; i < count; ++i) Skip();
      Leave();
      break;
    }
    case Kind::Map: {
      const uint64_t count = EnterMap();
      for (uint64_t i = 0; i < 2 * count; ++i) Skip();
      Leave();
      break;
    }
    case Kind::Float:
      ReadDouble();
      break;
    default:
      ++pos_;
      break;
  }
}

}  // namespace rtl::cbor
