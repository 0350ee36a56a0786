// The module state, the entry IniProc, and the range screen's connection, loading and close.

#include "Cli_ped06900.h"

#include "Cli_ped06900_remote.h"
#include "orv/showavi.h"
#include "orv/valmora.h"
#include "ui/application.h"

namespace Cli_ped06900 {

TfrmRentab* frmRentab = nullptr;
bool boIdCriado = false;

namespace {

// Opens the screen: creates it while none is open, then brings it back to normal size and
// shows it, not modally, under the hourglass cursor.
void CriaRentab() {
  ui::Screen().SetCursor(ui::crHourGlass);
  try {
    if (!boIdCriado) {
      frmRentab = ui::Application().CreateForm<TfrmRentab>(&ui::Application());
      boIdCriado = true;
    }
    frmRentab->SetWindowState(ui::TWindowState::wsNormal);
    frmRentab->Show();
  } catch (...) {
    // The failure goes on to the host, but the cursor must not stay an hourglass over an idle
    // client.
    ui::Screen().SetCursor(ui::crDefault);
    throw;
  }
  ui::Screen().SetCursor(ui::crDefault);
}

}  // namespace

void TfrmRentab::netRentabBeforeConnect(net::TNetConnection&) {
  netRentab->SetHost(orv::WebURL());
  netRentab->SetPort(orv::WebPort());
}

void TfrmRentab::FormCreate(ui::TComponent* Sender) {
  frm::TfrmPadraoGrid::FormCreate(Sender);
  netRentab->SetConnected(true);
  RemoteRead(
      orv::aviLendo, [this] { return CallServer("GetRentab"); }, *cdsRentab,
      [this] { cdsRentab->CreateDataSet(); });
}

void TfrmRentab::FormClose(ui::TComponent* Sender, ui::TCloseAction& Action) {
  frm::TfrmPadraoGrid::FormClose(Sender, Action);
  boIdCriado = false;
  netRentab->SetConnected(false);
}

void TfrmRentab::sbtVerificarClick(ui::TComponent*) {
  RemoteRead(
      orv::aviLendo, [this] { return CallServer("GetRentab"); }, *cdsRentab);
}

rtl::Variant TfrmRentab::CallServer(const std::string& method, const rtl::VariantArray& args) {
  return netRentab->AppServer().Call(method, args);
}

}  // namespace Cli_ped06900

void IniProc(const rtl::Variant&) {
  Cli_ped06900::CriaRentab();
}
