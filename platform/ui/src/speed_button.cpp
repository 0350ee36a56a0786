#include "ui/speed_button.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>
#include <QToolButton>

#include "qt_convert.h"
#include "ui/application.h"

namespace ui {

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner, new QToolButton()) {
  auto* button = static_cast<QToolButton*>(Widget());
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button, &QToolButton::clicked, button,
                   [this] { CallSafely([this] { Click(); }); });
}

void TSpeedButton::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  static_cast<QToolButton*>(Widget())->setText(ToQString(caption_));
}

void TSpeedButton::SetGlyph(const TBitmap& glyph) {
  auto* button = static_cast<QToolButton*>(Widget());
  if (glyph.Empty()) {
    button->setIcon(QIcon());
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return;
  }
  QPixmap pixmap = QPixmap::fromImage(glyph.Image());
  QColor key = glyph.Image().pixelColor(0, glyph.Height() - 1);
  pixmap.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
  button->setIcon(QIcon(pixmap));
  button->setIconSize(pixmap.size());
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TSpeedButton::SetFlat(bool flat) {
  flat_ = flat;
  static_cast<QToolButton*>(Widget())->setAutoRaise(flat);
}

void TSpeedButton::Click() {
  if (Enabled() && OnClick) OnClick(this);
}

}  // namespace ui
