#include "frm/frmpadrgrid.h"

#include <QString>
#include <algorithm>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/packet.h"
#include "frm/report_preview.h"
#include "frm/report_table.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
#include "ui/label.h"
#include "ui/menus.h"
#include "ui/page_control.h"
#include "ui/panel.h"
#include "ui/printers.h"
#include "ui/scroll_box.h"
#include "ui/speed_button.h"

namespace frm {
namespace {

using db::DataSetState;

template <class T>
T* Make(ui::TComponent* owner, const char* name) {
  auto* component = new T(owner);
  component->SetName(name);
  return component;
}

ui::TSpeedButton* ToolButton(ui::TComponent* owner, ui::TWinControl* parent, const char* name,
                             const char* glyph, const char* hint, int left) {
  auto* button = Make<ui::TSpeedButton>(owner, name);
  button->SetParent(parent);
  button->SetCaption(glyph);
  button->SetHint(hint);
  button->SetBounds(left, 3, 22, 22);
  return button;
}

ui::TMenuItem* MenuItem(ui::TComponent* owner, ui::TMenuItem* parent, const char* name,
                        const char* caption) {
  auto* item = Make<ui::TMenuItem>(owner, name);
  item->SetCaption(caption);
  if (parent) parent->Add(item);
  return item;
}

bool IsNumber(const rtl::Variant& v) {
  return v.Type() == rtl::VarType::Int32 || v.Type() == rtl::VarType::Int64 ||
         v.Type() == rtl::VarType::Double;
}

// Missing values first, numbers by value, texts ignoring case.
bool ValueLess(const rtl::Variant& a, const rtl::Variant& b) {
  if (a.IsMissing() || b.IsMissing()) return a.IsMissing() && !b.IsMissing();
  if (IsNumber(a) && IsNumber(b)) return a.AsDouble() < b.AsDouble();
  return QString::compare(QString::fromStdString(a.AsString()),
                          QString::fromStdString(b.AsString()), Qt::CaseInsensitive) < 0;
}

bool Browsing(db::TClientDataSet* ds) {
  return ds && ds->State() == DataSetState::Browse;
}

bool HasRecord(db::TClientDataSet* ds) {
  return Browsing(ds) && !ds->IsEmpty();
}

bool Editing(db::TClientDataSet* ds) {
  return ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert);
}

}  // namespace

TfrmPadraoGrid::TfrmPadraoGrid(ui::TComponent* owner)
    : ui::TForm(owner),
      dataSource_(std::make_unique<db::TDataSource>()),
      messages_(std::make_unique<orv::TMessages>("msgPadrao")),
      standardMessages_(std::make_unique<orv::TMessages>("msgMensagensPadroes")) {
  SetName("frmPadraoGrid");
  SetBounds(0, 0, 513, 267);  // before the style: an MDI frame takes the window's size
  SetFormStyle(ui::TFormStyle::fsMDIChild);
  dtsPadrao = dataSource_.get();
  msgPadrao = messages_.get();
  msgMensagensPadroes = standardMessages_.get();
  msgMensagensPadroes->Lines = {
      "Excl|Confirma exclusão?",
      "Pesq|Procurar na coluna \"%s\":",
      "NaoAchou|\"%s\" não encontrado.",
      "SemColuna|Selecione uma coluna da grade.",
      "Pendente|Confirme ou cancele as alterações antes de ordenar.",
  };

  mnuMenu = Make<ui::TMainMenu>(this, "mnuMenu");
  mnuRegistro = MenuItem(this, nullptr, "mnuRegistro", "&Registro");
  mnuIncluir = MenuItem(this, mnuRegistro, "mnuIncluir", "&Incluir\tInsert");
  mnuAlterar = MenuItem(this, mnuRegistro, "mnuAlterar", "&Alterar\tF2");
  mnuExcluir = MenuItem(this, mnuRegistro, "mnuExcluir", "&Excluir\tCtrl+Delete");
  mnuConfirmar = MenuItem(this, mnuRegistro, "mnuConfirmar", "C&onfirmar\tCtrl+Enter");
  mnuCancelar = MenuItem(this, mnuRegistro, "mnuCancelar", "&Cancelar\tEsc");
  mnuPesquisar = MenuItem(this, mnuRegistro, "mnuPesquisar", "&Pesquisar...\tCtrl+F");
  mnuOrdenar = MenuItem(this, mnuRegistro, "mnuOrdenar", "O&rdenar pela coluna");
  mnuVerificar = MenuItem(this, mnuRegistro, "mnuVerificar", "&Verificar\tF5");
  mnuNavegar = MenuItem(this, nullptr, "mnuNavegar", "&Navegar");
  mnuPrimeiro = MenuItem(this, mnuNavegar, "mnuPrimeiro", "&Primeiro");
  mnuAnterior = MenuItem(this, mnuNavegar, "mnuAnterior", "&Anterior");
  mnuProximo = MenuItem(this, mnuNavegar, "mnuProximo", "Pró&ximo");
  mnuUltimo = MenuItem(this, mnuNavegar, "mnuUltimo", "Ú&ltimo");
  mnuArquivo = MenuItem(this, nullptr, "mnuArquivo", "&Arquivo");
  mnuConfigurar = MenuItem(this, mnuArquivo, "mnuConfigurar", "&Configurar impressora...");
  mnuListagem = MenuItem(this, mnuArquivo, "mnuListagem", "&Listagem...\tCtrl+P");
  mnuSair = MenuItem(this, mnuArquivo, "mnuSair", "&Sair");
  mnuMenu->Add(mnuArquivo);
  mnuMenu->Add(mnuRegistro);
  mnuMenu->Add(mnuNavegar);
  SetMenu(mnuMenu);

  panMenu = Make<ui::TPanel>(this, "panMenu");
  panMenu->SetParent(this);
  panMenu->SetAlign(ui::TAlign::alTop);
  panMenu->SetHeight(29);
  sbtIncluir = ToolButton(this, panMenu, "sbtIncluir", "+", "Incluir (Insert)", 4);
  sbtAlterar = ToolButton(this, panMenu, "sbtAlterar", "✎", "Alterar (F2)", 26);
  sbtExcluir = ToolButton(this, panMenu, "sbtExcluir", "−", "Excluir (Ctrl+Delete)", 48);
  sbtConfirmar = ToolButton(this, panMenu, "sbtConfirmar", "✔", "Confirmar (Ctrl+Enter)", 74);
  sbtCancelar = ToolButton(this, panMenu, "sbtCancelar", "✖", "Cancelar (Esc)", 96);
  sbtPesquisar = ToolButton(this, panMenu, "sbtPesquisar", "⚲", "Pesquisar (Ctrl+F)", 118);
  sbtOrdenar = ToolButton(this, panMenu, "sbtOrdenar", "⇅", "Ordenar pela coluna", 140);
  sbtVerificar = ToolButton(this, panMenu, "sbtVerificar", "⟳", "Verificar (F5)", 162);
  sbtImprimir = ToolButton(this, panMenu, "sbtImprimir", "▤", "Imprimir (Ctrl+P)", 184);
  sbtSair = ToolButton(this, panMenu, "sbtSair", "⇦", "Sair", 210);
  lblCodTela = Make<ui::TLabel>(this, "lblCodTela");
  lblCodTela->SetParent(panMenu);
  lblCodTela->SetBounds(436, 8, 60, 14);

  panNavigator = Make<ui::TPanel>(this, "panNavigator");
  panNavigator->SetParent(this);
  panNavigator->SetAlign(ui::TAlign::alBottom);
  panNavigator->SetHeight(31);
  dbnPadrao = Make<ui::TDBNavigator>(this, "dbnPadrao");
  dbnPadrao->SetParent(panNavigator);
  dbnPadrao->SetBounds(4, 3, 240, 25);
  dbnPadrao->SetDataSource(dtsPadrao);
  dbnPadrao->SetHints({"Primeiro", "Anterior", "Próximo", "Último", "Incluir", "Excluir", "Alterar",
                       "Confirmar", "Cancelar", "Verificar"});

  pgcPadrao = Make<ui::TPageControl>(this, "pgcPadrao");
  pgcPadrao->SetParent(this);
  pgcPadrao->SetAlign(ui::TAlign::alClient);
  tshPadrao = Make<ui::TTabSheet>(this, "tshPadrao");
  tshPadrao->SetCaption("Dados");
  tshPadrao->SetPageControl(pgcPadrao);
  panDbgPadrao = Make<ui::TPanel>(this, "panDbgPadrao");
  panDbgPadrao->SetParent(tshPadrao);
  panDbgPadrao->SetAlign(ui::TAlign::alClient);
  scbFolhaDados = Make<ui::TScrollBox>(this, "scbFolhaDados");
  scbFolhaDados->SetParent(panDbgPadrao);
  scbFolhaDados->SetAlign(ui::TAlign::alClient);
  dbgPadrao = Make<ui::TDBGrid>(this, "dbgPadrao");
  dbgPadrao->SetParent(scbFolhaDados);
  dbgPadrao->SetAlign(ui::TAlign::alClient);
  dbgPadrao->SetDataSource(dtsPadrao);

  pmnNavegar = Make<ui::TPopupMenu>(this, "pmnNavegar");
  const std::pair<const char*, void (TfrmPadraoGrid::*)()> navigation[] = {
      {"Primeiro", &TfrmPadraoGrid::Primeiro},
      {"Anterior", &TfrmPadraoGrid::Anterior},
      {"Próximo", &TfrmPadraoGrid::Proximo},
      {"Último", &TfrmPadraoGrid::Ultimo},
  };
  for (const auto& [caption, command] : navigation) {
    auto* item = MenuItem(this, nullptr, "", caption);
    item->OnClick = [this, command = command](ui::TComponent*) { (this->*command)(); };
    pmnNavegar->Add(item);
  }
  dbgPadrao->SetPopupMenu(pmnNavegar);

  psdConfigurar = Make<ui::TPrinterSetupDialog>(this, "psdConfigurar");
  prdImprimir = Make<ui::TPrintDialog>(this, "prdImprimir");

  BindEvents();
}

TfrmPadraoGrid::~TfrmPadraoGrid() {
  // The data source goes first: its handlers call into this form.
  dataSource_->OnStateChange = nullptr;
  dataSource_->OnDataChange = nullptr;
}

void TfrmPadraoGrid::BindEvents() {
  OnCreate = [this](ui::TComponent* sender) { FormCreate(sender); };
  OnClose = [this](ui::TComponent* sender, ui::TCloseAction& action) { FormClose(sender, action); };
  OnActivate = [this](ui::TComponent* sender) { Anterior1Click(sender); };
  // Showing an MDI frame lets it shrink to its minimum size; a normal screen comes back at the
  // size its layout gave it.
  OnShow = [this](ui::TComponent*) {
    if (WindowState() == ui::TWindowState::wsNormal && designedBounds_.Width() > 0) {
      SetBounds(designedBounds_.Left, designedBounds_.Top, designedBounds_.Width(),
                designedBounds_.Height());
    }
  };
  dbgPadrao->OnKeyDown = [this](ui::TComponent* sender, uint16_t& key, ui::TShiftState shift) {
    dbgPadraoKeyDown(sender, key, shift);
  };
  dtsPadrao->OnStateChange = [this](db::TDataSource& source) { dtsPadraoStateChange(&source); };
  dtsPadrao->OnDataChange = [this](db::TDataSource&, db::TField*) { UpdateCommands(); };

  const std::pair<ui::TSpeedButton*, ui::TMenuItem*> pairs[] = {
      {sbtIncluir, mnuIncluir},     {sbtAlterar, mnuAlterar},     {sbtExcluir, mnuExcluir},
      {sbtConfirmar, mnuConfirmar}, {sbtCancelar, mnuCancelar},   {sbtPesquisar, mnuPesquisar},
      {sbtOrdenar, mnuOrdenar},     {sbtVerificar, mnuVerificar}, {sbtImprimir, mnuListagem},
      {sbtSair, mnuSair},
  };
  const std::pair<ui::TMenuItem*, void (TfrmPadraoGrid::*)()> commands[] = {
      {mnuIncluir, &TfrmPadraoGrid::Incluir},
      {mnuAlterar, &TfrmPadraoGrid::Alterar},
      {mnuExcluir, &TfrmPadraoGrid::Excluir},
      {mnuConfirmar, &TfrmPadraoGrid::Confirmar},
      {mnuCancelar, &TfrmPadraoGrid::Cancelar},
      {mnuPesquisar, &TfrmPadraoGrid::Pesquisar},
      {mnuOrdenar, &TfrmPadraoGrid::Ordenar},
      {mnuPrimeiro, &TfrmPadraoGrid::Primeiro},
      {mnuAnterior, &TfrmPadraoGrid::Anterior},
      {mnuProximo, &TfrmPadraoGrid::Proximo},
      {mnuUltimo, &TfrmPadraoGrid::Ultimo},
      {mnuConfigurar, &TfrmPadraoGrid::ConfigurarImpressora},
      {mnuListagem, &TfrmPadraoGrid::Listagem},
      {mnuSair, &TfrmPadraoGrid::Sair},
  };
  for (const auto& [item, command] : commands) {
    item->OnClick = [this, command = command](ui::TComponent*) { (this->*command)(); };
  }
  mnuVerificar->OnClick = [this](ui::TComponent* sender) { sbtVerificarClick(sender); };
  for (const auto& [button, item] : pairs) {
    if (button == sbtVerificar) continue;
    button->OnClick = [item = item](ui::TComponent*) { item->Click(); };
  }
  sbtVerificar->OnClick = [this](ui::TComponent* sender) { sbtVerificarClick(sender); };
  dbnPadrao->OnClick = [this](ui::TComponent* sender, ui::TNavigateBtn button) {
    if (button == ui::TNavigateBtn::nbRefresh) sbtVerificarClick(sender);
  };
}

db::TClientDataSet* TfrmPadraoGrid::DataSet() const {
  return dtsPadrao->DataSet();
}

std::string TfrmPadraoGrid::DeleteQuestion() const {
  return msgPadrao->Contains("Excl") ? msgPadrao->Msg("Excl") : msgMensagensPadroes->Msg("Excl");
}

void TfrmPadraoGrid::UpdateCommands() {
  db::TClientDataSet* ds = DataSet();
  const bool browsing = Browsing(ds);
  const bool hasRecord = HasRecord(ds);
  const bool editing = Editing(ds);
  const std::pair<ui::TMenuItem*, bool> enabling[] = {
      {mnuIncluir, browsing},  {mnuAlterar, hasRecord},  {mnuExcluir, hasRecord},
      {mnuConfirmar, editing}, {mnuCancelar, editing},   {mnuPesquisar, hasRecord},
      {mnuOrdenar, hasRecord}, {mnuPrimeiro, hasRecord}, {mnuAnterior, hasRecord},
      {mnuProximo, hasRecord}, {mnuUltimo, hasRecord},   {mnuListagem, !editing},
  };
  for (const auto& [item, enabled] : enabling) item->SetEnabled(enabled);
  sbtIncluir->SetEnabled(browsing);
  sbtAlterar->SetEnabled(hasRecord);
  sbtExcluir->SetEnabled(hasRecord);
  sbtConfirmar->SetEnabled(editing);
  sbtCancelar->SetEnabled(editing);
  sbtPesquisar->SetEnabled(hasRecord);
  sbtOrdenar->SetEnabled(hasRecord);
  sbtImprimir->SetEnabled(!editing);
  dbnPadrao->SetDeleteQuestion(DeleteQuestion());
}

void TfrmPadraoGrid::DoCreate() {
  designedBounds_ = BoundsRect();
  ui::TForm::DoCreate();
}

void TfrmPadraoGrid::FormCreate(ui::TComponent*) {
  UpdateCommands();
}

void TfrmPadraoGrid::FormClose(ui::TComponent*, ui::TCloseAction& Action) {
  Action = ui::TCloseAction::caFree;
}

void TfrmPadraoGrid::dbgPadraoKeyDown(ui::TComponent*, uint16_t& Key, ui::TShiftState Shift) {
  const bool ctrl = Shift.Contains(ui::TShiftFlag::ssCtrl);
  ui::TMenuItem* command = nullptr;
  switch (Key) {
    case ui::VK_INSERT:
      if (!ctrl) command = mnuIncluir;
      break;
    case ui::VK_DELETE:
      if (ctrl) command = mnuExcluir;
      break;
    case ui::VK_F2:
      command = mnuAlterar;
      break;
    case ui::VK_RETURN:
      if (ctrl) command = mnuConfirmar;
      break;
    case ui::VK_F5:
      command = mnuVerificar;
      break;
    case 'F':
      if (ctrl) command = mnuPesquisar;
      break;
    case 'P':
      if (ctrl) command = mnuListagem;
      break;
    default:
      break;
  }
  if (!command || !command->Enabled()) return;
  Key = 0;  // the grid must not act on the key as well
  command->Click();
}

void TfrmPadraoGrid::Anterior1Click(ui::TComponent*) {
  UpdateCommands();
}

void TfrmPadraoGrid::dtsPadraoStateChange(db::TDataSource*) {
  UpdateCommands();
}

void TfrmPadraoGrid::sbtVerificarClick(ui::TComponent*) {}

void TfrmPadraoGrid::Incluir() {
  if (db::TClientDataSet* ds = DataSet()) {
    ds->Insert();
    dbgPadrao->SetFocus();
  }
}

void TfrmPadraoGrid::Alterar() {
  if (db::TClientDataSet* ds = DataSet(); HasRecord(ds)) {
    ds->Edit();
    dbgPadrao->SetFocus();
  }
}

void TfrmPadraoGrid::Excluir() {
  db::TClientDataSet* ds = DataSet();
  if (!HasRecord(ds)) return;
  if (ui::Confirm(DeleteQuestion())) ds->Delete();
}

void TfrmPadraoGrid::Confirmar() {
  if (db::TClientDataSet* ds = DataSet(); Editing(ds)) ds->Post();
}

void TfrmPadraoGrid::Cancelar() {
  if (db::TClientDataSet* ds = DataSet(); Editing(ds)) ds->Cancel();
}

void TfrmPadraoGrid::Pesquisar() {
  db::TClientDataSet* ds = DataSet();
  if (!HasRecord(ds)) return;
  db::TField* field = dbgPadrao->SelectedField();
  const int column = dbgPadrao->SelectedIndex();
  if (!field || column < 0) {
    ui::ShowInformation(msgMensagensPadroes->Msg("SemColuna"));
    return;
  }
  const QString title = QString::fromStdString(dbgPadrao->Columns()[column]->Title().Caption());
  const QString prompt =
      QString::fromStdString(msgMensagensPadroes->Msg("Pesq")).replace("%s", title);
  const std::optional<std::string> typed =
      ui::InputQuery("Pesquisar", prompt.toStdString(), lastSearch_);
  if (!typed || typed->empty()) return;
  lastSearch_ = *typed;
  const QString wanted = QString::fromStdString(*typed);

  const int rows = ds->DisplayRowCount();
  const int current = ds->DisplayRow();
  for (int step = 1; step <= rows; ++step) {
    const int row = (current + step) % rows;
    bool matches = false;
    {
      db::TRowView view(*ds, row);
      matches = QString::fromStdString(field->DisplayText()).contains(wanted, Qt::CaseInsensitive);
    }
    if (matches) {
      ds->SetRecNo(row + 1);
      dbgPadrao->SetFocus();
      return;
    }
  }
  ui::ShowInformation(QString::fromStdString(msgMensagensPadroes->Msg("NaoAchou"))
                          .replace("%s", wanted)
                          .toStdString());
}

void TfrmPadraoGrid::Ordenar() {
  db::TClientDataSet* ds = DataSet();
  if (!HasRecord(ds)) return;
  db::TField* field = dbgPadrao->SelectedField();
  if (!field) {
    ui::ShowInformation(msgMensagensPadroes->Msg("SemColuna"));
    return;
  }
  if (ds->ChangeCount() > 0) {
    // Reloading the sorted rows empties the change log: unsent changes would be lost.
    ui::ShowInformation(msgMensagensPadroes->Msg("Pendente"));
    return;
  }
  orderDescending_ = field->FieldName() == orderField_ && !orderDescending_;
  orderField_ = field->FieldName();

  db::DataPacket packet = db::DecodePacketVariant(ds->Data());
  const auto index = static_cast<size_t>(
      std::find_if(packet.fields.begin(), packet.fields.end(),
                   [&](const db::FieldDef& f) { return f.name == orderField_; }) -
      packet.fields.begin());
  if (index >= packet.fields.size()) return;
  db::Row current;
  for (int i = 0; i < ds->FieldCount(); ++i) current.push_back(ds->Field(i).Value());

  const bool descending = orderDescending_;
  std::stable_sort(packet.rows.begin(), packet.rows.end(),
                   [index, descending](const db::Row& a, const db::Row& b) {
                     return descending ? ValueLess(b[index], a[index])
                                       : ValueLess(a[index], b[index]);
                   });
  ds->LoadPacket(std::move(packet));
  // Back to the record that was current: the first row holding the same values.
  for (int row = 0; row < ds->DisplayRowCount(); ++row) {
    db::Row values;
    {
      db::TRowView view(*ds, row);
      for (int i = 0; i < ds->FieldCount(); ++i) values.push_back(ds->Field(i).Value());
    }
    if (values == current) {
      ds->SetRecNo(row + 1);
      break;
    }
  }
}

void TfrmPadraoGrid::Verificar() {
  sbtVerificarClick(sbtVerificar);
}

void TfrmPadraoGrid::Primeiro() {
  if (db::TClientDataSet* ds = DataSet(); HasRecord(ds)) ds->First();
}

void TfrmPadraoGrid::Anterior() {
  if (db::TClientDataSet* ds = DataSet(); HasRecord(ds)) ds->Prior();
}

void TfrmPadraoGrid::Proximo() {
  if (db::TClientDataSet* ds = DataSet(); HasRecord(ds)) ds->Next();
}

void TfrmPadraoGrid::Ultimo() {
  if (db::TClientDataSet* ds = DataSet(); HasRecord(ds)) ds->Last();
}

void TfrmPadraoGrid::ConfigurarImpressora() {
  psdConfigurar->Execute();
}

ReportTable TfrmPadraoGrid::ListingTable() {
  ReportTable table;
  table.title = Caption();
  table.code = lblCodTela->Caption();
  std::vector<db::TField*> fields;
  for (int c = 0; c < dbgPadrao->Columns().Count(); ++c) {
    ui::TColumn* column = dbgPadrao->Columns()[c];
    if (!column->Visible()) continue;
    db::TField* field = column->Field();
    const bool numeric = field && (field->DataType() != db::FieldType::String);
    table.columns.push_back(
        {column->Title().Caption().empty() ? column->FieldName() : column->Title().Caption(),
         column->Width(), numeric ? ui::TAlignment::taRightJustify : column->Title().Alignment()});
    fields.push_back(field);
  }
  db::TClientDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return table;
  for (int row = 0; row < ds->DisplayRowCount(); ++row) {
    db::TRowView view(*ds, row);
    std::vector<std::string> texts;
    for (db::TField* field : fields) texts.push_back(field ? field->DisplayText() : std::string());
    table.rows.push_back(std::move(texts));
  }
  return table;
}

void TfrmPadraoGrid::Listagem() {
  ShowReportPreview(ListingTable());
}

void TfrmPadraoGrid::Sair() {
  Close();
}

}  // namespace frm
