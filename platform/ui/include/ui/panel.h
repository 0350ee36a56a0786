#pragma once
// TPanel: a container with a raised border and an optional centred caption.

#include <string>

#include "ui/control.h"

namespace ui {

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

 private:
  std::string caption_;
};

}  // namespace ui
