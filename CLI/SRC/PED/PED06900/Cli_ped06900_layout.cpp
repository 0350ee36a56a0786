// The layout of the range screen: its components, fields, grid columns, messages, pictures,
// dialog, connection, the form's settings and the binding of every event to its handler.

#include "Cli_ped06900.h"
#include "Cli_ped06900_pictures.h"
#include "db/datasource.h"
#include "ui/db_navigator.h"
#include "ui/label.h"
#include "ui/page_control.h"
#include "ui/panel.h"
#include "ui/scroll_box.h"
#include "ui/speed_button.h"

namespace Cli_ped06900 {
namespace {

ui::TImage* HiddenPicture(ui::TComponent* owner, ui::TWinControl* parent, const char* name,
                          const ui::TBitmap& picture, int left) {
  auto* image = new ui::TImage(owner);
  image->SetName(name);
  image->SetParent(parent);
  image->SetVisible(false);
  image->SetAutoSize(true);
  image->SetPicture(picture);
  image->SetLeft(left);
  image->SetTop(2);
  return image;
}

struct ColumnLayout {
  const char* field;
  const char* title;
  int width;
  bool readOnly;
  ui::TAlignment titleAlignment;
};

constexpr ColumnLayout kColumns[] = {
    {"VRPERCINIRENT", "Porcentagem Inicial", 105, false, ui::TAlignment::taLeftJustify},
    {"VRPERCFIMRENT", "Porcentagem Final", 103, false, ui::TAlignment::taLeftJustify},
    {"IDBLOQUEIAPED", "Bloqueia Pedido", 89, true, ui::TAlignment::taCenter},
    {"VRCORRENT", "Cor", 153, false, ui::TAlignment::taLeftJustify},
};

}  // namespace

TfrmRentab::TfrmRentab(ui::TComponent* owner)
    : frm::TfrmPadraoGrid(owner),
      connection_(std::make_unique<orv::TNetConnection>()),
      ranges_(std::make_unique<db::TClientDataSet>("cdsRentab")),
      sequence_(std::make_unique<db::TClientDataSet>("cdsSequencia")),
      auxiliary_(std::make_unique<db::TClientDataSet>("cdsAuxiliar")) {
  BuildLayout();
  BindEvents();
}

TfrmRentab::~TfrmRentab() {
  // The data set goes before the base's data source and grid: detach them while this screen's
  // handlers can still run.
  dtsPadrao->SetDataSet(nullptr);
}

void TfrmRentab::BuildLayout() {
  netRentab = connection_.get();
  netRentab->SetServerName("ped06900.rdmRentab");
  netRentab->SetThrowException(false);

  // The range record, in field order.
  cdsRentab = ranges_.get();
  cdsRentabNRSEQRENT = &cdsRentab->AddStringField("NRSEQRENT", 10);
  cdsRentabNRSEQRENT->SetVisible(false);
  cdsRentabVRPERCINIRENT = &cdsRentab->AddFloatField("VRPERCINIRENT");
  cdsRentabVRPERCINIRENT->SetDisplayLabel("Porcentagem Inicial");
  cdsRentabVRPERCFIMRENT = &cdsRentab->AddFloatField("VRPERCFIMRENT");
  cdsRentabVRPERCFIMRENT->SetDisplayLabel("Porcentagem Final");
  cdsRentabVRCORRENT = &cdsRentab->AddFloatField("VRCORRENT");
  cdsRentabVRCORRENT->SetDisplayLabel("Cor");
  cdsRentabVRCORRENT->SetVisible(false);
  cdsRentabIDBLOQUEIAPED = &cdsRentab->AddStringField("IDBLOQUEIAPED", 1);
  cdsRentabIDBLOQUEIAPED->SetDisplayLabel("Bloqueia Pedido");
  cdsRentabIDBLOQUEIAPED->SetVisible(false);
  cdsRentabIDBLOQUEIAPED->SetProviderFlags(db::ProviderFlags::None());

  cdsSequencia = sequence_.get();
  cdsSequenciaSEQUENCIAL = &cdsSequencia->AddStringField("SEQUENCIAL", 10);
  cdsAuxiliar = auxiliary_.get();
  cdsAuxiliarNRSEQRENT = &cdsAuxiliar->AddStringField("NRSEQRENT", 10);

  cldCor = new ui::TColorDialog(this);
  cldCor->SetName("cldCor");
  cldCor->SetCtl3D(true);
  cldCor->SetColor(ui::clInfoBk);

  // The form and the inherited controls.
  SetCaption("Rentabilidade");
  SetFormStyle(ui::TFormStyle::fsMDIChild);
  SetBounds(320, 187, 513, 267);
  lblCodTela->SetCaption("PED06900");
  lblCodTela->SetWidth(52);
  panMenu->SetWidth(497);
  sbtImprimir->SetLeft(184);
  sbtImprimir->SetWidth(22);
  pgcPadrao->SetWidth(497);
  pgcPadrao->SetHeight(162);
  panDbgPadrao->SetWidth(489);
  panDbgPadrao->SetHeight(152);
  scbFolhaDados->SetWidth(483);
  scbFolhaDados->SetHeight(146);
  dbgPadrao->SetWidth(483);
  dbgPadrao->SetHeight(146);
  panNavigator->SetTop(190);
  panNavigator->SetWidth(497);
  dbnPadrao->SetHints({});

  imgDescheck = HiddenPicture(this, panNavigator, "imgDescheck", DescheckPicture(), 423);
  imgUncheck = HiddenPicture(this, panNavigator, "imgUncheck", UncheckPicture(), 407);
  imgCheck = HiddenPicture(this, panNavigator, "imgCheck", CheckPicture(), 391);

  dtsPadrao->SetDataSet(cdsRentab);
  dbgPadrao->Columns().Clear();
  for (const ColumnLayout& layout : kColumns) {
    ui::TColumn* column = dbgPadrao->Columns().Add();
    column->SetFieldName(layout.field);
    column->Title().SetCaption(layout.title);
    column->SetWidth(layout.width);
    column->SetReadOnly(layout.readOnly);
    column->Title().SetAlignment(layout.titleAlignment);
  }

  msgPadrao->Lines = {
      "Excl|Confirma exclusão?",
      "Vr_Ini|Valor Inicial deve ser informado.",
      "Vr_Fim|Valor Final deve ser informado.",
      "Cor|Cor deve ser definida.",
      "Inic<Fina|Valor Inicial deve ser menor que o Valor Final.",
      "Interv|Valor já cadastrado em outro intervalo.",
  };
}

// The base binds FormCreate, FormClose, Anterior1Click (also the form's OnActivate),
// sbtVerificarClick, dbgPadraoKeyDown and dtsPadraoStateChange to its virtual handlers, which
// this screen overrides; the rest are bound here.
void TfrmRentab::BindEvents() {
  netRentab->SetBeforeConnect(
      [this](net::TNetConnection& sender) { netRentabBeforeConnect(sender); });
  cdsRentab->AfterInsert = [this](db::TDataSet& dataSet) { cdsRentabAfterInsert(dataSet); };
  cdsRentab->BeforePost = [this](db::TDataSet& dataSet) { cdsRentabBeforePost(dataSet); };
  cdsRentab->AfterPost = [this](db::TDataSet& dataSet) { cdsRentabAfterPost(dataSet); };
  cdsRentab->AfterCancel = [this](db::TDataSet& dataSet) { cdsRentabAfterCancel(dataSet); };
  cdsRentab->AfterDelete = [this](db::TDataSet& dataSet) { cdsRentabAfterDelete(dataSet); };
  dbgPadrao->OnCellClick = [this](ui::TColumn* column) { dbgPadraoCellClick(column); };
  dbgPadrao->OnColEnter = [this](ui::TComponent* sender) { dbgPadraoColEnter(sender); };
  dbgPadrao->OnDrawColumnCell = [this](ui::TComponent* sender, const ui::TRect& rect, int dataCol,
                                       ui::TColumn* column, ui::TGridDrawState state) {
    dbgPadraoDrawColumnCell(sender, rect, dataCol, column, state);
  };
  dbgPadrao->OnDblClick = [this](ui::TComponent* sender) { dbgPadraoDblClick(sender); };
  sbtImprimir->OnClick = [this](ui::TComponent* sender) { sbtImprimirClick(sender); };
}

}  // namespace Cli_ped06900
