#pragma once
// TBitmap, TBrush, TPen, TFont and TCanvas: pixel pictures and drawing on a surface.
// A TCanvas draws either on a bitmap (every bitmap has one) or on a widget being painted (the
// grid hands one to its drawing handler). Coordinates are pixels; a TRect's Right and Bottom
// are exclusive. Drawing outside the surface is clipped, never an error.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "ui/color.h"
#include "ui/types.h"

class QImage;
class QPainter;

namespace ui {

class TBitmap;

class TBrush {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }

 private:
  TColor color_ = clWhite;
};

class TPen {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }

 private:
  TColor color_ = clBlack;
};

class TFont {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  bool Bold() const { return bold_; }
  void SetBold(bool bold) { bold_ = bold; }

 private:
  TColor color_ = clWindowText;
  bool bold_ = false;
};

class TCanvas {
 public:
  // A canvas over a painter that somebody else has begun and ends (a widget's paint event).
  explicit TCanvas(QPainter* painter);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TBrush& Brush() { return brush_; }
  TPen& Pen() { return pen_; }
  TFont& Font() { return font_; }

  // Fills the rectangle with the brush colour.
  void FillRect(const TRect& rect);
  // Draws the outline of the rectangle in the pen colour.
  void FrameRect(const TRect& rect);
  void TextOut(int x, int y, const std::string& text);
  // Text inside the rectangle, clipped to it, vertically centred, with that alignment.
  void TextRect(const TRect& rect, const std::string& text,
                TAlignment alignment = TAlignment::taLeftJustify);
  // Copies the whole bitmap with its top-left corner at (x, y).
  void Draw(int x, int y, const TBitmap& bitmap);
  // Copies the `source` rectangle of `bitmap` unscaled to `dest`'s top-left corner, painting
  // every pixel of `transparent` colour with the brush colour instead. Only the part of the
  // source inside the bitmap is drawn (rows or columns beyond it draw nothing), and nothing
  // beyond `dest`'s size.
  void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& source, TColor transparent);
  TColor Pixel(int x, int y) const;

 private:
  friend class TBitmap;
  explicit TCanvas(TBitmap* owner);
  // Runs `draw` with a painter on this canvas's surface and the brush/pen resolved.
  void Paint(const std::function<void(QPainter&)>& draw);

  QPainter* painter_ = nullptr;
  TBitmap* bitmap_ = nullptr;
  TBrush brush_;
  TPen pen_;
  TFont font_;
};

// A picture of Width x Height pixels (32-bit colour), empty (0 x 0) when created.
class TBitmap {
 public:
  TBitmap();
  TBitmap(int width, int height);  // filled with white
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap();

  // A 4-bit bitmap: `indices` holds width*height palette indices (0..15, row by row) into
  // kStandardPalette16. Raises rtl::Exception when the count or an index is wrong.
  static TBitmap FromPalette16(int width, int height, std::span<const uint8_t> indices);

  int Width() const;
  int Height() const;
  bool Empty() const { return Width() == 0 || Height() == 0; }
  // New size; the content is white afterwards.
  void SetSize(int width, int height);
  void Assign(const TBitmap& other) { *this = other; }

  // 0x00BBGGRR of the pixel; raises rtl::Exception outside the bitmap.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  TCanvas& Canvas() { return *canvas_; }

  // The pixels, for platform code.
  const QImage& Image() const;
  QImage& Image();

 private:
  std::unique_ptr<QImage> image_;
  std::unique_ptr<TCanvas> canvas_;
};

}  // namespace ui
