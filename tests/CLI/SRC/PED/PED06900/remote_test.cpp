// The guarded remote read and remote write: what reaches the target data set, the busy
// indicator, and which failures are dropped or raised again.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "Cli_ped06900_remote.h"
#include "db/dataset.h"
#include "module_fixture.h"
#include "orv/consiste.h"
#include "orv/showavi.h"

namespace {

using ped06900_test::Failure;
using ped06900_test::Range;
using ped06900_test::RangePacket;
using ped06900_test::Success;

class RemotePatterns : public testing::Test {
 protected:
  void SetUp() override {
    ped06900_test::App();
    ranges_.AddStringField("NRSEQRENT", 10);
    ranges_.AddFloatField("VRPERCINIRENT");
    ranges_.AddFloatField("VRPERCFIMRENT");
    ranges_.AddFloatField("VRCORRENT");
    ranges_.AddStringField("IDBLOQUEIAPED", 1);
    ranges_.SetData(db::EncodePacketVariant(RangePacket({{"0000000001", 0, 10, 255, "S"}})));
    orv::ResetShowAviStatus();
  }

  // The call the patterns make, recording the indicator as it stood during the call.
  Cli_ped06900::RemoteCall Answering(rtl::Variant answer) {
    return [this, answer] {
      indicatorDuringCall_ = orv::ShowAviStatus();
      return answer;
    };
  }

  void ExpectIndicatorGone() {
    EXPECT_FALSE(orv::ShowAviStatus().showing);
    EXPECT_GE(orv::ShowAviStatus().deactivations, orv::ShowAviStatus().activations);
  }

  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (ranges_.First(); !ranges_.Eof(); ranges_.Next()) {
      keys.push_back(ranges_.FieldByName("NRSEQRENT").AsString());
    }
    return keys;
  }

  db::TClientDataSet ranges_;
  orv::ShowAviState indicatorDuringCall_;
};

TEST_F(RemotePatterns, ReadLoadsThePayloadWithTheReadIndicatorShownOnlyDuringTheCall) {
  const auto packet = db::EncodePacketVariant(
      RangePacket({{"0000000002", 10, 20, 0, "N"}, {"0000000003", 30, 40, 0, "N"}}));
  Cli_ped06900::RemoteRead(orv::aviLendo, Answering(Success(packet)), ranges_);
  EXPECT_TRUE(indicatorDuringCall_.showing);
  EXPECT_EQ(indicatorDuringCall_.kind, orv::aviLendo);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"0000000002", "0000000003"}));
  ExpectIndicatorGone();
}

TEST_F(RemotePatterns, ReadReplacesAPendingEdit) {
  ranges_.Edit();
  ranges_.FieldByName("VRPERCFIMRENT").SetAsFloat(99);
  const auto packet = db::EncodePacketVariant(RangePacket({{"0000000001", 0, 10, 255, "S"}}));
  Cli_ped06900::RemoteRead(orv::aviLendo, Answering(Success(packet)), ranges_);
  EXPECT_EQ(ranges_.State(), db::DataSetState::Browse);
  EXPECT_EQ(ranges_.FieldByName("VRPERCFIMRENT").AsFloat(), 10);
  EXPECT_EQ(ranges_.ChangeCount(), 0);
}

struct ReadFailure {
  const char* name;
  std::function<Cli_ped06900::RemoteCall()> call;
  Cli_ped06900::GuardedStep before;
};

class RemoteReadFailures : public RemotePatterns,
                           public testing::WithParamInterface<ReadFailure> {};

TEST_P(RemoteReadFailures, AreDroppedAndLeaveTheTargetAsItWas) {
  const ReadFailure& c = GetParam();
  EXPECT_NO_THROW(Cli_ped06900::RemoteRead(orv::aviLendo, c.call(), ranges_, c.before));
  EXPECT_EQ(Keys(), std::vector<std::string>{"0000000001"});
  ExpectIndicatorGone();
}

rtl::Variant OtherFieldsPacket() {
  db::DataPacket packet;
  packet.fields = {{"SEQUENCIAL", db::FieldType::String, 10, {}}};
  packet.rows = {{"0000000009"}};
  return db::EncodePacketVariant(packet);
}

INSTANTIATE_TEST_SUITE_P(
    Read, RemoteReadFailures,
    testing::Values(
        ReadFailure{"ServerRefuses", [] { return [] { return Failure("Tabela bloqueada"); }; }, {}},
        ReadFailure{
            "CallRaises",
            [] { return []() -> rtl::Variant { throw rtl::Exception("conexão perdida"); }; },
            {}},
        ReadFailure{"NotAnEnvelope", [] { return [] { return rtl::Variant("?"); }; }, {}},
        ReadFailure{
            "PacketOfOtherFields", [] { return [] { return Success(OtherFieldsPacket()); }; }, {}},
        ReadFailure{"StepBeforeRaises", [] { return [] { return Success(OtherFieldsPacket()); }; },
                    [] { throw rtl::Exception("antes"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemotePatterns, WriteRunsItsLaterStepAfterTheIndicatorIsHidden) {
  ranges_.Edit();
  ranges_.FieldByName("VRPERCFIMRENT").SetAsFloat(12);
  ranges_.Post();
  bool indicatorAtLaterStep = true;
  Cli_ped06900::RemoteWrite(orv::aviGravando, Answering(Success(rtl::Variant())), ranges_, [&] {
    indicatorAtLaterStep = orv::ShowAviStatus().showing;
    ranges_.MergeChangeLog();
  });
  EXPECT_EQ(indicatorDuringCall_.kind, orv::aviGravando);
  EXPECT_TRUE(indicatorDuringCall_.showing);
  EXPECT_FALSE(indicatorAtLaterStep);
  EXPECT_EQ(ranges_.ChangeCount(), 0);
  EXPECT_EQ(ranges_.FieldByName("VRPERCFIMRENT").AsFloat(), 12);
  ExpectIndicatorGone();
}

TEST_F(RemotePatterns, WriteFailureUndoesTheChangeLogAndRaisesTheSameFailure) {
  struct Case {
    const char* name;
    Cli_ped06900::RemoteCall call;
    Cli_ped06900::GuardedStep after;
    std::string message;
  };
  const Case cases[] = {
      {"refused",
       [] { return Failure("A faixa foi alterada por outro usuário."); },
       {},
       "A faixa foi alterada por outro usuário."},
      {"call raises",
       []() -> rtl::Variant { throw rtl::Exception("sem conexão"); },
       {},
       "sem conexão"},
      {"later step raises", [] { return Success(rtl::Variant()); },
       [] { throw rtl::Exception("cache"); }, "cache"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ranges_.Edit();
    ranges_.FieldByName("VRPERCFIMRENT").SetAsFloat(15);
    ranges_.Post();
    try {
      Cli_ped06900::RemoteWrite(orv::aviGravando, c.call, ranges_, c.after);
      ADD_FAILURE() << "no failure raised";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(ranges_.ChangeCount(), 0);
    EXPECT_EQ(ranges_.FieldByName("VRPERCFIMRENT").AsFloat(), 10) << "back to the merged value";
    ExpectIndicatorGone();
  }
}

}  // namespace
