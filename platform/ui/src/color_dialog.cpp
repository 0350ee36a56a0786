#include "ui/color_dialog.h"

#include "ui/dialogs.h"

namespace ui {

bool TColorDialog::Execute() {
  std::optional<TColor> chosen = Dialogs().PickColor(ColorToRGB(color_));
  if (!chosen) return false;
  color_ = *chosen & 0x00FFFFFF;
  return true;
}

}  // namespace ui
