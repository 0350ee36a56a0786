// Opening and closing the range screen through IniProc, against the real app server.
#include <gtest/gtest.h>

#include "orv/showavi.h"
#include "orv/valmora.h"
#include "screen_fixture.h"
#include "ui/application.h"

namespace {

using Cli_ped06900::boIdCriado;
using Cli_ped06900::frmRentab;
using ped06900_test::RealServer;
using ped06900_test::ScriptedServer;

const std::vector<ped06900_test::Range> kTwoRanges = {{"0000000001", 0, 10, 255, "S"},
                                                      {"0000000002", 10.5, 20, 65280, "N"}};

class Lifecycle : public ped06900_test::ScreenTest,
                  public testing::WithParamInterface<rtl::Variant> {};

// Whatever the host passes, IniProc opens the screen connected and loaded, shown in front,
// with the cursor back to the default.
TEST_P(Lifecycle, FirstIniProcCreatesConnectsLoadsAndShows) {
  RealServer server(kTwoRanges);
  ASSERT_FALSE(boIdCriado);
  IniProc(GetParam());
  ASSERT_TRUE(boIdCriado);
  EXPECT_TRUE(frmRentab->Visible());
  EXPECT_EQ(frmRentab->WindowState(), ui::TWindowState::wsNormal);
  EXPECT_EQ(frmRentab->FormStyle(), ui::TFormStyle::fsMDIChild);
  EXPECT_TRUE(frmRentab->netRentab->Connected());
  EXPECT_EQ(frmRentab->netRentab->Port(), server.Port());
  EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"0000000001", "0000000002"}));
  EXPECT_EQ(ui::Screen().Cursor(), ui::crDefault);
  EXPECT_FALSE(orv::ShowAviStatus().showing);
}

std::string KindName(const testing::TestParamInfo<rtl::Variant>& info) {
  static const char* const names[] = {"Empty",  "Null",   "Boolean", "Int32", "Int64",
                                      "Double", "String", "Bytes",   "Array"};
  return names[static_cast<int>(info.param.Type())];
}

INSTANTIATE_TEST_SUITE_P(AnyArgument, Lifecycle,
                         testing::Values(rtl::Variant(), rtl::Variant::Null(),
                                         rtl::Variant(int32_t{42}), rtl::Variant("PED06900"),
                                         rtl::Variant(rtl::VariantArray{rtl::Variant(true)})),
                         KindName);

TEST_F(Lifecycle, SecondIniProcOnlyRestoresTheOpenScreen) {
  ScriptedServer server;
  server.Script("GetRentab", [](const rtl::VariantArray&) {
    return ped06900_test::Success(db::EncodePacketVariant(ped06900_test::RangePacket(kTwoRanges)));
  });
  Cli_ped06900::TfrmRentab& screen = Open();
  const uint16_t port = server.Port();
  orv::SetWebServer("127.0.0.1", ped06900_test::ClosedPort());  // a reconnect would go here

  for (ui::TWindowState state : {ui::TWindowState::wsMinimized, ui::TWindowState::wsMaximized}) {
    screen.SetWindowState(state);
    IniProc(rtl::Variant());
    EXPECT_EQ(frmRentab, &screen) << "no second instance";
    EXPECT_EQ(frmRentab->WindowState(), ui::TWindowState::wsNormal);
    EXPECT_TRUE(frmRentab->Visible());
  }
  EXPECT_EQ(server.Calls(), std::vector<std::string>{"GetRentab"}) << "loaded once";
  EXPECT_TRUE(screen.netRentab->Connected());
  EXPECT_EQ(screen.netRentab->Port(), port) << "not reconnected";
}

TEST_F(Lifecycle, CloseClearsTheFlagAndDisconnects) {
  RealServer server(kTwoRanges);
  Cli_ped06900::TfrmRentab& screen = Open();
  screen.Close();
  EXPECT_FALSE(boIdCriado);
  EXPECT_FALSE(screen.netRentab->Connected());  // the instance lives until the next turn
  ui::Application().ProcessMessages();
}

// Were the standard close to keep the window open, the module still counts the screen as
// closed and disconnected, and the next IniProc makes a new one.
TEST_F(Lifecycle, CloseKeptOpenByTheStandardHandlerStillEndsTheInstance) {
  RealServer server(kTwoRanges);
  Cli_ped06900::TfrmRentab& kept = Open();
  ui::TCloseAction action = ui::TCloseAction::caNone;
  kept.FormClose(&kept, action);  // as the form runs it, the window itself staying open
  EXPECT_FALSE(boIdCriado);
  EXPECT_FALSE(kept.netRentab->Connected());

  Cli_ped06900::TfrmRentab& fresh = Open();
  EXPECT_NE(&fresh, &kept);
  EXPECT_TRUE(fresh.netRentab->Connected());
  EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"0000000001", "0000000002"}));
  Close();
  kept.Close();
  ui::Application().ProcessMessages();
}

TEST_F(Lifecycle, IniProcAfterACloseOpensAFreshScreenOnTheServerNamedNow) {
  RealServer first(kTwoRanges);
  Cli_ped06900::TfrmRentab* closed = &Open();
  Close();
  ASSERT_FALSE(boIdCriado);

  RealServer second({{"0000000007", 50, 60, 0, "N"}});  // the host now names another server
  Cli_ped06900::TfrmRentab& reopened = Open();
  EXPECT_TRUE(boIdCriado);
  EXPECT_EQ(frmRentab, &reopened);
  EXPECT_NE(&reopened, closed);
  EXPECT_EQ(reopened.netRentab->Port(), second.Port());
  EXPECT_EQ(ListedKeys(), std::vector<std::string>{"0000000007"});
}

}  // namespace
