// The defaults of a new range: the focus on the initial percentage, the key after the highest
// one the server reports, the flag "N"; and what happens when GetSeq fails or its key has no
// successor.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "orv/showavi.h"
#include "road_fixture.h"
#include "screen_fixture.h"
#include "ui/db_grid.h"
#include "ui/speed_button.h"

namespace {

using ped06900_test::Failure;
using ped06900_test::RangePacket;
using ped06900_test::ScriptedServer;
using ped06900_test::Success;
using road_test::AsUser;
using road_test::ErrorsShown;
using road_test::SequenceAnswer;

class Defaults : public ped06900_test::ScreenTest {
 protected:
  Cli_ped06900::TfrmRentab& OpenOn(ScriptedServer& server) {
    server.Script("GetRentab", [](const rtl::VariantArray&) {
      return Success(db::EncodePacketVariant(RangePacket({{"0000000041", 0, 10, 255, "S"}})));
    });
    return Open();
  }

  static void AnswerSeq(ScriptedServer& server, std::optional<std::string> highest) {
    server.Script("GetSeq",
                  [highest](const rtl::VariantArray&) { return SequenceAnswer(highest); });
  }

  static void FailSeq(ScriptedServer& server) {
    server.Script("GetSeq",
                  [](const rtl::VariantArray&) { return Failure("Sequência indisponível"); });
  }

  static void ExpectFocusOnInitialPercentage(Cli_ped06900::TfrmRentab& screen) {
    EXPECT_EQ(screen.dbgPadrao->SelectedField(), screen.cdsRentabVRPERCINIRENT);
  }
};

TEST_F(Defaults, NewRangeGetsTheKeyAfterTheHighestOneAndTheFlagN) {
  struct Case {
    const char* name;
    std::optional<std::string> highest;
    const char* key;
  };
  const Case cases[] = {
      {"zero-filled", "0000000041", "0000000042"},
      {"carry into a new digit", "0000000009", "0000000010"},
      {"no leading zeros", "41", "0000000042"},
      {"no range stored: no row", std::nullopt, "0000000001"},
      {"no range stored: empty text", "", "0000000001"},
      {"last key with a successor", "2147483646", "2147483647"},
  };
  ScriptedServer server;
  Cli_ped06900::TfrmRentab& screen = OpenOn(server);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnswerSeq(server, c.highest);
    screen.dbgPadrao->SetSelectedField(screen.cdsRentabVRCORRENT);
    server.ClearCalls();
    screen.Incluir();
    EXPECT_EQ(server.Calls(), std::vector<std::string>{"GetSeq"}) << "every insertion asks";
    EXPECT_EQ(screen.cdsRentab->State(), db::DataSetState::Insert);
    EXPECT_EQ(screen.cdsRentabNRSEQRENT->AsString(), c.key);
    EXPECT_EQ(screen.cdsRentabIDBLOQUEIAPED->AsString(), "N");
    ExpectFocusOnInitialPercentage(screen);
    EXPECT_FALSE(orv::ShowAviStatus().showing);
    screen.Cancelar();
  }
  EXPECT_TRUE(dialogs_->Shown().empty());
}

TEST_F(Defaults, KeyWithoutSuccessorReachesTheUserAndLeavesTheNewRecordWithoutKeyOrFlag) {
  struct Case {
    const char* name;
    const char* highest;
    const char* inMessage;
  };
  const Case cases[] = {
      {"ten nines fit the field, not the arithmetic", "9999999999", "9999999999"},
      {"highest signed 32-bit key", "2147483647", "2147483647"},
      {"not a number", "00000004x1", "00000004x1"},
  };
  ScriptedServer server;
  Cli_ped06900::TfrmRentab& screen = OpenOn(server);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnswerSeq(server, c.highest);
    dialogs_->ClearShown();
    AsUser([&] { screen.sbtIncluir->Click(); });
    const auto errors = ErrorsShown(*dialogs_);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(c.inMessage), std::string::npos) << errors[0];
    EXPECT_EQ(screen.cdsRentab->State(), db::DataSetState::Insert) << "not cancelled";
    EXPECT_TRUE(screen.cdsRentabNRSEQRENT->IsNull());
    EXPECT_TRUE(screen.cdsRentabIDBLOQUEIAPED->IsNull());
    ExpectFocusOnInitialPercentage(screen);
    EXPECT_FALSE(orv::ShowAviStatus().showing);
    screen.Cancelar();
  }
}

TEST_F(Defaults, FailedGetSeqFallsBackOnTheLastAnswerThatArrived) {
  ScriptedServer server;
  Cli_ped06900::TfrmRentab& screen = OpenOn(server);

  FailSeq(server);  // before any answer: the first key, although ranges are stored
  screen.Incluir();
  EXPECT_EQ(screen.cdsRentabNRSEQRENT->AsString(), "0000000001");
  EXPECT_EQ(screen.cdsRentabIDBLOQUEIAPED->AsString(), "N");
  ExpectFocusOnInitialPercentage(screen);
  screen.Cancelar();

  AnswerSeq(server, "0000000041");
  screen.Incluir();
  EXPECT_EQ(screen.cdsRentabNRSEQRENT->AsString(), "0000000042");
  screen.Cancelar();

  FailSeq(server);  // after one: that answer is used again
  screen.Incluir();
  EXPECT_EQ(screen.cdsRentabNRSEQRENT->AsString(), "0000000042");
  EXPECT_EQ(screen.cdsRentabIDBLOQUEIAPED->AsString(), "N");
  screen.Cancelar();

  EXPECT_TRUE(dialogs_->Shown().empty()) << "a failed GetSeq is not reported";
  EXPECT_FALSE(orv::ShowAviStatus().showing);
}

}  // namespace
