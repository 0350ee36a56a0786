// The grid's editing commands (pick colour, toggle flag), the keys that run them, the in-place
// editing rule, the enabling of listing and print by the editing state, printing and activation.

#include "Cli_ped06900.h"
#include "Cli_ped06901.h"
#include "db/datasource.h"
#include "ui/keys.h"
#include "ui/menus.h"
#include "ui/speed_button.h"

namespace Cli_ped06900 {
namespace {

// Whether the grid's selected column shows the field of exactly that name.
bool SelectedFieldIs(const ui::TDBGrid& grid, std::string_view name) {
  const db::TField* field = grid.SelectedField();
  return field && field->FieldName() == name;
}

bool Editing(db::DataSetState state) {
  return state == db::DataSetState::Edit || state == db::DataSetState::Insert;
}

}  // namespace

void TfrmRentab::Anterior1Click(ui::TComponent* Sender) {
  frm::TfrmPadraoGrid::Anterior1Click(Sender);
  Invalidate();
  Repaint();
}

// Pick colour on the colour column, toggle flag on the flag column; neither posts.
void TfrmRentab::dbgPadraoDblClick(ui::TComponent*) {
  if (SelectedFieldIs(*dbgPadrao, "VRCORRENT") && cldCor->Execute()) {
    if (dtsPadrao->State() == db::DataSetState::Browse) cdsRentab->Edit();
    cdsRentabVRCORRENT->SetAsFloat(cldCor->Color());
  }
  if (SelectedFieldIs(*dbgPadrao, "IDBLOQUEIAPED") && cdsRentab->Active() &&
      cdsRentab->RecordCount() > 0 && dtsPadrao->State() != db::DataSetState::Insert) {
    cdsRentab->Edit();
    db::TField& flag = cdsRentab->FieldByName("IDBLOQUEIAPED");
    flag.SetAsString(flag.AsString() == "S" ? "N" : "S");
  }
}

// Typing is allowed in the two percentage columns only.
void TfrmRentab::dbgPadraoColEnter(ui::TComponent*) {
  ui::TDBGridOptions options = dbgPadrao->Options();
  if (SelectedFieldIs(*dbgPadrao, "VRPERCINIRENT") ||
      SelectedFieldIs(*dbgPadrao, "VRPERCFIMRENT")) {
    options.Include(ui::TDBGridOption::dgEditing);
  } else {
    options.Exclude(ui::TDBGridOption::dgEditing);
  }
  dbgPadrao->SetOptions(options);
}

void TfrmRentab::cdsRentabAfterCancel(db::TDataSet&) {
  dtsPadraoStateChange(dtsPadrao);
}

void TfrmRentab::dbgPadraoKeyDown(ui::TComponent* Sender, uint16_t& Key, ui::TShiftState Shift) {
  frm::TfrmPadraoGrid::dbgPadraoKeyDown(Sender, Key, Shift);
  if (SelectedFieldIs(*dbgPadrao, "VRCORRENT") && Key == ui::VK_F9) dbgPadraoDblClick(dbgPadrao);
  if (SelectedFieldIs(*dbgPadrao, "IDBLOQUEIAPED") && Key == ui::VK_SPACE) {
    dbgPadraoDblClick(dbgPadrao);
  }
}

// Listing and print are offered only while no range is being edited or inserted.
void TfrmRentab::dtsPadraoStateChange(db::TDataSource* Sender) {
  frm::TfrmPadraoGrid::dtsPadraoStateChange(Sender);
  mnuListagem->SetEnabled(!Editing(dtsPadrao->State()));
  sbtImprimir->SetEnabled(mnuListagem->Enabled());
}

void TfrmRentab::sbtImprimirClick(ui::TComponent*) {
  Cli_ped06901::CriaRelRentab();
}

void TfrmRentab::dbgPadraoCellClick(ui::TColumn*) {
  dbgPadraoColEnter(dbgPadrao);
}

}  // namespace Cli_ped06900
