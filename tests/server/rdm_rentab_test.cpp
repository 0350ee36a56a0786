#include "ped06900/rdm_rentab.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <barrier>
#include <cmath>
#include <thread>

#include "loopback_fixture.h"
#include "net/errors.h"

namespace ped06900 {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace ped06900::testing;

class RdmRentabTest : public ServerFixture {
 protected:
  void SetUp() override {
    ServerFixture::SetUp();
    client_ = Connect();
  }

  Answer Call(const std::string& method, const rtl::VariantArray& args = {}) {
    return Split(client_->AppServer().Call(method, args));
  }

  Answer Set(const std::vector<RangeChange>& changes) {
    return Call("SetRentab", {Delta(changes)});
  }

  db::DataPacket Packet(const std::string& method, const rtl::VariantArray& args = {}) {
    const Answer answer = Call(method, args);
    EXPECT_EQ(answer.status, 0) << answer.payload.Describe();
    return db::DecodePacketVariant(answer.payload);
  }

  std::vector<std::string> KeysAt(double value) {
    std::vector<std::string> keys;
    for (const auto& row : Packet("GetIntervalo", {value}).rows) keys.push_back(row[0].AsString());
    return keys;
  }

  std::unique_ptr<net::TNetConnection> client_;
};

TEST_F(RdmRentabTest, AnEmptyTableAnswersEmptyPackets) {
  const db::DataPacket all = Packet("GetRentab");
  EXPECT_EQ(all.fields, RangeFieldDefs());
  EXPECT_THAT(all.rows, IsEmpty());
  const db::DataPacket seq = Packet("GetSeq");
  ASSERT_EQ(seq.fields.size(), 1u);
  EXPECT_EQ(seq.fields[0].name, "SEQUENCIAL");
  EXPECT_EQ(seq.fields[0].type, db::FieldType::String);
  EXPECT_EQ(seq.fields[0].size, 10);
  EXPECT_THAT(seq.rows, IsEmpty());
  const db::DataPacket keys = Packet("GetIntervalo", {5.0});
  ASSERT_EQ(keys.fields.size(), 1u);
  EXPECT_EQ(keys.fields[0].name, "NRSEQRENT");
  EXPECT_THAT(keys.rows, IsEmpty());
}

TEST_F(RdmRentabTest, StoresChangesAndAnswersEachRead) {
  ASSERT_EQ(Set({Insert(Row("0000000002", 10.0, 20.0, 255.0, "S"))}).status, 0);
  ASSERT_EQ(Set({Insert(Row("0000000007", 0.1, 9.99, 0.0, "N")),
                 Insert(Row("0000000003", 0.05, 9.995, 65280.0, "N"))})
                .status,
            0);
  // Enclosing ranges are allowed: only the bounds are checked.
  ASSERT_EQ(Set({Insert(Row("0000000004", -50.0, 9.999, 1.0, "S"))}).status, 0);

  const db::DataPacket all = Packet("GetRentab");
  EXPECT_THAT(all.rows, ElementsAre(Row("0000000004", -50.0, 9.999, 1.0, "S"),
                                    Row("0000000003", 0.05, 9.995, 65280.0, "N"),
                                    Row("0000000007", 0.1, 9.99, 0.0, "N"),
                                    Row("0000000002", 10.0, 20.0, 255.0, "S")));
  EXPECT_THAT(Packet("GetSeq").rows, ElementsAre(db::Row{"0000000007"}));
  EXPECT_THAT(KeysAt(9.0), ElementsAre("0000000003", "0000000004", "0000000007"));
  EXPECT_THAT(KeysAt(9.99), ElementsAre("0000000003", "0000000004", "0000000007"));
  EXPECT_THAT(KeysAt(9.995), ElementsAre("0000000003", "0000000004"));
  EXPECT_THAT(KeysAt(std::nextafter(9.995, 10.0)), ElementsAre("0000000004"));
  EXPECT_THAT(KeysAt(20.0), ElementsAre("0000000002"));
  EXPECT_THAT(KeysAt(100.5), IsEmpty());

  ASSERT_EQ(Set({Modify(Row("0000000002", 10.0, 20.0, 255.0, "S"),
                        Row("0000000002", 10.0, 30.0, 255.0, "N")),
                 Delete(Row("0000000003", 0.05, 9.995, 65280.0, "N"))})
                .status,
            0);
  EXPECT_THAT(KeysAt(25.0), ElementsAre("0000000002"));
  EXPECT_THAT(KeysAt(6.0), ElementsAre("0000000004", "0000000007"));
  EXPECT_EQ(Packet("GetRentab").rows.back(), Row("0000000002", 10.0, 30.0, 255.0, "N"));
}

TEST_F(RdmRentabTest, RefusedDeltasStoreNothingAndSayWhy) {
  ASSERT_EQ(Set({Insert(Row("0000000001", 10.0, 20.0))}).status, 0);
  const auto delta = [](std::vector<db::FieldDef> fields, db::Row row) {
    return db::EncodeDeltaVariant({std::move(fields), {{db::ChangeKind::Insert, {}, row}}});
  };
  std::vector<db::FieldDef> floatKey = RangeFieldDefs();
  floatKey[0] = {"NRSEQRENT", db::FieldType::Float, 0, {}};
  std::vector<db::FieldDef> integerColour = RangeFieldDefs();
  integerColour[3].type = db::FieldType::Integer;
  std::vector<db::FieldDef> noFlag = RangeFieldDefs();
  noFlag.pop_back();
  std::vector<db::FieldDef> renamed = RangeFieldDefs();
  renamed[4].name = "IDBLOQUEIA";
  std::vector<db::FieldDef> extra = RangeFieldDefs();
  extra.push_back({"OBS", db::FieldType::String, 5, {}});
  db::Row extraRow = Row("0000000002", 30.0, 40.0);
  extraRow.push_back("x");

  const struct {
    const char* what;
    rtl::Variant delta;
    const char* message;
  } cases[] = {
      {"empty delta", Delta({}), "Nenhuma alteração"},
      {"existing key", Delta({Insert(Row("0000000001", 30.0, 40.0))}), "Já existe"},
      {"bound inside a range", Delta({Insert(Row("0000000002", 15.0, 40.0))}),
       "Valor Inicial já cadastrado"},
      {"missing colour", Delta({Insert(Row("0000000002", 30.0, 40.0, rtl::Variant::Null()))}),
       "Cor deve ser definida"},
      {"key of the wrong type", delta(floatKey, {3.0, 30.0, 40.0, 1.0, "N"}),
       "NRSEQRENT deve ser do tipo string"},
      {"colour of the wrong type", delta(integerColour, {"0000000002", 30.0, 40.0, 1, "N"}),
       "VRCORRENT deve ser do tipo float"},
      {"a field missing", delta(noFlag, {"0000000002", 30.0, 40.0, 1.0}), "exatamente os 5"},
      {"a field renamed", delta(renamed, Row("0000000002", 30.0, 40.0)),
       "Falta o campo IDBLOQUEIAPED"},
      {"an extra field", delta(extra, extraRow), "exatamente os 5"},
      {"not a delta at all", rtl::Variant::FromBytes("\x83\x01\x02\x03"), "pacote válido"},
  };
  for (const auto& c : cases) {
    const Answer answer = Call("SetRentab", {c.delta});
    EXPECT_EQ(answer.status, rdmRentab::kRefused) << c.what;
    EXPECT_THAT(answer.payload.AsString(), HasSubstr(c.message)) << c.what;
  }
  EXPECT_THAT(Packet("GetRentab").rows, ElementsAre(Row("0000000001", 10.0, 20.0)));
  EXPECT_THAT(Log(), Contains(HasSubstr("SetRentab recusado: Já existe")));
}

TEST_F(RdmRentabTest, ArgumentsOfTheWrongKindAreRefusedByTheServer) {
  const struct {
    const char* method;
    rtl::VariantArray args;
  } cases[] = {
      {"GetIntervalo", {"10"}},
      {"GetIntervalo", {}},
      {"SetRentab", {"not bytes"}},
      {"GetRentab", {1.0}},
  };
  for (const auto& c : cases) {
    try {
      client_->AppServer().Call(c.method, c.args);
      ADD_FAILURE() << c.method << " accepted";
    } catch (const net::ERefused& e) {
      EXPECT_EQ(e.Code(), "bad-arguments") << c.method;
    }
  }
}

TEST_F(RdmRentabTest, AModifyBasedOnAStaleRowIsRefused) {
  const auto original = Row("0000000001", 10.0, 20.0, 255.0, "N");
  ASSERT_EQ(Set({Insert(original)}).status, 0);
  auto other = Connect();
  const auto theirs = Row("0000000001", 10.0, 20.0, 0.0, "N");
  ASSERT_EQ(Split(other->AppServer().Call("SetRentab", {Delta({Modify(original, theirs)})})).status,
            0);

  const Answer mine = Set({Modify(original, Row("0000000001", 10.0, 25.0, 255.0, "N"))});
  EXPECT_EQ(mine.status, rdmRentab::kRefused);
  EXPECT_THAT(mine.payload.AsString(), HasSubstr("alterado ou excluído por outro usuário"));
  const Answer deleteStale = Set({Delete(original)});
  EXPECT_EQ(deleteStale.status, rdmRentab::kRefused);
  EXPECT_THAT(Packet("GetRentab").rows, ElementsAre(theirs));
}

// Both clients send at the same moment, many times over; each time exactly one may win.
TEST_F(RdmRentabTest, OfTwoConflictingWritersExactlyOneWins) {
  auto second = Connect();
  const struct {
    const char* what;
    bool sameKey;
  } conflicts[] = {{"same key", true}, {"overlapping ranges", false}};
  int round = 0;
  for (const auto& conflict : conflicts) {
    for (int i = 0; i < 15; ++i, ++round) {
      const double base = round * 100.0;
      char keys[2][16];
      std::snprintf(keys[0], sizeof keys[0], "%010d", 2 * round + 1);
      std::snprintf(keys[1], sizeof keys[1], "%010d",
                    conflict.sameKey ? 2 * round + 1 : 2 * round + 2);
      const rtl::Variant deltas[2] = {
          Delta({Insert(Row(keys[0], base, base + 10))}),
          Delta({Insert(Row(keys[1], conflict.sameKey ? base + 50 : base + 5, base + 60))})};
      net::TNetConnection* clients[2] = {client_.get(), second.get()};
      int statuses[2] = {-1, -1};
      std::barrier start(2);
      std::vector<std::thread> threads;
      for (int c = 0; c < 2; ++c) {
        threads.emplace_back([&, c] {
          start.arrive_and_wait();
          statuses[c] = Split(clients[c]->AppServer().Call("SetRentab", {deltas[c]})).status;
        });
      }
      for (auto& thread : threads) thread.join();
      EXPECT_EQ((statuses[0] == 0) + (statuses[1] == 0), 1) << conflict.what << " round " << i;
      EXPECT_THAT(statuses, Contains(rdmRentab::kRefused)) << conflict.what;
    }
  }
  EXPECT_EQ(Packet("GetRentab").rows.size(), static_cast<size_t>(round));
}

TEST_F(RdmRentabTest, DataOutlivesARestartOfTheServer) {
  ASSERT_EQ(Set({Insert(Row("0000000001", 0.1, 0.2, 255.0, "S"))}).status, 0);
  RestartServer();
  // The same client follows: its broken link is reopened on the next call.
  EXPECT_THAT(Packet("GetRentab").rows, ElementsAre(Row("0000000001", 0.1, 0.2, 255.0, "S")));
  EXPECT_THAT(KeysAt(0.2), ElementsAre("0000000001"));
  EXPECT_EQ(Set({Insert(Row("0000000002", 0.15, 0.3))}).status, rdmRentab::kRefused);
}

}  // namespace
}  // namespace ped06900
