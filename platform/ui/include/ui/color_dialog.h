#pragma once
// TColorDialog: the modal colour picker. Execute opens it (through the dialog seam) on Color
// (a system colour is resolved to its current RGB value first); when the user accepts, Color
// becomes the chosen colour as a plain 0x00BBGGRR value and Execute returns true; when the
// user cancels, Color is unchanged and Execute returns false.

#include "ui/color.h"
#include "ui/component.h"

namespace ui {

class TColorDialog : public TComponent {
 public:
  explicit TColorDialog(TComponent* owner) : TComponent(owner) {}

  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value) { ctl3D_ = value; }

  bool Execute();

 private:
  TColor color_ = clBlack;
  bool ctl3D_ = true;
};

}  // namespace ui
