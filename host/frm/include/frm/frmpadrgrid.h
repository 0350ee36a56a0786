#pragma once
// Unit Frmpadrgrid: TfrmPadraoGrid, the standard grid maintenance screen (an MDI child).
//
// A derived screen builds its own components in its constructor, points dtsPadrao at its data
// set, fills msgPadrao and adjusts the inherited components below, which are public and named
// as screens know them. The base binds its controls' events to the virtual handlers below, so
// a derived screen that overrides a handler serves every control bound to it; an override
// calls the base's handler first where the screen's design says so.
//
// Commands act on dtsPadrao's data set and are enabled by its state (UpdateCommands):
//   Incluir (Insert)         insert a record                       browse, or closed: none
//   Alterar (F2)             edit the current record               browse with a record
//   Excluir (Ctrl+Delete)    delete it after the confirmation text of the key "Excl"
//                            (msgPadrao, else the standard text)   browse with a record
//   Confirmar (Ctrl+Enter)   post                                  edit or insert
//   Cancelar (Esc)           cancel                                edit or insert
//   Pesquisar (Ctrl+F)       the next row, after the current one and wrapping around, whose
//                            selected column's text holds the typed text (ignoring case)
//   Ordenar                  sort the rows by the selected column, ascending, and descending
//                            when repeated on the same column; refused while changes are
//                            pending (they would be lost)
//   Verificar (F5)           sbtVerificarClick (the base's does nothing; screens refresh)
//   navigation               first, prior, next, last              browse with a record
//   Listagem (Ctrl+P)        preview of the grid's columns and rows, to print or save as PDF
//   Configurar impressora, Sair (closes the screen).
// The keys work while the grid has the focus (dbgPadraoKeyDown); a key that runs a command is
// consumed (set to 0). Prompts go through ui's dialog seam. A failing command raises to its
// caller; from a click or a key it reaches Application().HandleException.

#include <cstdint>
#include <memory>
#include <string>

#include "orv/vlm_msg.h"
#include "ui/form.h"
#include "ui/types.h"

namespace db {
class TClientDataSet;
class TDataSource;
}  // namespace db

namespace ui {
class TDBGrid;
class TDBNavigator;
class TLabel;
class TMainMenu;
class TMenuItem;
class TPageControl;
class TPanel;
class TPopupMenu;
class TPrintDialog;
class TPrinterSetupDialog;
class TScrollBox;
class TSpeedButton;
class TTabSheet;
}  // namespace ui

namespace frm {

struct ReportTable;

class TfrmPadraoGrid : public ui::TForm {
 public:
  explicit TfrmPadraoGrid(ui::TComponent* owner);
  ~TfrmPadraoGrid() override;

  // --- Components ---
  db::TDataSource* dtsPadrao;
  orv::TMessages* msgPadrao;            // the screen's messages ("Excl", ...)
  orv::TMessages* msgMensagensPadroes;  // the standard texts of the base

  ui::TMainMenu* mnuMenu;
  ui::TMenuItem* mnuRegistro;
  ui::TMenuItem* mnuIncluir;
  ui::TMenuItem* mnuAlterar;
  ui::TMenuItem* mnuExcluir;
  ui::TMenuItem* mnuConfirmar;
  ui::TMenuItem* mnuCancelar;
  ui::TMenuItem* mnuPesquisar;
  ui::TMenuItem* mnuOrdenar;
  ui::TMenuItem* mnuVerificar;
  ui::TMenuItem* mnuNavegar;
  ui::TMenuItem* mnuPrimeiro;
  ui::TMenuItem* mnuAnterior;
  ui::TMenuItem* mnuProximo;
  ui::TMenuItem* mnuUltimo;
  ui::TMenuItem* mnuArquivo;
  ui::TMenuItem* mnuConfigurar;
  ui::TMenuItem* mnuListagem;
  ui::TMenuItem* mnuSair;

  ui::TPanel* panMenu;
  ui::TSpeedButton* sbtIncluir;
  ui::TSpeedButton* sbtAlterar;
  ui::TSpeedButton* sbtExcluir;
  ui::TSpeedButton* sbtConfirmar;
  ui::TSpeedButton* sbtCancelar;
  ui::TSpeedButton* sbtPesquisar;
  ui::TSpeedButton* sbtOrdenar;
  ui::TSpeedButton* sbtVerificar;
  ui::TSpeedButton* sbtImprimir;
  ui::TSpeedButton* sbtSair;
  ui::TLabel* lblCodTela;

  ui::TPageControl* pgcPadrao;
  ui::TTabSheet* tshPadrao;
  ui::TPanel* panDbgPadrao;
  ui::TScrollBox* scbFolhaDados;
  ui::TDBGrid* dbgPadrao;
  ui::TPanel* panNavigator;
  ui::TDBNavigator* dbnPadrao;

  ui::TPopupMenu* pmnNavegar;
  ui::TPrinterSetupDialog* psdConfigurar;
  ui::TPrintDialog* prdImprimir;

  // --- Handlers bound by the base ---
  // The form's creation: brings the commands up to date. Bound to OnCreate.
  virtual void FormCreate(ui::TComponent* Sender);
  // The form's closing: the screen is freed (Action becomes caFree). Bound to OnClose.
  virtual void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action);
  // The command keys listed above. Bound to dbgPadrao's OnKeyDown.
  virtual void dbgPadraoKeyDown(ui::TComponent* Sender, uint16_t& Key, ui::TShiftState Shift);
  // The screen became active: brings the commands up to date. Bound to OnActivate.
  virtual void Anterior1Click(ui::TComponent* Sender);
  // The data source changed state: brings the commands up to date. Bound to OnStateChange.
  virtual void dtsPadraoStateChange(db::TDataSource* Sender);
  // The verify command; the base's does nothing. Bound to sbtVerificar and mnuVerificar.
  virtual void sbtVerificarClick(ui::TComponent* Sender);

  // --- Commands (also run by the buttons, menus and keys) ---
  void Incluir();
  void Alterar();
  void Excluir();
  void Confirmar();
  void Cancelar();
  void Pesquisar();
  void Ordenar();
  void Verificar();
  void Primeiro();
  void Anterior();
  void Proximo();
  void Ultimo();
  void ConfigurarImpressora();
  void Listagem();
  void Sair();

  // Enables each command for the data source's current state.
  void UpdateCommands();
  // The listing's table: the grid's visible columns and every row, as displayed.
  ReportTable ListingTable();
  // The question asked before a delete.
  std::string DeleteQuestion() const;

 protected:
  // Keeps the bounds the layout gave the screen, to bring them back when it is shown.
  void DoCreate() override;

 private:
  db::TClientDataSet* DataSet() const;
  void BindEvents();
  std::unique_ptr<db::TDataSource> dataSource_;
  std::unique_ptr<orv::TMessages> messages_;
  std::unique_ptr<orv::TMessages> standardMessages_;
  std::string lastSearch_;
  std::string orderField_;
  bool orderDescending_ = false;
  ui::TRect designedBounds_;
};

}  // namespace frm
