#pragma once
// Unit Showavi: the busy indicator shown over the main window while a remote call blocks.
//
// ActiveShowAvi paints the indicator before it returns (the call that follows usually blocks
// the event loop, so nothing would paint it later): a small framed box centred over
// `mainForm` with the text of the kind ("Lendo dados..." for aviLendo, "Gravando dados..." for
// aviGravando, ...), one size for every text. A second call while one shows replaces its kind.
// With no main form (null) nothing is drawn, but the state below is kept all the same.
// DeactiveShowAvi ends the state at once and takes the indicator away at the next turn of the
// event loop, unless another ActiveShowAvi came first (the calls of one action show one
// indicator); with nothing showing it does nothing. Both never raise.
// Everything runs on the user-interface thread.

namespace ui {
class TForm;
}  // namespace ui

namespace orv {

// The kinds of busy animation. Screens pass aviLendo (6) before reads and aviGravando (1)
// before writes.
enum TShowAvi : int {
  aviGravando = 1,
  aviCopiando = 2,
  aviExcluindo = 3,
  aviProcurando = 4,
  aviImprimindo = 5,
  aviLendo = 6,
};

void ActiveShowAvi(ui::TForm* mainForm, TShowAvi kind) noexcept;
void DeactiveShowAvi() noexcept;

// The text shown for a kind ("Aguarde..." for a kind without one of its own).
const char* ShowAviText(TShowAvi kind);

// For tests: what is showing, and how many times each routine ran.
struct ShowAviState {
  bool showing = false;
  TShowAvi kind = aviLendo;  // meaningful while showing
  int activations = 0;
  int deactivations = 0;
};
const ShowAviState& ShowAviStatus();
void ResetShowAviStatus();

}  // namespace orv
