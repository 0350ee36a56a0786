#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>
#include <functional>

#include "db/dataset.h"
#include "db/datasource.h"
#include "ui/application.h"
#include "ui/db_navigator.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/menus.h"
#include "ui/page_control.h"
#include "ui/panel.h"
#include "ui/scripted_dialogs.h"
#include "ui/speed_button.h"

namespace ui {
namespace {

TEST(LabelTest, AutoSizeNeverCutsTheCaption) {
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetCaption("PED06900 Rentabilidade");
  label->SetWidth(10);
  const int needed = label->Width();
  EXPECT_GT(needed, 10);

  label->SetAutoSize(false);
  label->SetWidth(10);
  EXPECT_EQ(label->Width(), 10);
}

TEST(AlignTest, TopBottomAndClientShareTheParent) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* top = new TPanel(&form);
  top->SetHeight(40);
  top->SetAlign(TAlign::alTop);
  top->SetParent(&form);
  auto* bottom = new TPanel(&form);
  bottom->SetHeight(30);
  bottom->SetAlign(TAlign::alBottom);
  bottom->SetParent(&form);
  auto* client = new TPanel(&form);
  client->SetAlign(TAlign::alClient);
  client->SetParent(&form);
  form.Show();

  const int w = form.ClientRect().Width();
  const int h = form.ClientRect().Height();
  EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, w, 40));
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, h - 30, w, 30));
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 40, w, h - 70));

  top->SetVisible(false);  // a hidden control gives its room away
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, w, h - 30));
}

TEST(CommandTest, DisabledButtonsAndMenuItemsIgnoreClicks) {
  TForm form(nullptr);
  int clicks = 0;
  auto* button = new TSpeedButton(&form);
  button->OnClick = [&](TComponent*) { ++clicks; };
  auto* item = new TMenuItem(&form);
  item->SetShortCut("Ctrl+P");
  item->OnClick = [&](TComponent*) { ++clicks; };

  button->Click();
  item->Click();
  EXPECT_EQ(clicks, 2);
  button->SetEnabled(false);
  item->SetEnabled(false);
  button->Click();
  item->Click();
  EXPECT_EQ(clicks, 2);
}

TEST(CommandTest, MenuShortcutRunsTheItemWhileItsFormHasTheFocus) {
  TForm form(nullptr);
  auto* menu = new TMainMenu(&form);
  auto* file = new TMenuItem(&form);
  file->SetCaption("&Arquivo");
  auto* listing = new TMenuItem(&form);
  listing->SetCaption("&Listagem...");
  listing->SetShortCut("Ctrl+P");
  int clicks = 0;
  listing->OnClick = [&](TComponent* sender) {
    EXPECT_EQ(sender, listing);
    ++clicks;
  };
  file->Add(listing);
  menu->Add(file);
  form.SetMenu(menu);
  form.Show();
  form.Widget()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
  form.Widget()->setFocusPolicy(Qt::StrongFocus);  // a form with no control to focus
  form.Widget()->setFocus();

  QTest::keyClick(form.Widget(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(clicks, 1);
  listing->SetEnabled(false);
  QTest::keyClick(form.Widget(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(clicks, 1);
}

TEST(CommandTest, MenuMayOutliveTheFormThatShowsIt) {
  TMainMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  menu.Add(item);
  {
    TForm form(nullptr);
    form.SetMenu(&menu);
    form.Show();
  }
  EXPECT_EQ(menu.MenuBar(), nullptr);  // went with the form; nothing is freed twice
}

TEST(PageControlTest, SheetsJoinInOrderAndOneIsActive) {
  TForm form(nullptr);
  auto* pages = new TPageControl(&form);
  pages->SetParent(&form);
  auto* first = new TTabSheet(&form);
  first->SetCaption("Dados");
  first->SetPageControl(pages);
  auto* second = new TTabSheet(&form);
  second->SetPageControl(pages);
  ASSERT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), first);
  pages->SetActivePage(second);
  EXPECT_EQ(pages->ActivePage(), second);
  delete second;
  EXPECT_EQ(pages->PageCount(), 1);
}

class NavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddStringField("NOME", 10);
    source_.SetDataSet(&data_);
    navigator_.SetDataSource(&source_);
  }
  bool Enabled(TNavigateBtn b) const { return navigator_.ButtonEnabled(b); }

  db::TClientDataSet data_;
  db::TDataSource source_;
  TDBNavigator navigator_{nullptr};
};

TEST_F(NavigatorTest, ButtonsFollowStateAndPosition) {
  EXPECT_FALSE(Enabled(TNavigateBtn::nbInsert));  // closed
  data_.CreateDataSet();
  EXPECT_TRUE(Enabled(TNavigateBtn::nbInsert));
  EXPECT_FALSE(Enabled(TNavigateBtn::nbDelete));  // empty
  EXPECT_FALSE(Enabled(TNavigateBtn::nbPost));

  navigator_.BtnClick(TNavigateBtn::nbInsert);
  EXPECT_EQ(data_.State(), db::DataSetState::Insert);
  EXPECT_TRUE(Enabled(TNavigateBtn::nbPost));
  EXPECT_TRUE(Enabled(TNavigateBtn::nbCancel));
  EXPECT_FALSE(Enabled(TNavigateBtn::nbInsert));
  data_.FieldByName("NOME").SetAsString("a");
  navigator_.BtnClick(TNavigateBtn::nbPost);
  data_.Append();
  data_.FieldByName("NOME").SetAsString("b");
  data_.Post();

  EXPECT_TRUE(Enabled(TNavigateBtn::nbFirst));
  EXPECT_FALSE(Enabled(TNavigateBtn::nbNext));
  navigator_.BtnClick(TNavigateBtn::nbFirst);
  EXPECT_EQ(data_.RecNo(), 1);
  EXPECT_FALSE(Enabled(TNavigateBtn::nbPrior));
  EXPECT_TRUE(Enabled(TNavigateBtn::nbLast));
}

// The buttons as the user sees them: enabled as ButtonEnabled says after each change of the data
// set, each with its hint.
TEST_F(NavigatorTest, ButtonWidgetsFollowTheDataSetAndKeepTheirHints) {
  const std::vector<std::string> hints = {"Primeiro", "Anterior", "Próximo", "Último",
                                          "Incluir",  "Excluir",  "Alterar", "Confirmar",
                                          "Cancelar", "Verificar"};
  navigator_.SetHints(hints);
  const QList<QToolButton*> buttons = navigator_.Widget()->findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 10);
  const std::function<void()> changes[] = {
      [&] { data_.CreateDataSet(); },
      [&] { data_.Append(); },
      [&] { data_.FieldByName("NOME").SetAsString("a"); },
      [&] { data_.Post(); },
      [&] { data_.Append(); },
      [&] { data_.Cancel(); },
      [&] { data_.First(); },
      [&] { data_.Close(); },
  };
  for (size_t step = 0; step < std::size(changes); ++step) {
    changes[step]();
    for (int i = 0; i < buttons.size(); ++i) {
      EXPECT_EQ(buttons[i]->isEnabled(), Enabled(static_cast<TNavigateBtn>(i)))
          << "step " << step << ", button " << i;
      EXPECT_EQ(buttons[i]->toolTip().toStdString(), hints[i]) << "step " << step;
    }
  }
}

TEST_F(NavigatorTest, DeleteAsksThroughTheSeamAndHintsMayBeEmpty) {
  ScopedDialogs script;
  navigator_.SetHints({});
  data_.CreateDataSet();
  data_.Append();
  data_.FieldByName("NOME").SetAsString("a");
  data_.Post();
  navigator_.SetDeleteQuestion("Confirma exclusão?");

  script->AnswerConfirm(false);
  navigator_.BtnClick(TNavigateBtn::nbDelete);
  EXPECT_EQ(data_.RecordCount(), 1);
  script->AnswerConfirm(true);
  navigator_.BtnClick(TNavigateBtn::nbDelete);
  EXPECT_EQ(data_.RecordCount(), 0);
  ASSERT_EQ(script->Shown().size(), 2u);
  EXPECT_EQ(script->Shown()[0].text, "Confirma exclusão?");
}

}  // namespace
}  // namespace ui
