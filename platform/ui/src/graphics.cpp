#include "ui/graphics.h"

#include <QImage>
#include <QPainter>

#include "qt_convert.h"
#include "rtl/exceptions.h"

namespace ui {

// ---- TCanvas ----

TCanvas::TCanvas(QPainter* painter) : painter_(painter) {}
TCanvas::TCanvas(TBitmap* owner) : bitmap_(owner) {}
TCanvas::~TCanvas() = default;

void TCanvas::Paint(const std::function<void(QPainter&)>& draw) {
  if (painter_) {
    painter_->save();
    draw(*painter_);
    painter_->restore();
    return;
  }
  QImage& image = bitmap_->Image();
  if (image.isNull()) return;
  QPainter painter(&image);
  draw(painter);
}

void TCanvas::FillRect(const TRect& rect) {
  QColor color = ToQColor(brush_.Color());
  Paint([&](QPainter& p) { p.fillRect(ToQRect(rect), color); });
}

void TCanvas::FrameRect(const TRect& rect) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  QColor color = ToQColor(pen_.Color());
  Paint([&](QPainter& p) {
    p.setPen(QPen(color, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
  });
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  QColor color = ToQColor(font_.Color());
  Paint([&](QPainter& p) {
    QFont f = p.font();
    f.setBold(font_.Bold());
    p.setFont(f);
    p.setPen(color);
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), ToQString(text));
  });
}

void TCanvas::TextRect(const TRect& rect, const std::string& text, TAlignment alignment) {
  QColor color = ToQColor(font_.Color());
  Qt::Alignment align = Qt::AlignVCenter;
  switch (alignment) {
    case TAlignment::taLeftJustify:
      align |= Qt::AlignLeft;
      break;
    case TAlignment::taRightJustify:
      align |= Qt::AlignRight;
      break;
    case TAlignment::taCenter:
      align |= Qt::AlignHCenter;
      break;
  }
  Paint([&](QPainter& p) {
    QFont f = p.font();
    f.setBold(font_.Bold());
    p.setFont(f);
    p.setPen(color);
    p.setClipRect(ToQRect(rect), Qt::IntersectClip);
    p.drawText(ToQRect(rect).adjusted(2, 0, -2, 0), int(align), ToQString(text));
  });
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  Paint([&](QPainter& p) { p.drawImage(QPoint(x, y), bitmap.Image()); });
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& source,
                        TColor transparent) {
  // Only the part of the source that lies inside the bitmap, and inside the destination's size.
  QRect wanted(source.Left, source.Top, std::min(source.Width(), dest.Width()),
               std::min(source.Height(), dest.Height()));
  QRect part = wanted.intersected(QRect(0, 0, bitmap.Width(), bitmap.Height()));
  if (part.isEmpty()) return;
  QImage copy = bitmap.Image().copy(part).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(transparent).rgb() & 0x00FFFFFF;
  const QRgb fill = ToQColor(brush_.Color()).rgb() | 0xFF000000;
  for (int y = 0; y < copy.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
    for (int x = 0; x < copy.width(); ++x) {
      if ((line[x] & 0x00FFFFFF) == key) line[x] = fill;
    }
  }
  QPoint at(dest.Left + (part.left() - source.Left), dest.Top + (part.top() - source.Top));
  Paint([&](QPainter& p) { p.drawImage(at, copy); });
}

TColor TCanvas::Pixel(int x, int y) const {
  if (bitmap_) return bitmap_->Pixel(x, y);
  throw rtl::Exception("Não é possível ler pixels desta superfície de desenho.");
}

// ---- TBitmap ----

TBitmap::TBitmap() : image_(std::make_unique<QImage>()), canvas_(new TCanvas(this)) {}

TBitmap::TBitmap(int width, int height) : TBitmap() {
  SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap& other)
    : image_(std::make_unique<QImage>(*other.image_)), canvas_(new TCanvas(this)) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this != &other) *image_ = *other.image_;
  return *this;
}

TBitmap::~TBitmap() = default;

TBitmap TBitmap::FromPalette16(int width, int height, std::span<const uint8_t> indices) {
  if (width < 0 || height < 0 || indices.size() != static_cast<size_t>(width) * height) {
    throw rtl::Exception("Bitmap de 16 cores: o número de pixels não confere com o tamanho.");
  }
  QImage image(width, height, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (TColor c : kStandardPalette16)
    table.push_back(qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
  image.setColorTable(table);
  for (int y = 0; y < height; ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < width; ++x) {
      uint8_t index = indices[static_cast<size_t>(y) * width + x];
      if (index > 15) throw rtl::Exception("Bitmap de 16 cores: índice de cor fora da paleta.");
      line[x] = index;
    }
  }
  TBitmap bitmap;
  *bitmap.image_ = image.convertToFormat(QImage::Format_RGB32);
  return bitmap;
}

int TBitmap::Width() const {
  return image_->width();
}
int TBitmap::Height() const {
  return image_->height();
}

void TBitmap::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    *image_ = QImage();
    return;
  }
  *image_ = QImage(width, height, QImage::Format_RGB32);
  image_->fill(Qt::white);
}

TColor TBitmap::Pixel(int x, int y) const {
  if (!image_->valid(x, y)) throw rtl::Exception("Pixel fora do bitmap.");
  return FromQColor(image_->pixelColor(x, y));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (!image_->valid(x, y)) throw rtl::Exception("Pixel fora do bitmap.");
  image_->setPixelColor(x, y, ToQColor(color));
}

const QImage& TBitmap::Image() const {
  return *image_;
}
QImage& TBitmap::Image() {
  return *image_;
}

}  // namespace ui
