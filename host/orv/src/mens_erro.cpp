#include "orv/consiste.h"
#include "ui/dialogs.h"

namespace orv {

void MensErro(const std::string& text, bool abortAfter) {
  ui::ShowError(text);
  if (abortAfter) throw rtl::EAbort();
}

}  // namespace orv
