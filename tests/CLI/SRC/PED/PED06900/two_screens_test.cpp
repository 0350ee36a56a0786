// Two screens changing the range table at the same time, each on its own connection to the
// real server: the server keeps the first save, and the other screen rolls its change back and
// shows the server's message.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "road_fixture.h"
#include "screen_fixture.h"
#include "ui/application.h"
#include "ui/speed_button.h"

namespace {

using Cli_ped06900::TfrmRentab;
using ped06900_test::RealServer;
using road_test::AsUser;
using road_test::ErrorsShown;

const std::vector<ped06900_test::Range> kStored = {{"0000000001", 0, 8, 255, "S"},
                                                   {"0000000002", 10, 20, 65280, "N"}};

class TwoScreens : public ped06900_test::ScreenTest {
 protected:
  // A second screen, as another user's client has it; the module's own instance is untouched.
  std::unique_ptr<TfrmRentab> OtherScreen() {
    return std::unique_ptr<TfrmRentab>(ui::Application().CreateForm<TfrmRentab>());
  }

  static std::vector<std::string> Keys(TfrmRentab& screen) {
    std::vector<std::string> keys;
    for (screen.cdsRentab->First(); !screen.cdsRentab->Eof(); screen.cdsRentab->Next()) {
      keys.push_back(screen.cdsRentabNRSEQRENT->AsString());
    }
    return keys;
  }

  static void TypeRange(TfrmRentab& screen, double initial, double final) {
    screen.cdsRentabVRPERCINIRENT->SetAsFloat(initial);
    screen.cdsRentabVRPERCFIMRENT->SetAsFloat(final);
    screen.cdsRentabVRCORRENT->SetAsFloat(0);
  }

  static void ExpectRolledBack(TfrmRentab& screen) {
    EXPECT_EQ(screen.cdsRentab->State(), db::DataSetState::Browse);
    EXPECT_EQ(screen.cdsRentab->ChangeCount(), 0);
  }
};

TEST_F(TwoScreens, SameNewKeyAtOnce) {
  RealServer server(kStored);
  TfrmRentab& mine = Open();
  std::unique_ptr<TfrmRentab> other = OtherScreen();
  mine.Incluir();
  other->Incluir();
  ASSERT_EQ(mine.cdsRentabNRSEQRENT->AsString(), "0000000003");
  ASSERT_EQ(other->cdsRentabNRSEQRENT->AsString(), "0000000003");
  TypeRange(mine, 30, 40);
  TypeRange(*other, 50, 60);

  AsUser([&] { mine.sbtConfirmar->Click(); });
  EXPECT_TRUE(ErrorsShown(*dialogs_).empty());
  AsUser([&] { other->sbtConfirmar->Click(); });

  const auto errors = ErrorsShown(*dialogs_);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("0000000003"), std::string::npos) << errors[0];
  ExpectRolledBack(*other);
  EXPECT_EQ(Keys(*other), (std::vector<std::string>{"0000000001", "0000000002"}));
  const auto stored = server.Stored();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[2].start, 30) << "the first save is the one kept";
}

TEST_F(TwoScreens, OverlappingRangesAtOnce) {
  RealServer server(kStored);
  TfrmRentab& mine = Open();
  std::unique_ptr<TfrmRentab> other = OtherScreen();

  // The other user widens 10-20 to 10-35 in the moment between this screen's checks of its new
  // range 30-40 and its save: both checks saw no overlap.
  other->cdsRentab->Last();
  other->Alterar();
  other->cdsRentabVRPERCFIMRENT->SetAsFloat(35);
  const auto checks = mine.cdsRentab->BeforePost;
  mine.cdsRentab->BeforePost = [&](db::TDataSet& dataSet) {
    checks(dataSet);
    AsUser([&] { other->sbtConfirmar->Click(); });
  };
  mine.Incluir();
  TypeRange(mine, 30, 40);
  AsUser([&] { mine.sbtConfirmar->Click(); });
  mine.cdsRentab->BeforePost = checks;

  const auto errors = ErrorsShown(*dialogs_);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("0000000002"), std::string::npos) << errors[0];
  ExpectRolledBack(mine);
  EXPECT_EQ(Keys(mine), (std::vector<std::string>{"0000000001", "0000000002"}));
  ExpectRolledBack(*other);
  const auto stored = server.Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].end, 35) << "the other user's save is the one kept";
}

}  // namespace
