#include "ui/image.h"

#include <QLabel>
#include <QPixmap>

namespace ui {

TImage::TImage(TComponent* owner) : TControl(owner, new QLabel()) {}

void TImage::SetPicture(const TBitmap& picture) {
  picture_ = picture;
  auto* label = static_cast<QLabel*>(Widget());
  label->setPixmap(picture.Empty() ? QPixmap() : QPixmap::fromImage(picture.Image()));
  if (autoSize_ && !picture.Empty()) SetBounds(Left(), Top(), picture.Width(), picture.Height());
}

}  // namespace ui
