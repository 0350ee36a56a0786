// The range grid as the user works it: check boxes and colour patches as painted, the colour
// and flag commands with their keys, where typing
// is allowed, the listing and print enabling, and the print button opening the report screen
// modally.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "Cli_ped06901.h"
#include "screen_fixture.h"
#include "ui/application.h"
#include "ui/keys.h"
#include "ui/menus.h"
#include "ui/speed_button.h"

namespace {

using ped06900_test::Range;
using ped06900_test::ScriptedServer;

enum Col { kStart = 0, kEnd = 1, kFlag = 2, kColour = 3 };

class Grid : public ped06900_test::ScreenTest {
 protected:
  // Serves `rows` (any flag or colour, as a scripted server may) and opens the screen.
  Cli_ped06900::TfrmRentab& OpenWith(const db::DataPacket& rows) {
    server_.Script("GetRentab", [packet = db::EncodePacketVariant(rows)](const rtl::VariantArray&) {
      return ped06900_test::Success(packet);
    });
    screen_ = &Open();
    ui::Application().ProcessMessages();
    return *screen_;
  }

  // The grid as painted now, in its own coordinates, and the colour of one pixel of it.
  QImage Painted() {
    ui::Application().ProcessMessages();
    return screen_->dbgPadrao->Widget()->grab().toImage();
  }
  static ui::TColor PixelAt(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return ui::RGB(c.red(), c.green(), c.blue());
  }

  uint16_t Press(uint16_t key, ui::TShiftState shift = {}) {
    screen_->dbgPadrao->OnKeyDown(screen_->dbgPadrao, key, shift);
    return key;
  }

  ScriptedServer server_;
  Cli_ped06900::TfrmRentab* screen_ = nullptr;
};

db::DataPacket FlagsAndColours() {
  db::DataPacket packet = ped06900_test::RangePacket({{"0000000001", 0, 1, 255, "S"},
                                                      {"0000000002", 2, 3, 65280, "N"},
                                                      {"0000000003", 4, 5, 16711680, ""},
                                                      {"0000000004", 6, 7, 0, "X"},
                                                      {"0000000005", 8, 9, 12.5, "s"},
                                                      {"0000000006", 10, 11, 0, "N"}});
  packet.rows[5][3] = rtl::Variant::Null();  // a range without a colour
  return packet;
}

TEST_F(Grid, FlagCellsShowTheBoxAndColourCellsTheRangesColour) {
  OpenWith(FlagsAndColours());
  screen_->cdsRentab->Last();  // the highlighted row is the last one
  const QImage image = Painted();
  const ui::TColor infoBk = ui::ColorToRGB(ui::clInfoBk);
  struct Row {
    int row;
    bool box;
    bool ticked;
    ui::TColor fill;  // of the colour cell
  };
  const Row rows[] = {{0, true, true, ui::clRed},   {1, true, false, ui::clLime},
                      {2, true, false, ui::clBlue}, {3, false, false, ui::clBlack},
                      {4, false, false, infoBk},    {5, true, false, infoBk}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.row);
    const ui::TRect flag = screen_->dbgPadrao->CellRect(kFlag, r.row);
    ASSERT_GE(flag.Height(), 14);
    const int x = flag.Left + 36;
    const ui::TColor background = PixelAt(image, flag.Left + 2, flag.Top + 2);
    EXPECT_EQ(PixelAt(image, x + 2, flag.Top + 2), r.box ? ui::clBlack : background) << "frame";
    EXPECT_EQ(PixelAt(image, x + 13, flag.Top + 5), r.box ? ui::clSilver : background);
    EXPECT_EQ(PixelAt(image, x, flag.Top), background) << "olive shows the cell beneath";
    EXPECT_EQ(PixelAt(image, x + 12, flag.Top + 5), background) << "so does the gap";
    EXPECT_EQ(PixelAt(image, x + 10, flag.Top + 4),
              r.ticked ? ui::clBlack : (r.box ? ui::clWhite : background));
    const ui::TRect colour = screen_->dbgPadrao->CellRect(kColour, r.row);
    EXPECT_EQ(PixelAt(image, (colour.Left + colour.Right) / 2, (colour.Top + colour.Bottom) / 2),
              r.fill);
  }
}

TEST_F(Grid, ColourCommandStoresTheChosenColourAndFollowsTheDialogsLastChoice) {
  OpenWith(FlagsAndColours());
  screen_->dbgPadrao->SetSelectedIndex(kColour);
  dialogs_->AnswerColor(std::nullopt);  // cancelled: nothing changes
  screen_->dbgPadraoDblClick(screen_->dbgPadrao);
  EXPECT_EQ(screen_->cdsRentab->State(), db::DataSetState::Browse);

  dialogs_->AnswerColor(ui::clRed);
  EXPECT_EQ(Press(ui::VK_F9, ui::TShiftFlag::ssShift), ui::VK_F9) << "the key is left as it was";
  EXPECT_EQ(screen_->cdsRentab->State(), db::DataSetState::Edit);
  EXPECT_EQ(screen_->cdsRentabVRCORRENT->AsFloat(), 255);
  EXPECT_FALSE(screen_->mnuListagem->Enabled());
  EXPECT_FALSE(screen_->sbtImprimir->Enabled());

  screen_->cdsRentab->Cancel();
  EXPECT_TRUE(screen_->mnuListagem->Enabled());
  EXPECT_TRUE(screen_->sbtImprimir->Enabled());

  screen_->cdsRentab->Next();
  dialogs_->AnswerColor(ui::clBlue);
  screen_->dbgPadraoDblClick(screen_->dbgPadrao);
  const std::vector<ui::TColor> initials = {ui::ColorToRGB(ui::clInfoBk),
                                            ui::ColorToRGB(ui::clInfoBk), ui::clRed};
  EXPECT_EQ(dialogs_->ColorDialogInitials(), initials) << "not preset from the range";
  screen_->cdsRentab->Cancel();
}

TEST_F(Grid, FlagCommandSwitchesTheFlagAndBackWithSpaceOnly) {
  OpenWith(FlagsAndColours());
  screen_->dbgPadrao->SetSelectedIndex(kFlag);
  Press(ui::VK_SPACE, ui::TShiftFlag::ssCtrl);
  EXPECT_EQ(screen_->cdsRentabIDBLOQUEIAPED->AsString(), "N");
  EXPECT_EQ(screen_->cdsRentab->State(), db::DataSetState::Edit);
  Press(ui::VK_SPACE);
  EXPECT_EQ(screen_->cdsRentabIDBLOQUEIAPED->AsString(), "S");
  Press(ui::VK_F9);  // F9 belongs to the colour column
  EXPECT_EQ(screen_->cdsRentabIDBLOQUEIAPED->AsString(), "S");
  EXPECT_EQ(screen_->cdsRentab->State(), db::DataSetState::Edit);
  screen_->cdsRentab->Cancel();

  for (int column : {kStart, kEnd, kColour}) {
    screen_->dbgPadrao->SetSelectedIndex(column);
    Press(ui::VK_SPACE);
    EXPECT_EQ(screen_->cdsRentab->State(), db::DataSetState::Browse) << column;
  }
  EXPECT_TRUE(dialogs_->Shown().empty()) << "no dialog opened by space or F9 elsewhere";
}

TEST_F(Grid, TypingIsAllowedInThePercentageColumnsOnly) {
  OpenWith(FlagsAndColours());
  for (int column : {kFlag, kStart, kColour, kEnd}) {
    screen_->dbgPadrao->SetSelectedIndex(column);
    screen_->dbgPadraoCellClick(screen_->dbgPadrao->Columns()[column]);
    EXPECT_EQ(screen_->dbgPadrao->Options().Contains(ui::TDBGridOption::dgEditing),
              column == kStart || column == kEnd)
        << column;
  }
}

TEST_F(Grid, PrintOpensTheReportScreenModallyAFreshOneEachTime) {
  OpenWith(FlagsAndColours());
  for (int print = 0; print < 2; ++print) {
    Cli_ped06901::TfrmRelRentab* shown = nullptr;
    QTimer::singleShot(0, [&] {
      shown = Cli_ped06901::frmRelRentab;
      EXPECT_TRUE(Cli_ped06901::boIdCriado);
      EXPECT_TRUE(shown->Modal());
      EXPECT_EQ(shown->Caption(), "Rentabilidade");
      shown->Close();
    });
    screen_->sbtImprimir->Click();
    EXPECT_NE(shown, nullptr);
    EXPECT_FALSE(Cli_ped06901::boIdCriado);
    EXPECT_EQ(ui::Screen().Cursor(), ui::crDefault);
    ui::Application().ProcessMessages();
  }
  EXPECT_EQ(screen_->cdsRentab->RecordCount(), 6) << "the list is untouched";
}

}  // namespace
