// Frames, the variant codec and the message codec: round trips, and malformed input refused
// with ProtocolError (never a crash or a silent wrong value).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "net/errors.h"
#include "net/frame.h"
#include "net/messages.h"
#include "net/variant_codec.h"

namespace {

using rtl::Variant;
using rtl::VariantArray;
using rtl::VarType;

std::string Hex(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

TEST(Frame, CutsFramesArrivingInPieces) {
  std::string stream;
  net::AppendFrame(stream, "abc");
  net::AppendFrame(stream, std::string(70000, 'x'));
  ASSERT_EQ(stream.substr(0, 4), Hex({0, 0, 0, 3}));

  net::FrameBuffer buffer;
  std::string payload;
  std::vector<std::string> frames;
  for (char byte : stream) {  // the worst split: one byte at a time
    buffer.Append(&byte, 1);
    while (buffer.Next(payload)) frames.push_back(payload);
  }
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], "abc");
  EXPECT_EQ(frames[1], std::string(70000, 'x'));
  EXPECT_FALSE(buffer.HasPartial());
}

// A large frame alone in the buffer is handed over whole; the buffer must still cut what follows.
TEST(Frame, HandsOverALargeFrameAndGoesOn) {
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  net::FrameBuffer buffer;
  std::string payload;
  std::string stream;
  net::AppendFrame(stream, big);
  for (size_t at = 0; at < stream.size(); at += 65536) {
    EXPECT_FALSE(buffer.Next(payload));
    buffer.Append(stream.data() + at, std::min<size_t>(65536, stream.size() - at));
  }
  ASSERT_TRUE(buffer.Next(payload));
  EXPECT_EQ(payload, big);
  EXPECT_FALSE(buffer.HasPartial());

  stream.clear();
  net::AppendFrame(stream, "abc");
  buffer.Append(stream.data(), stream.size());
  ASSERT_TRUE(buffer.Next(payload));
  EXPECT_EQ(payload, "abc");
}

TEST(Frame, RefusesBadLengthFromHeaderAlone) {
  struct Case {
    const char* name;
    std::string header;
  };
  const Case cases[] = {
      {"zero", Hex({0, 0, 0, 0})},
      {"one over the limit", Hex({0, 0, 4, 1})},  // 1025 > 1024
      {"huge", Hex({0xff, 0xff, 0xff, 0xff})},
  };
  for (const auto& c : cases) {
    net::FrameBuffer buffer(1024);
    buffer.Append(c.header.data(), c.header.size());  // no body at all
    std::string payload;
    EXPECT_THROW(buffer.Next(payload), net::ProtocolError) << c.name;
  }
  net::FrameBuffer atLimit(1024);
  const std::string header = Hex({0, 0, 4, 0});
  atLimit.Append(header.data(), header.size());
  std::string payload;
  EXPECT_FALSE(atLimit.Next(payload));  // 1024 is allowed: waits for the body
  EXPECT_TRUE(atLimit.HasPartial());
  EXPECT_THROW(net::AppendFrame(payload, ""), net::ProtocolError);
}

TEST(VariantCodec, RoundTripsEveryKind) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Variant values[] = {
      Variant(),
      Variant::Null(),
      Variant(true),
      Variant(false),
      Variant(int32_t{0}),
      Variant(int32_t{-1}),
      Variant(std::numeric_limits<int32_t>::min()),
      Variant(std::numeric_limits<int32_t>::max()),
      Variant(int64_t{1} << 40),
      Variant(std::numeric_limits<int64_t>::min()),
      Variant(std::numeric_limits<int64_t>::max()),
      Variant(10.5),
      Variant(0.1),  // needs all 64 bits
      Variant(-0.0),
      Variant(nan),
      Variant(std::numeric_limits<double>::infinity()),
      Variant(1.0),  // a whole double stays a Double
      Variant(""),
      Variant("Faixa de rentabilidade: ação"),
      Variant::FromBytes(std::string("\x00\xff\x01", 3)),
      Variant(VariantArray{}),
      Variant(VariantArray{1, "a", Variant::Null(), VariantArray{2.5, Variant()}}),
  };
  for (const auto& value : values) {
    const std::string bytes = net::EncodeVariant(value);
    EXPECT_EQ(net::DecodeVariant(bytes), value) << value.Describe();
  }
}

TEST(VariantCodec, WritesDoublesAsFloat64AndNarrowsIntegers) {
  EXPECT_EQ(net::EncodeVariant(Variant(1.0)).size(), 9u);  // 0xfb + 8 bytes
  EXPECT_EQ(static_cast<unsigned char>(net::EncodeVariant(Variant(1.0))[0]), 0xfb);
  // An Int64 that fits 32 bits arrives as Int32: the wire has one integer type.
  EXPECT_EQ(net::DecodeVariant(net::EncodeVariant(Variant(int64_t{7}))).Type(), VarType::Int32);
  EXPECT_EQ(net::DecodeVariant(net::EncodeVariant(Variant(int64_t{1} << 31))).Type(),
            VarType::Int64);
}

TEST(VariantCodec, RefusesMalformedInput) {
  std::string deep;
  for (int i = 0; i < 65; ++i) deep.push_back(static_cast<char>(0x81));  // [[[[...
  deep.push_back(0x01);
  std::string okDeep;
  for (int i = 0; i < 64; ++i) okDeep.push_back(static_cast<char>(0x81));
  okDeep.push_back(0x01);
  ASSERT_NO_THROW(net::DecodeVariant(okDeep));

  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"map", Hex({0xa1, 0x01, 0x02})},
      {"empty map", Hex({0xa0})},
      {"tag", Hex({0xc1, 0x01})},
      {"indefinite array", Hex({0x9f, 0x01, 0xff})},
      {"indefinite text", Hex({0x7f, 0x61, 0x61, 0xff})},
      {"integer beyond int64", Hex({0x1b, 0x80, 0, 0, 0, 0, 0, 0, 0})},
      {"negative beyond int64", Hex({0x3b, 0x80, 0, 0, 0, 0, 0, 0, 0})},
      {"trailing bytes", Hex({0x01, 0x02})},
      {"truncated double", Hex({0xfb, 0x3f, 0xf0})},
      {"text longer than input", Hex({0x7a, 0x7f, 0xff, 0xff, 0xff, 0x61})},
      {"array longer than input", Hex({0x9b, 0, 0, 0, 1, 0, 0, 0, 0})},
      {"invalid utf-8", Hex({0x62, 0xc3, 0x28})},
      {"reserved simple value", Hex({0xf8, 0x20})},
      {"break alone", Hex({0xff})},
      {"nesting deeper than 64", deep},
  };
  for (const auto& c : cases)
    EXPECT_THROW(net::DecodeVariant(c.bytes), net::ProtocolError) << c.name;
}

TEST(Messages, RoundTripEachKind) {
  const auto hello =
      net::DecodeHello(net::EncodeHello({1, "ped06900.rdmRentab", std::string("segredo")}));
  EXPECT_EQ(hello.version, 1);
  EXPECT_EQ(hello.serverName, "ped06900.rdmRentab");
  EXPECT_EQ(hello.token, "segredo");
  EXPECT_FALSE(net::DecodeHello(net::EncodeHello({1, "x", std::nullopt})).token.has_value());

  const auto call = net::DecodeCall(net::EncodeCall(42, "GetIntervalo", {10.5}));
  EXPECT_EQ(call.id, 42u);
  EXPECT_EQ(call.method, "GetIntervalo");
  EXPECT_EQ(call.args, (VariantArray{10.5}));

  const auto answer = net::DecodeServerMessage(net::EncodeAnswer(7, VariantArray{0, Variant()}));
  EXPECT_EQ(answer.kind, net::ServerMessage::Kind::Answer);
  EXPECT_EQ(answer.id, 7u);
  EXPECT_EQ(answer.value, Variant(VariantArray{0, Variant()}));

  // Built in place, a large answer's frame must be the frame of the same answer.
  const Variant large = VariantArray{0, Variant::FromBytes(std::string(70000, 'p'))};
  std::string framed;
  net::AppendFrame(framed, net::EncodeAnswer(8, large));
  EXPECT_EQ(net::EncodeAnswerFrame(8, large), framed);

  const auto refused =
      net::DecodeServerMessage(net::EncodeRefused(std::nullopt, "bad-token", "Token inválido"));
  EXPECT_EQ(refused.kind, net::ServerMessage::Kind::Refused);
  EXPECT_FALSE(refused.id.has_value());
  EXPECT_EQ(refused.code, "bad-token");
  EXPECT_EQ(refused.message, "Token inválido");

  const auto welcome = net::DecodeServerMessage(net::EncodeWelcome("obj"));
  EXPECT_EQ(welcome.kind, net::ServerMessage::Kind::Welcome);
  EXPECT_EQ(welcome.serverName, "obj");
}

TEST(Messages, RefuseWrongShapes) {
  // Built with the variant codec, so each case differs from a valid message in one respect.
  auto enc = [](const Variant& v) { return net::EncodeVariant(v); };
  const VariantArray args{VariantArray{}};
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case calls[] = {
      {"not an array", enc(Variant("call"))},
      {"empty array", enc(Variant(VariantArray{}))},
      {"other kind", enc(Variant(VariantArray{"hello", 1, "m", VariantArray{}}))},
      {"missing arguments", enc(Variant(VariantArray{"call", 1, "m"}))},
      {"negative id", enc(Variant(VariantArray{"call", -1, "m", VariantArray{}}))},
      {"method not text", enc(Variant(VariantArray{"call", 1, 5, VariantArray{}}))},
      {"arguments not a list", enc(Variant(VariantArray{"call", 1, "m", 2}))},
      {"extra element", enc(Variant(VariantArray{"call", 1, "m", VariantArray{}, 0}))},
      {"trailing item", enc(Variant(VariantArray{"call", 1, "m", VariantArray{}})) + enc(1)},
      {"map as argument",
       enc(Variant(VariantArray{"call", 1, "m", VariantArray{}})).substr(0, 9) + Hex({0x81, 0xa0})},
  };
  for (const auto& c : calls) EXPECT_THROW(net::DecodeCall(c.bytes), net::ProtocolError) << c.name;

  const Case hellos[] = {
      {"token not text", enc(Variant(VariantArray{"hello", 1, "obj", 5}))},
      {"version not integer", enc(Variant(VariantArray{"hello", "1", "obj", Variant::Null()}))},
      {"missing token", enc(Variant(VariantArray{"hello", 1, "obj"}))},
  };
  for (const auto& c : hellos)
    EXPECT_THROW(net::DecodeHello(c.bytes), net::ProtocolError) << c.name;

  const Case replies[] = {
      {"unknown kind", enc(Variant(VariantArray{"bye"}))},
      {"answer without value", enc(Variant(VariantArray{"answer", 1}))},
      {"refused with number code", enc(Variant(VariantArray{"refused", 1, 2, "x"}))},
  };
  for (const auto& c : replies)
    EXPECT_THROW(net::DecodeServerMessage(c.bytes), net::ProtocolError) << c.name;
}

}  // namespace
