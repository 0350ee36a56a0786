#pragma once
// TLabel: a line of static text.

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

 private:
  std::string caption_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

}  // namespace ui
