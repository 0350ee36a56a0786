#pragma once
// TLabel: a line of static text. With AutoSize (the default) the label is never narrower than
// its caption, whatever width it is given, so a caption is never cut.

#include <string>

#include "ui/control.h"

namespace ui {

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

 private:
  void AdjustWidth();

  std::string caption_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool autoSize_ = true;
};

}  // namespace ui
