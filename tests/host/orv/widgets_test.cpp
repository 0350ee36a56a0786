// Routines of the utility package that show something: the error routine and the busy
// indicator.
#include <gtest/gtest.h>

#include <QLabel>

#include "orv/consiste.h"
#include "orv/showavi.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/scripted_dialogs.h"

namespace {

TEST(MensErro, ShowsTheTextAsAnErrorThenAbortsSilently) {
  ui::ScopedDialogs dialogs;
  EXPECT_THROW(orv::MensErro("Valor Inicial deve ser informado.", true), rtl::EAbort);
  orv::MensErro("Só mostra.", false);
  ASSERT_EQ(dialogs->Shown().size(), 2u);
  EXPECT_EQ(dialogs->Shown()[0].kind, ui::PromptKind::Error);
  EXPECT_EQ(dialogs->Shown()[0].text, "Valor Inicial deve ser informado.");
  EXPECT_EQ(dialogs->Shown()[1].text, "Só mostra.");
}

QLabel* IndicatorOf(ui::TForm* form) {
  return form->Widget()->window()->findChild<QLabel*>("orvShowAvi");
}

TEST(ShowAvi, ShowsAtOnceOverTheMainWindowAndGoesAwayHarmlessly) {
  orv::ResetShowAviStatus();
  auto* form = ui::Application().CreateForm<ui::TForm>();
  form->SetBounds(0, 0, 400, 300);
  form->Show();

  orv::ActiveShowAvi(form, orv::aviLendo);
  QLabel* indicator = IndicatorOf(form);
  ASSERT_NE(indicator, nullptr);
  EXPECT_TRUE(indicator->isVisible()) << "painted without a turn of the event loop";
  EXPECT_TRUE(indicator->text().contains("Lendo dados..."));
  EXPECT_TRUE(orv::ShowAviStatus().showing);
  EXPECT_EQ(orv::ShowAviStatus().kind, orv::aviLendo);

  orv::ActiveShowAvi(form, orv::aviGravando);
  EXPECT_EQ(IndicatorOf(form), indicator) << "one indicator at a time";
  EXPECT_TRUE(indicator->text().contains("Gravando dados..."));

  // Every text fits whole, centred over the main window.
  const QPoint centre =
      form->Widget()->window()->mapToGlobal(form->Widget()->window()->rect().center());
  for (orv::TShowAvi kind : {orv::aviGravando, orv::aviCopiando, orv::aviExcluindo,
                             orv::aviProcurando, orv::aviImprimindo, orv::aviLendo}) {
    SCOPED_TRACE(orv::ShowAviText(kind));
    orv::ActiveShowAvi(form, kind);
    EXPECT_EQ(indicator->text().toStdString(), orv::ShowAviText(kind));
    EXPECT_GE(indicator->width(), indicator->sizeHint().width());
    EXPECT_GE(indicator->height(), indicator->sizeHint().height());
    EXPECT_LE((indicator->geometry().center() - centre).manhattanLength(), 2);
  }

  // The next call of the same action comes before the event loop runs: the indicator stays up.
  orv::DeactiveShowAvi();
  EXPECT_FALSE(orv::ShowAviStatus().showing);
  orv::ActiveShowAvi(form, orv::aviGravando);
  ui::Application().ProcessMessages();
  EXPECT_TRUE(indicator->isVisible());
  EXPECT_EQ(indicator->text().toStdString(), orv::ShowAviText(orv::aviGravando));

  // The action is over: it goes at the event loop's next turn.
  orv::DeactiveShowAvi();
  EXPECT_FALSE(orv::ShowAviStatus().showing);
  ui::Application().ProcessMessages();
  EXPECT_FALSE(indicator->isVisible());
  orv::DeactiveShowAvi();  // nothing showing: harmless
  EXPECT_FALSE(orv::ShowAviStatus().showing);
  EXPECT_EQ(orv::ShowAviStatus().activations, 9);
  EXPECT_EQ(orv::ShowAviStatus().deactivations, 3);

  // Shown again after that, it goes again: no hide is left waiting.
  orv::ActiveShowAvi(form, orv::aviLendo);
  EXPECT_TRUE(indicator->isVisible());
  orv::DeactiveShowAvi();
  ui::Application().ProcessMessages();
  EXPECT_FALSE(indicator->isVisible());
  ui::Application().Shutdown();
}

TEST(ShowAvi, WithoutAMainWindowOnlyTheStateChanges) {
  orv::ResetShowAviStatus();
  orv::ActiveShowAvi(nullptr, orv::aviLendo);
  EXPECT_TRUE(orv::ShowAviStatus().showing);
  orv::DeactiveShowAvi();
  EXPECT_FALSE(orv::ShowAviStatus().showing);
}

}  // namespace
