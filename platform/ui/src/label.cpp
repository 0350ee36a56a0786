#include "ui/label.h"

#include <QLabel>

#include "qt_convert.h"

namespace ui {

TLabel::TLabel(TComponent* owner) : TControl(owner, new QLabel()) {}

void TLabel::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  auto* label = static_cast<QLabel*>(Widget());
  label->setText(ToQString(caption_));
  AdjustWidth();
}

void TLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  AdjustWidth();
}

void TLabel::AdjustWidth() {
  // Qt keeps a widget at least as wide as its minimum, so a narrower width set later is widened.
  QWidget* label = Widget();
  label->setMinimumWidth(autoSize_ ? label->sizeHint().width() : 0);
  if (autoSize_ && label->width() < label->minimumWidth())
    label->resize(label->minimumWidth(), label->height());
}

void TLabel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Qt::Alignment align = alignment == TAlignment::taCenter         ? Qt::AlignHCenter
                        : alignment == TAlignment::taRightJustify ? Qt::AlignRight
                                                                  : Qt::AlignLeft;
  static_cast<QLabel*>(Widget())->setAlignment(align | Qt::AlignVCenter);
}

}  // namespace ui
