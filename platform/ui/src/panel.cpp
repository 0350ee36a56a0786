#include "ui/panel.h"

#include <QFrame>
#include <QLabel>

#include "qt_convert.h"

namespace ui {
namespace {

// A raised frame whose caption, if any, is centred behind the children.
class PanelWidget : public QFrame {
 public:
  PanelWidget() : caption(new QLabel(this)) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    caption->setAlignment(Qt::AlignCenter);
    caption->lower();
  }
  QLabel* caption;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QFrame::resizeEvent(event);
    caption->setGeometry(rect());
  }
};

}  // namespace

TPanel::TPanel(TComponent* owner) : TWinControl(owner, new PanelWidget()) {}

void TPanel::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  static_cast<PanelWidget*>(Widget())->caption->setText(ToQString(caption_));
}

}  // namespace ui
