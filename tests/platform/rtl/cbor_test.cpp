#include "rtl/cbor.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

using rtl::cbor::CborError;
using rtl::cbor::Kind;
using rtl::cbor::Reader;
using rtl::cbor::Writer;

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string FromHex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

TEST(CborWriter, EmitsShortestHeadsAndEightByteDoubles) {
  struct Case {
    void (*write)(Writer&);
    const char* hex;
  } cases[] = {
      {[](Writer& w) { w.Int(0); }, "00"},
      {[](Writer& w) { w.Int(23); }, "17"},
      {[](Writer& w) { w.Int(24); }, "1818"},
      {[](Writer& w) { w.Int(1000); }, "1903e8"},
      {[](Writer& w) { w.Int(-1); }, "20"},
      {[](Writer& w) { w.Int(INT64_MIN); }, "3b7fffffffffffffff"},
      {[](Writer& w) { w.Double(1.0); }, "fb3ff0000000000000"},
      {[](Writer& w) { w.Text("já"); }, "636ac3a1"},
      {[](Writer& w) { w.Bytes(std::string("\x00\x01", 2)); }, "420001"},
      {[](Writer& w) { w.ArrayHeader(2); }, "82"},
      {[](Writer& w) { w.MapHeader(1); }, "a1"},
      {[](Writer& w) { w.Null(); }, "f6"},
      {[](Writer& w) { w.Undefined(); }, "f7"},
      {[](Writer& w) { w.Bool(true); }, "f5"},
  };
  for (const auto& c : cases) {
    std::string out;
    Writer w(out);
    c.write(w);
    EXPECT_EQ(Hex(out), c.hex);
  }
}

TEST(CborReader, RoundTripsValuesBitExact) {
  const double doubles[] = {0.1 + 0.2, -0.0, 1e308, std::numeric_limits<double>::denorm_min(),
                            -std::numeric_limits<double>::infinity()};
  std::string out;
  Writer w(out);
  w.ArrayHeader(std::size(doubles) + 3);
  for (double d : doubles) w.Double(d);
  w.Int(INT64_MAX);
  w.Int(INT64_MIN);
  w.Text("Valor já cadastrado");
  Reader r(out);
  ASSERT_EQ(r.EnterArray(), std::size(doubles) + 3);
  for (double d : doubles) {
    EXPECT_EQ(std::bit_cast<uint64_t>(r.ReadDouble()), std::bit_cast<uint64_t>(d));
  }
  EXPECT_EQ(r.ReadInt(), INT64_MAX);
  EXPECT_EQ(r.ReadInt(), INT64_MIN);
  EXPECT_EQ(r.ReadText(), "Valor já cadastrado");
  r.Leave();
  EXPECT_NO_THROW(r.ExpectEnd());
}

TEST(CborReader, WidensShorterFloats) {
  EXPECT_EQ(Reader(FromHex("f93e00")).ReadDouble(), 1.5);
  EXPECT_EQ(Reader(FromHex("fa47c35000")).ReadDouble(), 100000.0);
  EXPECT_TRUE(std::isinf(Reader(FromHex("f97c00")).ReadDouble()));
}

TEST(CborReader, RefusesMalformedInput) {
  struct Case {
    const char* name;
    const char* hex;
    void (*read)(Reader&);
  } cases[] = {
      {"empty input", "", [](Reader& r) { r.Peek(); }},
      {"truncated integer", "19 03", [](Reader& r) { r.ReadInt(); }},
      {"truncated text", "63 41 42", [](Reader& r) { r.ReadText(); }},
      {"huge text length", "7b ffffffffffffffff 41", [](Reader& r) { r.ReadText(); }},
      {"huge array count", "9b 00000000ffffffff 00", [](Reader& r) { r.EnterArray(); }},
      {"map count beyond bytes", "a2 01 02 03", [](Reader& r) { r.EnterMap(); }},
      {"indefinite array", "9f 01 ff", [](Reader& r) { r.EnterArray(); }},
      {"indefinite text", "7f 61 41 ff", [](Reader& r) { r.ReadText(); }},
      {"tag", "c1 01", [](Reader& r) { r.Skip(); }},
      {"reserved info", "1c", [](Reader& r) { r.ReadInt(); }},
      {"simple value 16", "f0", [](Reader& r) { r.Skip(); }},
      {"wrong kind", "61 41", [](Reader& r) { r.ReadInt(); }},
      {"unsigned beyond int64", "1b ffffffffffffffff", [](Reader& r) { r.ReadInt(); }},
      {"invalid utf-8", "62 c3 28", [](Reader& r) { r.ReadText(); }},
      {"overlong utf-8", "62 c0 80", [](Reader& r) { r.ReadText(); }},
      {"surrogate in utf-8", "63 ed a0 80", [](Reader& r) { r.ReadText(); }},
      {"trailing bytes", "01 02",
       [](Reader& r) {
         r.ReadInt();
         r.ExpectEnd();
       }},
  };
  for (const auto& c : cases) {
    std::string hex(c.hex);
    std::erase(hex, ' ');
    const std::string bytes = FromHex(hex);
    Reader r(bytes);
    EXPECT_THROW(c.read(r), CborError) << c.name;
  }
}

TEST(CborReader, LimitsNesting) {
  std::string deep(65, '\x81');
  deep.push_back('\x00');
  Reader tooDeep(deep);
  EXPECT_THROW(tooDeep.Skip(), CborError);

  std::string ok(64, '\x81');
  ok.push_back('\x00');
  Reader fine(ok);
  EXPECT_NO_THROW(fine.Skip());
  EXPECT_TRUE(fine.AtEnd());
}

TEST(CborReader, PeekNamesTheKindWithoutConsuming) {
  const std::string bytes = FromHex("f6");
  Reader r(bytes);
  EXPECT_EQ(r.Peek(), Kind::Null);
  EXPECT_EQ(r.Position(), 0u);
  r.ReadNull();
  EXPECT_TRUE(r.AtEnd());
}

}  // namespace
