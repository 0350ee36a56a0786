// The grid's drawing of the flag column (check boxes) and the colour column (colour patches),
// painted over the grid's default drawing of those cells.

#include "Cli_ped06900.h"
#include "rtl/convert.h"

namespace Cli_ped06900 {
namespace {

// Where the check box sits inside its cell: 36 pixels from the left edge, at the top.
constexpr int kPictureLeft = 36;

// The colour a colour cell is filled with: the stored 0x00BBGGRR number, or the tool-tip
// background when the field holds no whole number of that form (nothing, a fraction, or a
// number that would read as a system colour).
ui::TColor CellColour(const db::TField& field) {
  const auto number = rtl::TryStrToInt(field.AsString());
  if (!number || *number < 0 || *number > 0xFFFFFF) return ui::ColorToRGB(ui::clInfoBk);
  return *number;
}

}  // namespace

void TfrmRentab::dbgPadraoDrawColumnCell(ui::TComponent*, const ui::TRect& Rect, int,
                                         ui::TColumn* Column, ui::TGridDrawState) {
  ui::TCanvas& canvas = dbgPadrao->Canvas();
  db::TField* field = Column->Field();

  if (cdsRentab->RecordCount() > 0 && field && field->FieldName() == "IDBLOQUEIAPED") {
    ui::TBitmap bmPict;
    const std::string flag = field->AsString();
    if (flag == "S") {
      bmPict = imgCheck->Picture();
    } else if (flag == "N" || flag.empty()) {
      bmPict = imgUncheck->Picture();
    }
    canvas.FillRect(Rect);  // wipes the default text
    const int width = bmPict.Width();
    const int height = Rect.Height();
    canvas.BrushCopy(ui::Bounds(Rect.Left + kPictureLeft, Rect.Top, width, height), bmPict,
                     ui::Bounds(0, 0, width, height), ui::clOlive);
  }

  if (field == cdsRentabVRCORRENT) {
    canvas.Brush().SetColor(CellColour(*field));
    canvas.FillRect(Rect);
  }
}

}  // namespace Cli_ped06900
