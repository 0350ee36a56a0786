// The checks before a range is posted: their order, the message and focus of each, the values
// the server is asked about, the insert and edit overlap rules, and the key filter over the
// server's answer that must not outlive its test.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "orv/showavi.h"
#include "road_fixture.h"
#include "screen_fixture.h"
#include "ui/db_grid.h"
#include "ui/speed_button.h"

namespace {

using ped06900_test::RangePacket;
using ped06900_test::ScriptedServer;
using ped06900_test::Success;
using road_test::AsUser;
using road_test::ErrorsShown;
using road_test::IntervalScript;

const char* const kVrIni = "Valor Inicial deve ser informado.";
const char* const kVrFim = "Valor Final deve ser informado.";
const char* const kCor = "Cor deve ser definida.";
const char* const kOrder = "Valor Inicial deve ser menor que o Valor Final.";
const char* const kInterv = "Valor já cadastrado em outro intervalo.";

// Stored: 0 to 8 (key 2) and 10 to 20 (key 1).
const std::vector<ped06900_test::Range> kStored = {{"0000000002", 0, 8, 255, "N"},
                                                   {"0000000001", 10, 20, 65280, "S"}};

enum class Bound { Initial, Final, Colour };

class Validation : public ped06900_test::ScreenTest {
 protected:
  Cli_ped06900::TfrmRentab& OpenOnScript() {
    server_.Script("GetRentab", [](const rtl::VariantArray&) {
      return Success(db::EncodePacketVariant(RangePacket(kStored)));
    });
    server_.Script(
        "GetSeq", [](const rtl::VariantArray&) { return road_test::SequenceAnswer("0000000002"); });
    server_.Script("GetIntervalo", intervals_.Answer());
    server_.Script("SetRentab", [](const rtl::VariantArray&) { return Success(rtl::Variant()); });
    return Open();
  }

  // Makes the stored range keyed `key` the current record, in edit state.
  void EditStored(Cli_ped06900::TfrmRentab& screen, const std::string& key) {
    for (screen.cdsRentab->First(); !screen.cdsRentab->Eof(); screen.cdsRentab->Next()) {
      if (screen.cdsRentabNRSEQRENT->AsString() == key) break;
    }
    ASSERT_EQ(screen.cdsRentabNRSEQRENT->AsString(), key);
    screen.Alterar();
  }

  static db::TField* FieldOf(Cli_ped06900::TfrmRentab& screen, Bound bound) {
    switch (bound) {
      case Bound::Initial:
        return screen.cdsRentabVRPERCINIRENT;
      case Bound::Final:
        return screen.cdsRentabVRPERCFIMRENT;
      case Bound::Colour:
        return screen.cdsRentabVRCORRENT;
    }
    return nullptr;
  }

  // Confirms as the user does; expects the post refused with `message`, focus on `bound`, and
  // the record still being changed.
  void ExpectRefused(Cli_ped06900::TfrmRentab& screen, const char* message, Bound bound,
                     db::DataSetState state) {
    dialogs_->ClearShown();
    AsUser([&] { screen.sbtConfirmar->Click(); });
    EXPECT_EQ(ErrorsShown(*dialogs_), std::vector<std::string>{message});
    EXPECT_EQ(screen.dbgPadrao->SelectedField(), FieldOf(screen, bound));
    EXPECT_EQ(screen.cdsRentab->State(), state);
    EXPECT_EQ(screen.cdsRentab->ChangeCount(), 0);
    EXPECT_FALSE(screen.cdsAuxiliar->Filtered());
    EXPECT_FALSE(orv::ShowAviStatus().showing);
  }

  void ExpectPosted(Cli_ped06900::TfrmRentab& screen) {
    dialogs_->ClearShown();
    AsUser([&] { screen.sbtConfirmar->Click(); });
    EXPECT_TRUE(dialogs_->Shown().empty());
    EXPECT_EQ(screen.cdsRentab->State(), db::DataSetState::Browse);
    EXPECT_FALSE(screen.cdsAuxiliar->Filtered());
    EXPECT_FALSE(orv::ShowAviStatus().showing);
  }

  ScriptedServer server_;
  IntervalScript intervals_;
};

void SetBounds(Cli_ped06900::TfrmRentab& screen, std::optional<double> initial,
               std::optional<double> final, std::optional<double> colour) {
  if (initial) screen.cdsRentabVRPERCINIRENT->SetAsFloat(*initial);
  if (final) screen.cdsRentabVRPERCFIMRENT->SetAsFloat(*final);
  if (colour) screen.cdsRentabVRCORRENT->SetAsFloat(*colour);
}

TEST_F(Validation, NewRangeIsCheckedInOrderAndRefusedAtTheFirstFailure) {
  intervals_.Hold(15, {"0000000001"});
  intervals_.Hold(20, {"0000000001"});
  struct Case {
    const char* name;
    std::optional<double> initial, final, colour;
    const char* message;  // null: the post passes
    Bound focus;
    std::vector<double> asked;  // values sent to GetIntervalo, in order
  };
  const Case cases[] = {
      {"nothing typed: the initial first, the colour not mentioned",
       {},
       {},
       {},
       kVrIni,
       Bound::Initial,
       {}},
      {"no final", 30, {}, 0, kVrFim, Bound::Final, {}},
      {"presence before order", 30, 20, {}, kCor, Bound::Colour, {}},
      {"black is a colour; then the order", 30, 20, 0, kOrder, Bound::Initial, {}},
      {"equal", 10, 10, 0, kOrder, Bound::Initial, {}},
      {"equal after rounding", 10.001, 10.004, 0, kOrder, Bound::Initial, {}},
      {"initial inside a stored range: one query", 15, 30, 0, kInterv, Bound::Initial, {15}},
      {"final inside a stored range", 9, 20, 0, kInterv, Bound::Final, {9, 20}},
      {"apart after rounding; sent unrounded",
       9.994,
       10.004,
       0,
       nullptr,
       Bound::Initial,
       {9.994, 10.004}},
      {"around a stored range: only the bounds count",
       5.5,
       25,
       0,
       nullptr,
       Bound::Initial,
       {5.5, 25}},
  };
  Cli_ped06900::TfrmRentab& screen = OpenOnScript();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    screen.Incluir();
    SetBounds(screen, c.initial, c.final, c.colour);
    intervals_.ClearAsked();
    if (c.message) {
      ExpectRefused(screen, c.message, c.focus, db::DataSetState::Insert);
      screen.Cancelar();
    } else {
      ExpectPosted(screen);
    }
    EXPECT_EQ(intervals_.Asked(), c.asked);
  }
}

TEST_F(Validation, EditedRangeIsRefusedOnlyForAChangedBoundThatAnotherRangeHolds) {
  // The server reports the edited range itself for its own values, and range 2 for 5.
  intervals_.Hold(5, {"0000000002"});
  intervals_.Hold(10, {"0000000001"});
  intervals_.Hold(12, {"0000000001"});
  intervals_.Hold(20, {"0000000001"});
  struct Case {
    const char* name;
    std::optional<double> initial, final, colour;
    const char* message;
    Bound focus;
  };
  const Case cases[] = {
      {"moved inside its own range", 12, {}, {}, nullptr, Bound::Initial},
      {"moved into another range", 5, {}, {}, kInterv, Bound::Initial},
      {"colour only", {}, {}, 0, nullptr, Bound::Initial},
      {"order still checked", 25, {}, {}, kOrder, Bound::Initial},
  };
  Cli_ped06900::TfrmRentab& screen = OpenOnScript();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditStored(screen, "0000000001");
    SetBounds(screen, c.initial, c.final, c.colour);
    if (c.message) {
      ExpectRefused(screen, c.message, c.focus, db::DataSetState::Edit);
      screen.Cancelar();
    } else {
      ExpectPosted(screen);
      // Saved and merged: back to 10 to 20 for the next case, as the server holds it.
      EditStored(screen, "0000000001");
      SetBounds(screen, 10, 20, 65280);
      ExpectPosted(screen);
    }
  }
}

TEST_F(Validation, UnchangedBoundsPassWhateverRangesTheServerReports) {
  // Another range reported for both stored bounds (as a concurrent user could have stored).
  intervals_.Hold(10, {"0000000002"});
  intervals_.Hold(20, {"0000000002"});
  Cli_ped06900::TfrmRentab& screen = OpenOnScript();

  EditStored(screen, "0000000001");
  screen.cdsRentabIDBLOQUEIAPED->SetAsString("N");
  ExpectPosted(screen);
  EXPECT_EQ(intervals_.Asked(), (std::vector<double>{10, 20})) << "both still asked";

  EditStored(screen, "0000000001");
  SetBounds(screen, 11, {}, {});
  SetBounds(screen, 10, {}, {});  // its previous value typed again
  ExpectPosted(screen);
}

TEST_F(Validation, KeyFilterDoesNotOutliveItsTest) {
  intervals_.Hold(5, {"0000000002"});
  intervals_.Hold(15, {"0000000001"});
  Cli_ped06900::TfrmRentab& screen = OpenOnScript();

  EditStored(screen, "0000000001");
  SetBounds(screen, 5, {}, {});
  ExpectRefused(screen, kInterv, Bound::Initial, db::DataSetState::Edit);
  screen.Cancelar();

  // A new range inside the range whose key was excluded a moment ago.
  screen.Incluir();
  SetBounds(screen, 15, 30, 0);
  ExpectRefused(screen, kInterv, Bound::Initial, db::DataSetState::Insert);
}

TEST_F(Validation, FailedQueryLetsItsBoundPassInsteadOfTestingAnEarlierAnswer) {
  intervals_.Hold(15, {"0000000001"});
  Cli_ped06900::TfrmRentab& screen = OpenOnScript();

  intervals_.SetFailing(true);  // before any answer of the screen's life
  screen.Incluir();
  SetBounds(screen, 15, 30, 0);
  ExpectPosted(screen);

  intervals_.SetFailing(false);
  screen.Incluir();
  SetBounds(screen, 15, 30, 0);
  ExpectRefused(screen, kInterv, Bound::Initial, db::DataSetState::Insert);
  screen.Cancelar();

  // The rows of that refusal say nothing about 40 and 50.
  intervals_.SetFailing(true);
  intervals_.ClearAsked();
  screen.Incluir();
  SetBounds(screen, 40, 50, 0);
  ExpectPosted(screen);
  EXPECT_EQ(intervals_.Asked(), (std::vector<double>{40, 50}));
}

TEST_F(Validation, NothingIsCheckedOutsideAnEditOrInsert) {
  server_.Script("GetRentab", [](const rtl::VariantArray&) {
    return Success(db::EncodePacketVariant(RangePacket({})));
  });
  server_.Script("GetIntervalo", intervals_.Answer());
  Cli_ped06900::TfrmRentab& screen = Open();
  screen.vd_Itens();  // no record at all: every check would fail
  EXPECT_TRUE(dialogs_->Shown().empty());
  EXPECT_TRUE(intervals_.Asked().empty());
}

}  // namespace
