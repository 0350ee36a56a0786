#pragma once
// TSpeedButton: a flat tool button showing a glyph (when it has one) or its caption. Click()
// runs OnClick only when the button is enabled; a raised exception travels to the caller.
// A click by the user goes through CallSafely.

#include <string>

#include "ui/control.h"
#include "ui/graphics.h"

namespace ui {

class TSpeedButton : public TControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The picture shown instead of the caption; pixels of the bottom-left pixel's colour are
  // transparent, as tool glyphs are drawn.
  void SetGlyph(const TBitmap& glyph);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);

  void Click();
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  bool flat_ = true;
};

}  // namespace ui
