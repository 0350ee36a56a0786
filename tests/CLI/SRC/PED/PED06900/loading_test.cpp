// Loading the range list when the screen opens and on the refresh command, when the server is
// down, refuses, or the user is in the middle of a change.
#include <gtest/gtest.h>

#include "orv/showavi.h"
#include "orv/valmora.h"
#include "screen_fixture.h"
#include "ui/application.h"
#include "ui/speed_button.h"

namespace {

using ped06900_test::Failure;
using ped06900_test::RangePacket;
using ped06900_test::RealServer;
using ped06900_test::ScriptedServer;
using ped06900_test::Success;

const std::vector<ped06900_test::Range> kTwoRanges = {{"0000000001", 0, 10, 255, "S"},
                                                      {"0000000002", 10.5, 20, 65280, "N"}};

using Loading = ped06900_test::ScreenTest;

TEST_F(Loading, ServerDownWhenOpeningGivesAnEmptyListAndNoMessage) {
  orv::SetWebServer("127.0.0.1", ped06900_test::ClosedPort());
  Cli_ped06900::TfrmRentab& screen = Open();
  EXPECT_TRUE(Cli_ped06900::boIdCriado);
  EXPECT_TRUE(screen.Visible());
  EXPECT_TRUE(screen.cdsRentab->Active());
  EXPECT_TRUE(screen.cdsRentab->IsEmpty());
  EXPECT_TRUE(dialogs_->Shown().empty());
  EXPECT_FALSE(orv::ShowAviStatus().showing);
  EXPECT_EQ(ui::Screen().Cursor(), ui::crDefault);
}

TEST_F(Loading, EmptyTableGivesAnEmptyListAndNothingFails) {
  RealServer server;
  Cli_ped06900::TfrmRentab& screen = Open();
  EXPECT_TRUE(screen.cdsRentab->Active());
  EXPECT_TRUE(screen.cdsRentab->IsEmpty());
  EXPECT_EQ(screen.cdsRentab->State(), db::DataSetState::Browse);
  EXPECT_TRUE(dialogs_->Shown().empty());
}

TEST_F(Loading, RefusedLoadOnOpeningIsDroppedLikeAnUnreachableServer) {
  ScriptedServer server;
  server.Script("GetRentab",
                [](const rtl::VariantArray&) { return Failure("Banco indisponível"); });
  Cli_ped06900::TfrmRentab& screen = Open();
  EXPECT_TRUE(screen.cdsRentab->Active());
  EXPECT_TRUE(screen.cdsRentab->IsEmpty());
  EXPECT_TRUE(dialogs_->Shown().empty());
  EXPECT_FALSE(orv::ShowAviStatus().showing);
}

TEST_F(Loading, RefreshShowsTheServersCurrentList) {
  RealServer server(kTwoRanges);
  Cli_ped06900::TfrmRentab& screen = Open();
  server.Store({{"0000000003", 30, 40, 0, "N"}});  // another user's range
  screen.sbtVerificar->Click();
  EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"0000000001", "0000000002", "0000000003"}));
  EXPECT_FALSE(orv::ShowAviStatus().showing);
}

TEST_F(Loading, RefusedRefreshKeepsTheListShown) {
  ScriptedServer server;
  server.Script("GetRentab", [](const rtl::VariantArray&) {
    return Success(db::EncodePacketVariant(RangePacket(kTwoRanges)));
  });
  Cli_ped06900::TfrmRentab& screen = Open();
  server.Script("GetRentab", [](const rtl::VariantArray&) { return Failure("Tabela bloqueada"); });
  screen.sbtVerificar->Click();
  EXPECT_EQ(server.Calls(), (std::vector<std::string>{"GetRentab", "GetRentab"}));
  EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"0000000001", "0000000002"}));
  EXPECT_TRUE(dialogs_->Shown().empty());
  EXPECT_FALSE(orv::ShowAviStatus().showing);
}

TEST_F(Loading, RefreshDuringAnEditOrInsertDropsItUnsentAndShowsTheServersList) {
  struct Case {
    const char* name;
    void (*change)(db::TClientDataSet&);
  };
  const Case cases[] = {
      {"edit",
       [](db::TClientDataSet& ranges) {
         ranges.Edit();
         ranges.FieldByName("VRPERCFIMRENT").SetAsFloat(99);
       }},
      {"insert",
       [](db::TClientDataSet& ranges) {
         ranges.Append();
         ranges.FieldByName("NRSEQRENT").SetAsString("0000000009");
         ranges.FieldByName("VRPERCINIRENT").SetAsFloat(70);
         ranges.FieldByName("VRPERCFIMRENT").SetAsFloat(80);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RealServer server(kTwoRanges);
    Cli_ped06900::TfrmRentab& screen = Open();
    c.change(*screen.cdsRentab);
    screen.sbtVerificar->Click();
    EXPECT_EQ(screen.cdsRentab->State(), db::DataSetState::Browse);
    EXPECT_EQ(screen.cdsRentab->ChangeCount(), 0);
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"0000000001", "0000000002"}));
    screen.cdsRentab->Last();
    EXPECT_EQ(screen.cdsRentab->FieldByName("VRPERCFIMRENT").AsFloat(), 20);
    EXPECT_EQ(server.Stored().size(), 2u) << "nothing sent";
    EXPECT_TRUE(dialogs_->Shown().empty());
    Close();
  }
}

}  // namespace
