#include "frm/frmpadrgrid.h"

#include <gtest/gtest.h>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/packet.h"
#include "frm/report_table.h"
#include "test_app.h"
#include "ui/application.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"
#include "ui/keys.h"
#include "ui/label.h"
#include "ui/menus.h"
#include "ui/scripted_dialogs.h"
#include "ui/speed_button.h"

namespace {

using db::DataSetState;

// A screen derived as the modules derive theirs: its own data set, columns and messages.
class TfrmTeste : public frm::TfrmPadraoGrid {
 public:
  explicit TfrmTeste(ui::TComponent* owner, bool* destroyed = nullptr)
      : frm::TfrmPadraoGrid(owner), destroyed_(destroyed) {
    SetCaption("Teste");
    lblCodTela->SetCaption("TST00100");
    cdsTeste.AddStringField("CODIGO", 10);
    cdsTeste.AddStringField("NOME", 30).SetDisplayLabel("Nome");
    cdsTeste.AddFloatField("VALOR").SetDisplayLabel("Valor");
    dtsPadrao->SetDataSet(&cdsTeste);
    for (const char* name : {"NOME", "VALOR"}) {
      ui::TColumn* column = dbgPadrao->Columns().Add();
      column->SetFieldName(name);
      column->Title().SetCaption(cdsTeste.FieldByName(name).DisplayLabel());
    }
    msgPadrao->Lines = {"Excl|Apagar este item?"};
  }
  ~TfrmTeste() override {
    if (destroyed_) *destroyed_ = true;
  }

  void sbtVerificarClick(ui::TComponent* Sender) override {
    frm::TfrmPadraoGrid::sbtVerificarClick(Sender);
    ++refreshes;
  }

  void Load(const std::vector<std::pair<std::string, double>>& rows) {
    db::DataPacket packet;
    packet.fields = cdsTeste.FieldDefs();
    int code = 1;
    for (const auto& [name, value] : rows) {
      packet.rows.push_back({std::to_string(code++), name, value});
    }
    cdsTeste.LoadPacket(std::move(packet));
  }

  std::string Name() const { return cdsTeste.FieldByName("NOME").AsString(); }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int row = 0; row < cdsTeste.DisplayRowCount(); ++row) {
      db::TRowView view(cdsTeste, row);
      names.push_back(cdsTeste.FieldByName("NOME").AsString());
    }
    return names;
  }

  db::TClientDataSet cdsTeste{"cdsTeste"};
  int refreshes = 0;

 private:
  bool* destroyed_;
};

class PadraoGrid : public testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = ui::Application().CreateForm<TfrmTeste>();
    form->Load({{"Ana", 3.5}, {"Bruno", 1.25}, {"Carla", 2.0}, {"Mariana", 10.0}});
    form->UpdateCommands();
  }
  void TearDown() override { ui::Application().Shutdown(); }

  void SelectColumn(const char* field) {
    form->dbgPadrao->SetSelectedField(&form->cdsTeste.FieldByName(field));
  }

  TfrmTeste* form = nullptr;
  ui::ScopedDialogs dialogs;
};

TEST_F(PadraoGrid, IncludeConfirmAndCancelDriveTheDataSetAndTheCommands) {
  ASSERT_EQ(form->cdsTeste.State(), DataSetState::Browse);
  EXPECT_TRUE(form->sbtIncluir->Enabled());
  EXPECT_FALSE(form->sbtConfirmar->Enabled());

  form->Incluir();
  EXPECT_EQ(form->cdsTeste.State(), DataSetState::Insert);
  EXPECT_FALSE(form->sbtIncluir->Enabled());
  EXPECT_FALSE(form->sbtExcluir->Enabled());
  EXPECT_TRUE(form->sbtConfirmar->Enabled());
  EXPECT_TRUE(form->sbtCancelar->Enabled());
  EXPECT_FALSE(form->mnuListagem->Enabled());
  form->cdsTeste.FieldByName("CODIGO").SetAsString("9");
  form->cdsTeste.FieldByName("NOME").SetAsString("Novo");
  form->Confirmar();
  EXPECT_EQ(form->cdsTeste.State(), DataSetState::Browse);
  EXPECT_EQ(form->cdsTeste.RecordCount(), 5);
  EXPECT_TRUE(form->mnuListagem->Enabled());

  form->Alterar();
  EXPECT_EQ(form->cdsTeste.State(), DataSetState::Edit);
  form->cdsTeste.FieldByName("NOME").SetAsString("Mudado");
  form->Cancelar();
  EXPECT_EQ(form->cdsTeste.State(), DataSetState::Browse);
  EXPECT_EQ(form->Name(), "Novo");

  form->Incluir();
  form->Cancelar();
  EXPECT_EQ(form->cdsTeste.RecordCount(), 5);
}

TEST_F(PadraoGrid, CommandsFollowTheDataSetState) {
  form->cdsTeste.CreateDataSet();  // open and empty
  EXPECT_TRUE(form->sbtIncluir->Enabled());
  EXPECT_FALSE(form->sbtAlterar->Enabled());
  EXPECT_FALSE(form->sbtExcluir->Enabled());
  EXPECT_FALSE(form->mnuProximo->Enabled());
  EXPECT_FALSE(form->sbtPesquisar->Enabled());

  form->cdsTeste.Close();
  EXPECT_FALSE(form->sbtIncluir->Enabled());
  EXPECT_FALSE(form->sbtConfirmar->Enabled());
  EXPECT_TRUE(form->sbtVerificar->Enabled());
  EXPECT_TRUE(form->mnuListagem->Enabled());
  EXPECT_THROW(form->Incluir(), rtl::Exception) << "a closed data set refuses the insert";
}

TEST_F(PadraoGrid, DeleteAsksTheScreensQuestionAndDeletesOnlyOnYes) {
  form->cdsTeste.SetRecNo(2);
  dialogs->AnswerConfirm(false);
  form->Excluir();
  EXPECT_EQ(form->cdsTeste.RecordCount(), 4);
  dialogs->AnswerConfirm(true);
  form->Excluir();
  EXPECT_EQ(form->Names(), (std::vector<std::string>{"Ana", "Carla", "Mariana"}));
  ASSERT_EQ(dialogs->Shown().size(), 2u);
  EXPECT_EQ(dialogs->Shown()[0].kind, ui::PromptKind::Confirmation);
  EXPECT_EQ(dialogs->Shown()[0].text, "Apagar este item?");

  form->msgPadrao->Lines.clear();  // a screen without its own text gets the standard one
  dialogs->AnswerConfirm(false);
  form->Excluir();
  EXPECT_EQ(dialogs->Shown().back().text, "Confirma exclusão?");
}

TEST_F(PadraoGrid, NavigationMovesTheCurrentRecord) {
  form->Ultimo();
  EXPECT_EQ(form->Name(), "Mariana");
  form->Anterior();
  EXPECT_EQ(form->Name(), "Carla");
  form->Primeiro();
  EXPECT_EQ(form->Name(), "Ana");
  form->Proximo();
  EXPECT_EQ(form->Name(), "Bruno");
}

TEST_F(PadraoGrid, SearchFindsTheNextMatchInTheSelectedColumnAndWrapsAround) {
  SelectColumn("NOME");
  form->cdsTeste.SetRecNo(1);  // on Ana: the search starts after her
  dialogs->AnswerInput("ANA");
  form->Pesquisar();
  EXPECT_EQ(form->Name(), "Mariana");
  dialogs->AnswerInput("ana");
  form->Pesquisar();
  EXPECT_EQ(form->Name(), "Ana") << "wraps to the start";

  dialogs->AnswerInput("Zeca");
  form->Pesquisar();
  EXPECT_EQ(form->Name(), "Ana");
  EXPECT_EQ(dialogs->Shown().back().kind, ui::PromptKind::Information);
  EXPECT_NE(dialogs->Shown().back().text.find("Zeca"), std::string::npos);

  dialogs->AnswerInput(std::nullopt);  // cancelled
  form->Pesquisar();
  EXPECT_EQ(form->Name(), "Ana");

  SelectColumn("VALOR");  // numbers are searched as displayed, with the decimal comma
  dialogs->AnswerInput("1,25");
  form->Pesquisar();
  EXPECT_EQ(form->Name(), "Bruno");
}

TEST_F(PadraoGrid, OrderSortsByTheSelectedColumnKeepingTheCurrentRecord) {
  form->cdsTeste.SetRecNo(3);  // Carla
  SelectColumn("VALOR");
  form->Ordenar();
  EXPECT_EQ(form->Names(), (std::vector<std::string>{"Bruno", "Carla", "Ana", "Mariana"}));
  EXPECT_EQ(form->Name(), "Carla");
  form->Ordenar();
  EXPECT_EQ(form->Names(), (std::vector<std::string>{"Mariana", "Ana", "Carla", "Bruno"}));
  SelectColumn("NOME");
  form->Ordenar();
  EXPECT_EQ(form->Names(), (std::vector<std::string>{"Ana", "Bruno", "Carla", "Mariana"}));
  EXPECT_EQ(form->cdsTeste.ChangeCount(), 0);
}

TEST_F(PadraoGrid, OrderRefusesWhileChangesArePendingSoNoneIsLost) {
  form->cdsTeste.Edit();
  form->cdsTeste.FieldByName("NOME").SetAsString("Zélia");
  form->cdsTeste.Post();  // logged, not merged
  SelectColumn("NOME");
  form->Ordenar();
  EXPECT_EQ(form->cdsTeste.ChangeCount(), 1);
  EXPECT_EQ(form->Names(), (std::vector<std::string>{"Zélia", "Bruno", "Carla", "Mariana"}));
  EXPECT_EQ(dialogs->Shown().back().kind, ui::PromptKind::Information);
}

TEST_F(PadraoGrid, GridKeysRunTheCommandsAndAreConsumed) {
  struct Case {
    uint16_t key;
    ui::TShiftState shift;
    DataSetState state;
    uint16_t keyAfter;
  };
  const Case cases[] = {
      {ui::VK_INSERT, {}, DataSetState::Insert, 0},
      {ui::VK_F2, {}, DataSetState::Edit, 0},
      {ui::VK_F9, {}, DataSetState::Browse, ui::VK_F9},
      {ui::VK_DELETE, {}, DataSetState::Browse, ui::VK_DELETE},  // plain Delete deletes nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    form->cdsTeste.Cancel();
    uint16_t key = c.key;
    form->dbgPadrao->OnKeyDown(form->dbgPadrao, key, c.shift);
    EXPECT_EQ(form->cdsTeste.State(), c.state);
    EXPECT_EQ(key, c.keyAfter);
  }
  form->cdsTeste.Cancel();

  uint16_t key = ui::VK_F5;
  form->dbgPadrao->OnKeyDown(form->dbgPadrao, key, {});
  EXPECT_EQ(form->refreshes, 1);

  dialogs->AnswerConfirm(true);
  key = ui::VK_DELETE;
  form->dbgPadrao->OnKeyDown(form->dbgPadrao, key, ui::TShiftFlag::ssCtrl);
  EXPECT_EQ(form->cdsTeste.RecordCount(), 3);

  form->Incluir();
  form->cdsTeste.FieldByName("NOME").SetAsString("Teclado");
  key = ui::VK_RETURN;
  form->dbgPadrao->OnKeyDown(form->dbgPadrao, key, ui::TShiftFlag::ssCtrl);
  EXPECT_EQ(form->cdsTeste.State(), DataSetState::Browse);
  EXPECT_EQ(form->cdsTeste.RecordCount(), 4);
}

TEST_F(PadraoGrid, TheDerivedVerifyHandlerServesButtonMenuAndNavigator) {
  form->sbtVerificar->Click();
  form->mnuVerificar->Click();
  form->dbnPadrao->BtnClick(ui::TNavigateBtn::nbRefresh);
  form->Verificar();
  EXPECT_EQ(form->refreshes, 4);
}

TEST_F(PadraoGrid, ButtonHintsShowTheirKeys) {
  EXPECT_EQ(form->sbtIncluir->Hint(), "Incluir (Insert)");
  EXPECT_EQ(form->sbtExcluir->Hint(), "Excluir (Ctrl+Delete)");
  EXPECT_EQ(form->sbtConfirmar->Hint(), "Confirmar (Ctrl+Enter)");
}

TEST_F(PadraoGrid, ListingHoldsTheGridsColumnsAndEveryRowAsDisplayed) {
  const frm::ReportTable table = form->ListingTable();
  EXPECT_EQ(table.title, "Teste");
  EXPECT_EQ(table.code, "TST00100");
  ASSERT_EQ(table.columns.size(), 2u);
  EXPECT_EQ(table.columns[0].title, "Nome");
  EXPECT_EQ(table.columns[1].alignment, ui::TAlignment::taRightJustify);
  ASSERT_EQ(table.rows.size(), 4u);
  EXPECT_EQ(table.rows[1], (std::vector<std::string>{"Bruno", "1,25"}));
}

TEST(PadraoGridClose, ClosingFreesTheScreen) {
  TestApp();
  bool destroyed = false;
  auto* form = ui::Application().CreateForm<TfrmTeste>(nullptr, &destroyed);
  form->Show();
  form->Close();
  for (int i = 0; i < 10 && !destroyed; ++i) ui::Application().ProcessMessages();
  EXPECT_TRUE(destroyed);
  ui::Application().Shutdown();
}

}  // namespace
