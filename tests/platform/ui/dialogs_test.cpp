#include <gtest/gtest.h>

#include "rtl/exceptions.h"
#include "ui/application.h"
#include "ui/color_dialog.h"
#include "ui/scripted_dialogs.h"

namespace ui {
namespace {

TEST(DialogSeamTest, ScriptAnswersInOrderAndRecordsWhatWasShown) {
  ScopedDialogs script;
  script->AnswerConfirm(true);
  script->AnswerConfirm(false);
  script->AnswerInput(std::string("abc"));

  ShowError("Falhou.");
  EXPECT_TRUE(Confirm("Confirma exclusão?"));
  EXPECT_FALSE(Confirm("De novo?"));
  EXPECT_EQ(InputQuery("Procurar", "Texto:"), "abc");
  ShowInformation("Pronto.");

  ASSERT_EQ(script->Shown().size(), 5u);
  EXPECT_EQ(script->Shown()[0].kind, PromptKind::Error);
  EXPECT_EQ(script->Shown()[0].text, "Falhou.");
  EXPECT_EQ(script->Shown()[1].kind, PromptKind::Confirmation);
  EXPECT_EQ(script->Shown()[1].text, "Confirma exclusão?");
  EXPECT_EQ(script->Shown()[4].kind, PromptKind::Information);
}

TEST(DialogSeamTest, PromptWithoutScriptedAnswerRaises) {
  ScopedDialogs script;
  EXPECT_THROW(Confirm("Sem resposta?"), rtl::Exception);
  EXPECT_THROW(TColorDialog(nullptr).Execute(), rtl::Exception);
}

TEST(DialogSeamTest, ScopeRestoresThePreviousService) {
  ScopedDialogs outer;
  {
    ScopedDialogs inner;
    ShowError("interno");
    EXPECT_EQ(inner->Shown().size(), 1u);
  }
  ShowError("externo");
  ASSERT_EQ(outer->Shown().size(), 1u);
  EXPECT_EQ(outer->Shown()[0].text, "externo");
}

TEST(HandleExceptionTest, AbortIsSilentAndOtherFailuresShowTheirMessage) {
  ScopedDialogs script;
  Application().HandleException(rtl::EAbort());
  EXPECT_TRUE(script->Shown().empty());

  Application().HandleException(rtl::Exception("Valor já cadastrado em outro intervalo."));
  Application().HandleException(std::runtime_error("falha qualquer"));
  ASSERT_EQ(script->Shown().size(), 2u);
  EXPECT_EQ(script->Shown()[0].kind, PromptKind::Error);
  EXPECT_EQ(script->Shown()[0].text, "Valor já cadastrado em outro intervalo.");
  EXPECT_EQ(script->Shown()[1].text, "Ocorreu um erro inesperado: falha qualquer");
}

TEST(HandleExceptionTest, CallSafelyKeepsFailuresFromTravelling) {
  ScopedDialogs script;
  EXPECT_NO_THROW(CallSafely([] { throw rtl::Exception("no limite"); }));
  EXPECT_NO_THROW(CallSafely([] { throw 42; }));
  EXPECT_NO_THROW(CallSafely([] { throw rtl::EAbort(); }));
  ASSERT_EQ(script->Shown().size(), 2u);
  EXPECT_EQ(script->Shown()[0].text, "no limite");
}

TEST(ColorDialogTest, OpensOnTheLastAcceptedColourAndKeepsItOnCancel) {
  ScopedDialogs script;
  TColorDialog dialog(nullptr);
  dialog.SetColor(clInfoBk);
  script->AnswerColor(RGB(255, 0, 0));
  script->AnswerColor(std::nullopt);
  script->AnswerColor(RGB(0, 0, 255));

  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), 255);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), 255);
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), 0xFF0000);

  const auto& initials = script->ColorDialogInitials();
  ASSERT_EQ(initials.size(), 3u);
  EXPECT_EQ(initials[0], ColorToRGB(clInfoBk));  // a system colour opens resolved
  EXPECT_EQ(initials[1], 255);
  EXPECT_EQ(initials[2], 255);
}

}  // namespace
}  // namespace ui
