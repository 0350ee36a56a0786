#pragma once
// Unit Cli_ped06900: the profitability range maintenance screen TfrmRentab ("Rentabilidade",
// screen code PED06900), the module's single instance of it, and the host's entry IniProc.
//
// IniProc opens the screen as an MDI child of the host's main window: the first call, and the
// first call after a close, create a new instance (which connects to the application server
// and loads the ranges); a call while it is open only brings it back to normal size, in front.
// Failures of the opening reach the host unchanged. Closing the screen runs the standard
// close, clears boIdCriado and switches the connection off.

#include <cstdint>
#include <memory>

#include "db/dataset.h"
#include "db/field.h"
#include "frm/frmpadrgrid.h"
#include "net/connection.h"
#include "orv/netconnection.h"
#include "rtl/package.h"
#include "rtl/variant.h"
#include "ui/color_dialog.h"
#include "ui/db_grid.h"
#include "ui/image.h"

namespace Cli_ped06900 {

class TfrmRentab : public frm::TfrmPadraoGrid {
 public:
  // Builds the whole layout and binds every event; connects nothing (that is FormCreate's).
  explicit TfrmRentab(ui::TComponent* owner);
  ~TfrmRentab() override;

  // --- Components, in their order of declaration ---
  orv::TNetConnection* netRentab;  // ServerName "ped06900.rdmRentab", ThrowException false
  db::TClientDataSet* cdsRentab;   // the range list, one range a row
  db::TStringField* cdsRentabNRSEQRENT;
  db::TFloatField* cdsRentabVRPERCINIRENT;
  db::TFloatField* cdsRentabVRPERCFIMRENT;
  db::TClientDataSet* cdsSequencia;  // answer of GetSeq
  db::TStringField* cdsSequenciaSEQUENCIAL;
  ui::TColorDialog* cldCor;
  db::TFloatField* cdsRentabVRCORRENT;
  db::TClientDataSet* cdsAuxiliar;  // answer of GetIntervalo
  db::TStringField* cdsAuxiliarNRSEQRENT;
  db::TStringField* cdsRentabIDBLOQUEIAPED;
  ui::TImage* imgDescheck;  // hidden pictures of the flag column
  ui::TImage* imgUncheck;
  ui::TImage* imgCheck;

  // --- Handlers, in their order of declaration ---
  // Sets the connection's host and port from the host's WebURL and WebPort before each opening.
  void netRentabBeforeConnect(net::TNetConnection& Sender);
  // Standard creation, then connect, then create cdsRentab empty and read GetRentab into it. A
  // failed read leaves the list empty, silently; a failure of the connect itself passes out.
  void FormCreate(ui::TComponent* Sender) override;
  // Standard close (Action passed through untouched), clears boIdCriado, disconnects.
  void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action) override;
  void cdsRentabAfterPost(db::TDataSet& DataSet);
  void cdsRentabAfterInsert(db::TDataSet& DataSet);
  void cdsRentabAfterDelete(db::TDataSet& DataSet);
  void Anterior1Click(ui::TComponent* Sender) override;
  void dbgPadraoDblClick(ui::TComponent* Sender);
  void dbgPadraoDrawColumnCell(ui::TComponent* Sender, const ui::TRect& Rect, int DataCol,
                               ui::TColumn* Column, ui::TGridDrawState State);
  void dbgPadraoColEnter(ui::TComponent* Sender);
  // The refresh command: reads GetRentab into cdsRentab, replacing its rows and dropping any
  // pending edit or insert unposted. A failed read keeps the list shown, silently.
  void sbtVerificarClick(ui::TComponent* Sender) override;
  void cdsRentabBeforePost(db::TDataSet& DataSet);
  void cdsRentabAfterCancel(db::TDataSet& DataSet);
  void dbgPadraoKeyDown(ui::TComponent* Sender, uint16_t& Key, ui::TShiftState Shift) override;
  void dtsPadraoStateChange(db::TDataSource* Sender) override;
  void sbtImprimirClick(ui::TComponent* Sender);
  void dbgPadraoCellClick(ui::TColumn* Column);
  void vd_Itens();

 private:
  void BuildLayout();
  void BindEvents();
  // Calls one method of the server object, asking the connection for it afresh.
  rtl::Variant CallServer(const std::string& method, const rtl::VariantArray& args = {});

  std::unique_ptr<orv::TNetConnection> connection_;
  std::unique_ptr<db::TClientDataSet> ranges_;
  std::unique_ptr<db::TClientDataSet> sequence_;
  std::unique_ptr<db::TClientDataSet> auxiliary_;
};

// The instance CriaRentab created last; read only while boIdCriado is true.
extern TfrmRentab* frmRentab;
// True from the end of a creation until that instance's close handler runs.
extern bool boIdCriado;

}  // namespace Cli_ped06900

// The host's way into the module: opens the range screen. The argument is not read.
RTL_PACKAGE_EXPORT void IniProc(const rtl::Variant& argument);
