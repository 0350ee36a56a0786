#include "ui/scroll_box.h"

#include <QScrollArea>

namespace ui {

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner, new QScrollArea()) {
  auto* area = static_cast<QScrollArea*>(Widget());
  // The content follows the box's size, so aligned children fill it; children placed beyond it
  // make it scroll.
  area->setWidgetResizable(true);
  content_ = new QWidget();
  area->setWidget(content_);
}

TScrollBox::~TScrollBox() {
  DetachControls();
}

QWidget* TScrollBox::ClientWidget() const {
  return content_;
}

}  // namespace ui
