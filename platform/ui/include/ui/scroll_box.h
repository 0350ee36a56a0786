#pragma once
// TScrollBox: a container whose content scrolls when it is larger than the box.

#include "ui/control.h"

namespace ui {

class TScrollBox : public TWinControl {
 public:
  explicit TScrollBox(TComponent* owner);
  ~TScrollBox() override;

 protected:
  QWidget* ClientWidget() const override;

 private:
  QWidget* content_;
};

}  // namespace ui
