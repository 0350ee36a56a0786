// The road of a change through the standard screen with the real server: include, type the
// bounds, pick the colour, confirm; change a bound; delete after the confirmation; and what the
// server keeps for the next opening of the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "road_fixture.h"
#include "screen_fixture.h"
#include "ui/speed_button.h"

namespace {

using ped06900_test::RealServer;
using road_test::AsUser;
using road_test::ErrorsShown;

class Road : public ped06900_test::ScreenTest {
 protected:
  static void Locate(Cli_ped06900::TfrmRentab& screen, const std::string& key) {
    for (screen.cdsRentab->First(); !screen.cdsRentab->Eof(); screen.cdsRentab->Next()) {
      if (screen.cdsRentabNRSEQRENT->AsString() == key) return;
    }
    FAIL() << "no range " << key;
  }

  // Include, type both bounds as the grid hands them over (decimal comma), pick a colour,
  // confirm: each step as the user runs it.
  void AddRange(Cli_ped06900::TfrmRentab& screen, const char* initial, const char* final,
                double colour) {
    AsUser([&] { screen.sbtIncluir->Click(); });
    screen.cdsRentabVRPERCINIRENT->SetText(initial);
    screen.cdsRentabVRPERCFIMRENT->SetText(final);
    screen.cdsRentabVRCORRENT->SetAsFloat(colour);
    AsUser([&] { screen.sbtConfirmar->Click(); });
  }
};

TEST_F(Road, UserAddsChangesAndDeletesRangesThatTheServerKeeps) {
  RealServer server;
  Cli_ped06900::TfrmRentab* screen = &Open();
  AddRange(*screen, "10,5", "20", 255);
  AddRange(*screen, "20,01", "30", 0);
  EXPECT_TRUE(dialogs_->Shown().empty());

  Close();  // the next opening reads what the server kept
  screen = &Open();
  ASSERT_EQ(ListedKeys(), (std::vector<std::string>{"0000000001", "0000000002"}));
  Locate(*screen, "0000000001");
  EXPECT_EQ(screen->cdsRentabVRPERCINIRENT->AsFloat(), 10.5);
  EXPECT_EQ(screen->cdsRentabVRCORRENT->AsFloat(), 255);
  EXPECT_EQ(screen->cdsRentabIDBLOQUEIAPED->AsString(), "N");

  // A change that another range holds is refused with its message and kept for correction.
  Locate(*screen, "0000000002");
  AsUser([&] { screen->sbtAlterar->Click(); });
  screen->cdsRentabVRPERCINIRENT->SetText("15");
  AsUser([&] { screen->sbtConfirmar->Click(); });
  EXPECT_EQ(ErrorsShown(*dialogs_),
            std::vector<std::string>{"Valor já cadastrado em outro intervalo."});
  EXPECT_EQ(screen->cdsRentab->State(), db::DataSetState::Edit);
  screen->cdsRentabVRPERCINIRENT->SetText("21");
  screen->cdsRentabVRPERCFIMRENT->SetText("35");
  AsUser([&] { screen->sbtConfirmar->Click(); });
  EXPECT_EQ(screen->cdsRentab->State(), db::DataSetState::Browse);
  ASSERT_EQ(server.Stored().size(), 2u);
  EXPECT_EQ(server.Stored()[1].start, 21);
  EXPECT_EQ(server.Stored()[1].end, 35);

  // A delete the user declines does nothing; the confirmed one reaches the server.
  Locate(*screen, "0000000001");
  dialogs_->AnswerConfirm(false);
  AsUser([&] { screen->sbtExcluir->Click(); });
  EXPECT_EQ(server.Stored().size(), 2u);
  dialogs_->AnswerConfirm(true);
  AsUser([&] { screen->sbtExcluir->Click(); });
  EXPECT_EQ(ListedKeys(), std::vector<std::string>{"0000000002"});

  Close();
  Open();
  EXPECT_EQ(ListedKeys(), std::vector<std::string>{"0000000002"});
  EXPECT_EQ(ErrorsShown(*dialogs_).size(), 1u) << "only the refused change was reported";
}

}  // namespace
