#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWidget>

#include "rtl/exceptions.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/label.h"

namespace ui {
namespace {

// A form that builds a label in its constructor and reads it in OnCreate.
class LayoutForm : public TForm {
 public:
  explicit LayoutForm(TComponent* owner, bool failOnCreate = false) : TForm(owner) {
    lblCodTela = new TLabel(this);
    lblCodTela->SetParent(this);
    lblCodTela->SetCaption("PED06900");
    OnCreate = [this, failOnCreate](TComponent*) {
      seenAtCreate = lblCodTela->Caption();
      if (failOnCreate) throw rtl::Exception("falha na criação");
    };
  }
  TLabel* lblCodTela;
  std::string seenAtCreate;
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = Application().CreateForm<TForm>();
    main_->SetFormStyle(TFormStyle::fsMDIForm);
    Application().SetMainForm(main_);
    main_->SetBounds(0, 0, 800, 600);
    main_->Show();
  }
  void TearDown() override { Application().Shutdown(); }

  TForm* NewChild() {
    auto* child = Application().CreateForm<TForm>();
    child->SetFormStyle(TFormStyle::fsMDIChild);
    child->SetBounds(10, 10, 300, 200);
    return child;
  }

  TForm* main_ = nullptr;
};

TEST_F(FormTest, CreateFormRunsOnCreateOnceTheLayoutExists) {
  auto* form = Application().CreateForm<LayoutForm>();
  EXPECT_EQ(form->seenAtCreate, "PED06900");
  EXPECT_EQ(form->Owner(), &Application());
}

TEST_F(FormTest, FailedCreationDestroysTheFormAndRaises) {
  const int owned = Application().ComponentCount();
  EXPECT_THROW(Application().CreateForm<LayoutForm>(nullptr, true), rtl::Exception);
  EXPECT_EQ(Application().ComponentCount(), owned);
  EXPECT_EQ(Application().MainForm(), main_);
}

TEST_F(FormTest, MdiChildLivesInTheMainAreaAndSwitchesWindowStates) {
  TForm* child = NewChild();
  EXPECT_FALSE(child->Visible());  // forms start hidden
  child->Show();
  EXPECT_TRUE(child->Visible());
  auto* frame = qobject_cast<QMdiSubWindow*>(child->Widget()->parentWidget());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->mdiArea()->activeSubWindow(), frame);
  EXPECT_TRUE(frame->isVisible());

  child->SetWindowState(TWindowState::wsMinimized);
  EXPECT_EQ(child->WindowState(), TWindowState::wsMinimized);
  child->SetWindowState(TWindowState::wsMaximized);
  EXPECT_EQ(child->WindowState(), TWindowState::wsMaximized);
  child->SetWindowState(TWindowState::wsNormal);
  EXPECT_EQ(child->WindowState(), TWindowState::wsNormal);
}

TEST_F(FormTest, ShowBringsAnotherChildToTheFrontAndActivatesIt) {
  TForm* first = NewChild();
  TForm* second = NewChild();
  int activations = 0;
  first->OnActivate = [&](TComponent* sender) {
    EXPECT_EQ(sender, first);
    ++activations;
  };
  first->Show();
  second->Show();
  activations = 0;
  first->Show();
  EXPECT_EQ(activations, 1);
  auto* frame = qobject_cast<QMdiSubWindow*>(first->Widget()->parentWidget());
  EXPECT_EQ(frame->mdiArea()->activeSubWindow(), frame);
}

struct CloseCase {
  TCloseAction action;
  bool visibleAfter;
  bool aliveAfterEvents;
  TWindowState stateAfter;
};

std::string CloseCaseName(const ::testing::TestParamInfo<CloseCase>& info) {
  const char* const names[] = {"None", "Hide", "Free", "Minimize"};
  return names[static_cast<int>(info.param.action)];
}

class CloseActionTest : public FormTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseActionTest, CloseAppliesTheHandlersAction) {
  const CloseCase c = GetParam();
  TForm* child = NewChild();
  bool destroyed = false;
  child->OnDestroy = [&](TComponent*) { destroyed = true; };
  child->OnClose = [&](TComponent* sender, TCloseAction& action) {
    EXPECT_EQ(sender, child);
    EXPECT_EQ(action, TCloseAction::caHide);
    action = c.action;
  };
  child->Show();
  child->Close();
  EXPECT_FALSE(destroyed);  // never destroyed inside Close
  Application().ProcessMessages();
  EXPECT_EQ(!destroyed, c.aliveAfterEvents);
  if (!destroyed) {
    EXPECT_EQ(child->Widget()->parentWidget()->isVisible(), c.visibleAfter);
    EXPECT_EQ(child->Visible(), c.visibleAfter);
    EXPECT_EQ(child->WindowState(), c.stateAfter);
  } else {
    for (int i = 0; i < Application().ComponentCount(); ++i) {
      EXPECT_NE(Application().Components(i), child);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Actions, CloseActionTest,
    ::testing::Values(CloseCase{TCloseAction::caNone, true, true, TWindowState::wsNormal},
                      CloseCase{TCloseAction::caHide, false, true, TWindowState::wsNormal},
                      CloseCase{TCloseAction::caMinimize, true, true, TWindowState::wsMinimized},
                      CloseCase{TCloseAction::caFree, false, false, TWindowState::wsNormal}),
    CloseCaseName);

TEST_F(FormTest, TitleBarCloseGoesThroughOnClose) {
  TForm* child = NewChild();
  int closes = 0;
  child->OnClose = [&](TComponent*, TCloseAction& action) {
    ++closes;
    action = TCloseAction::caNone;
  };
  child->Show();
  child->Widget()->parentWidget()->close();  // what the title bar's X does
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(child->Widget()->parentWidget()->isVisible());
}

TEST_F(FormTest, FailingOnCloseReachesTheCallerAndKeepsTheForm) {
  TForm* child = NewChild();
  child->OnClose = [](TComponent*, TCloseAction&) { throw rtl::Exception("não fecha"); };
  child->Show();
  EXPECT_THROW(child->Close(), rtl::Exception);
  EXPECT_TRUE(child->Widget()->parentWidget()->isVisible());
}

TEST_F(FormTest, ShowModalReturnsOnlyAfterTheFormCloses) {
  auto* dialog = Application().CreateForm<TForm>();
  bool closedByTimer = false;
  QTimer::singleShot(30, [&] {
    closedByTimer = true;
    dialog->SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_TRUE(closedByTimer);
  EXPECT_FALSE(dialog->Modal());
  EXPECT_FALSE(dialog->Widget()->isVisible());

  QTimer::singleShot(10, [&] { dialog->Close(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(FormTest, ModalFormFreedOnCloseIsDestroyedAfterShowModalReturns) {
  auto* dialog = Application().CreateForm<TForm>();
  bool destroyed = false;
  dialog->OnDestroy = [&](TComponent*) { destroyed = true; };
  dialog->OnClose = [](TComponent*, TCloseAction& action) { action = TCloseAction::caFree; };
  QTimer::singleShot(10, [&] { dialog->Close(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_FALSE(destroyed);
  Application().ProcessMessages();
  EXPECT_TRUE(destroyed);
}

TEST_F(FormTest, MdiChildCannotBeModal) {
  TForm* child = NewChild();
  EXPECT_THROW(child->ShowModal(), rtl::Exception);
}

}  // namespace
}  // namespace ui
