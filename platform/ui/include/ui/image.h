#pragma once
// TImage: a control that shows a bitmap (Picture). Screens also keep hidden images only to
// hold pictures that their drawing handlers copy.

#include "ui/control.h"
#include "ui/graphics.h"

namespace ui {

class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  const TBitmap& Picture() const { return picture_; }
  // Replaces the picture; with AutoSize the control takes the picture's size.
  void SetPicture(const TBitmap& picture);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }

 private:
  TBitmap picture_;
  bool autoSize_ = true;
};

}  // namespace ui
