#include "db/packet.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "rtl/cbor.h"

namespace db {
namespace {

using rtl::Variant;

std::vector<FieldDef> RangeFields() {
  return {
      {"NRSEQRENT", FieldType::String, 10, {true, true, true}},
      {"VRPERCINIRENT", FieldType::Float, 0, {}},
      {"QTDIAS", FieldType::Integer, 0, ProviderFlags::None()},
      {"IDBLOQUEIAPED", FieldType::String, 1, ProviderFlags::None()},
  };
}

uint64_t Bits(const Variant& value) {
  return std::bit_cast<uint64_t>(value.AsDouble());
}

TEST(PacketCodec, RoundTripKeepsFieldsValuesAndDoubleBits) {
  const double denormal = std::numeric_limits<double>::denorm_min();
  DataPacket packet{RangeFields(),
                    {
                        {"0000000001", 0.1 + 0.2, 7, "S"},
                        {"0000000002", -0.0, INT32_MIN, "N"},
                        {"0000000003", 1e308, INT32_MAX, Variant::Null()},
                        {Variant::Null(), denormal, Variant::Null(), "ç"},
                        {"ação", Variant::Null(), 0, ""},
                    }};
  const DataPacket back = DecodePacket(EncodePacket(packet));
  EXPECT_EQ(back.fields, packet.fields);
  ASSERT_EQ(back.rows.size(), packet.rows.size());
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    EXPECT_EQ(back.rows[r], packet.rows[r]) << "row " << r;
  }
  EXPECT_EQ(Bits(back.rows[0][1]), std::bit_cast<uint64_t>(0.1 + 0.2));
  EXPECT_EQ(Bits(back.rows[1][1]), std::bit_cast<uint64_t>(-0.0));
  EXPECT_EQ(Bits(back.rows[3][1]), std::bit_cast<uint64_t>(denormal));
}

TEST(PacketCodec, RoundTripOfAnEmptyPacketAndOfAVariant) {
  DataPacket packet{{{"SEQUENCIAL", FieldType::String, 10, {}}}, {}};
  const DataPacket back = DecodePacketVariant(EncodePacketVariant(packet));
  EXPECT_EQ(back.fields, packet.fields);
  EXPECT_TRUE(back.rows.empty());
  EXPECT_THROW(DecodePacketVariant(Variant("texto")), EPacketError);
}

TEST(DeltaCodec, RoundTripKeepsChangesInOrder) {
  DeltaPacket delta{
      RangeFields(),
      {
          {ChangeKind::Insert, {}, {"0000000004", 1.5, 1, "N"}},
          {ChangeKind::Modify, {"0000000001", 0.3, 7, "S"}, {"0000000001", 0.4, 7, "N"}},
          {ChangeKind::Delete, {"0000000002", -0.0, 2, Variant::Null()}, {}},
      }};
  const DeltaPacket back = DecodeDelta(EncodeDelta(delta));
  EXPECT_EQ(back.fields, delta.fields);
  ASSERT_EQ(back.changes.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.changes[i].kind, delta.changes[i].kind);
    EXPECT_EQ(back.changes[i].oldRow, delta.changes[i].oldRow);
    EXPECT_EQ(back.changes[i].newRow, delta.changes[i].newRow);
  }
}

TEST(PacketCodec, EncodingRefusesWhatDecodingWouldRefuse) {
  struct Case {
    const char* what;
    DataPacket packet;
  };
  const FieldDef key{"K", FieldType::String, 2, {}};
  const FieldDef value{"V", FieldType::Float, 0, {}};
  const Case cases[] = {
      {"no fields", {{}, {}}},
      {"duplicate name ignoring case", {{key, {"k", FieldType::Float, 0, {}}}, {}}},
      {"empty name", {{{"", FieldType::Float, 0, {}}}, {}}},
      {"string without size", {{{"K", FieldType::String, 0, {}}}, {}}},
      {"float with size", {{{"V", FieldType::Float, 8, {}}}, {}}},
      {"short row", {{key, value}, {{"ab"}}}},
      {"long row", {{key, value}, {{"ab", 1.0, 2.0}}}},
      {"string too long", {{key, value}, {{"abc", 1.0}}}},
      {"float as text", {{key, value}, {{"ab", "1.0"}}}},
      {"int64 in integer field", {{{"I", FieldType::Integer, 0, {}}}, {{int64_t{1}}}}},
      {"empty value", {{key}, {{Variant()}}}},
      {"invalid UTF-8", {{key}, {{"\xc3("}}}},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(EncodePacket(c.packet), EPacketError) << c.what;
  }
  // Size counts characters, not bytes.
  EXPECT_NO_THROW(EncodePacket({{key}, {{"çã"}}}));
}

TEST(DeltaCodec, EncodingRefusesRowsThatDoNotMatchTheKind) {
  const std::vector<FieldDef> fields{{"V", FieldType::Float, 0, {}}};
  EXPECT_THROW(EncodeDelta({fields, {{ChangeKind::Insert, {1.0}, {2.0}}}}), EPacketError);
  EXPECT_THROW(EncodeDelta({fields, {{ChangeKind::Delete, {}, {}}}}), EPacketError);
  EXPECT_THROW(EncodeDelta({fields, {{ChangeKind::Modify, {1.0}, {}}}}), EPacketError);
}

// Hand-built CBOR for the malformed inputs below.
std::string Cbor(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

std::string Header(const std::string& fieldsBody, const std::string& rowsKey = "rows") {
  std::string out;
  rtl::cbor::Writer w(out);
  w.MapHeader(2);
  w.Text("fields");
  out += fieldsBody;
  w.Text(rowsKey);
  return out;
}

std::string OneFloatField() {
  std::string out;
  rtl::cbor::Writer w(out);
  w.ArrayHeader(1);
  w.MapHeader(3);
  w.Text("name");
  w.Text("V");
  w.Text("type");
  w.Text("float");
  w.Text("flags");
  w.ArrayHeader(0);
  return out;
}

TEST(PacketCodec, DecodingRefusesMalformedInput) {
  const std::string valid = EncodePacket({{{"V", FieldType::Float, 0, {}}}, {{1.0}, {2.0}}});
  const std::string head = Header(OneFloatField());
  std::string deep = head;
  for (int i = 0; i < 200; ++i) deep += Cbor({0x81});
  std::string reordered;
  {
    rtl::cbor::Writer w(reordered);
    w.MapHeader(2);
    w.Text("rows");
    w.ArrayHeader(0);
    w.Text("fields");
    reordered += OneFloatField();
  }
  std::string unknownFlag = EncodePacket({{{"V", FieldType::Float, 0, {true, false, false}}}, {}});
  unknownFlag.replace(unknownFlag.find("update"), 6, "updatx");
  std::string unknownType = EncodePacket({{{"V", FieldType::Float, 0, {}}}, {}});
  unknownType.replace(unknownType.find("float"), 5, "floax");

  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty input", ""},
      {"not a map", Cbor({0x80})},
      {"truncated", valid.substr(0, valid.size() - 3)},
      {"trailing bytes", valid + Cbor({0x00})},
      {"rows before fields", reordered},
      {"wrong second key", Header(OneFloatField(), "lines") + Cbor({0x80})},
      {"unknown flag", unknownFlag},
      {"unknown type", unknownType},
      {"huge row count", head + Cbor({0x9B, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"indefinite rows", head + Cbor({0x9F, 0x81, 0xF6, 0xFF})},
      {"deep nesting", deep},
      {"integer where float", head + Cbor({0x81, 0x81, 0x01})},
      {"text where float", head + Cbor({0x81, 0x81, 0x61, 0x31})},
      {"undefined value", head + Cbor({0x81, 0x81, 0xF7})},
      {"row too short", head + Cbor({0x81, 0x80})},
      {"row not an array", head + Cbor({0x81, 0xF6})},
      {"tagged value", head + Cbor({0x81, 0x81, 0xC1, 0xFB, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"invalid UTF-8 name", Cbor({0xA2, 0x66, 'f', 'i', 'e', 'l', 'd', 's', 0x81, 0xA1, 0x64, 'n',
                                   'a', 'm', 'e', 0x61, 0xFF})},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(DecodePacket(c.bytes), EPacketError) << c.what;
  }
}

TEST(PacketCodec, DecodingChecksValuesAgainstTheirFields) {
  std::string out;
  rtl::cbor::Writer w(out);
  w.MapHeader(2);
  w.Text("fields");
  w.ArrayHeader(2);
  for (const char* name : {"K", "I"}) {
    const bool text = name[0] == 'K';
    w.MapHeader(text ? 4 : 3);
    w.Text("name");
    w.Text(name);
    w.Text("type");
    w.Text(text ? "string" : "integer");
    if (text) {
      w.Text("size");
      w.Int(2);
    }
    w.Text("flags");
    w.ArrayHeader(0);
  }
  w.Text("rows");
  const std::string head = out;
  auto row = [&](auto writeValues) {
    std::string bytes = head;
    rtl::cbor::Writer rw(bytes);
    rw.ArrayHeader(1);
    rw.ArrayHeader(2);
    writeValues(rw);
    return bytes;
  };
  EXPECT_NO_THROW(DecodePacket(row([](auto& rw) {
    rw.Text("çã");
    rw.Int(-5);
  })));
  EXPECT_THROW(DecodePacket(row([](auto& rw) {
                 rw.Text("abc");
                 rw.Int(1);
               })),
               EPacketError);
  EXPECT_THROW(DecodePacket(row([](auto& rw) {
                 rw.Text("ab");
                 rw.Int(int64_t{INT32_MAX} + 1);
               })),
               EPacketError);
  EXPECT_THROW(DecodePacket(row([](auto& rw) {
                 rw.Text("ab");
                 rw.Double(1.0);
               })),
               EPacketError);
}

TEST(DeltaCodec, DecodingRefusesChangesThatDoNotMatchTheirKind) {
  const std::vector<FieldDef> fields{{"V", FieldType::Float, 0, {}}};
  const std::string modify = EncodeDelta({fields, {{ChangeKind::Modify, {1.0}, {2.0}}}});
  std::string asInsert = modify;
  asInsert.replace(asInsert.find("modify"), 6, "insert");
  std::string unknownKind = modify;
  unknownKind.replace(unknownKind.find("modify"), 6, "modifx");
  EXPECT_NO_THROW(DecodeDelta(modify));
  EXPECT_THROW(DecodeDelta(asInsert), EPacketError);
  EXPECT_THROW(DecodeDelta(unknownKind), EPacketError);
  EXPECT_THROW(DecodeDelta(EncodePacket({fields, {}})), EPacketError);
}

}  // namespace
}  // namespace db
