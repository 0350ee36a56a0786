#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>
#include <vector>

#include "rtl/exceptions.h"
#include "ui/color.h"
#include "ui/graphics.h"

namespace ui {
namespace {

// A 4x3 picture: olive background (palette 3) with a black (0) and a white (15) pixel.
TBitmap SmallPicture() {
  const std::vector<uint8_t> indices = {
      3, 3, 3,  3,  //
      3, 0, 15, 3,  //
      3, 3, 3,  3,  //
  };
  return TBitmap::FromPalette16(4, 3, indices);
}

TEST(BitmapTest, FromPalette16MapsIndicesToTheStandardPalette) {
  TBitmap bitmap = SmallPicture();
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.Pixel(0, 0), clOlive);
  EXPECT_EQ(bitmap.Pixel(1, 1), clBlack);
  EXPECT_EQ(bitmap.Pixel(2, 1), clWhite);
}

TEST(BitmapTest, FromPalette16RefusesWrongCountsAndIndices) {
  const std::vector<uint8_t> tooFew = {0, 1, 2};
  EXPECT_THROW(TBitmap::FromPalette16(2, 2, tooFew), rtl::Exception);
  const std::vector<uint8_t> badIndex = {0, 16, 2, 3};
  EXPECT_THROW(TBitmap::FromPalette16(2, 2, badIndex), rtl::Exception);
}

TEST(BitmapTest, PixelOutsideRaises) {
  TBitmap bitmap(2, 2);
  EXPECT_THROW(bitmap.Pixel(2, 0), rtl::Exception);
  EXPECT_THROW(bitmap.SetPixel(0, -1, clRed), rtl::Exception);
}

// BrushCopy paints the key colour with the brush, whatever the surface underneath was.
class BrushCopyTest : public ::testing::TestWithParam<TColor> {};

TEST_P(BrushCopyTest, KeyColourTakesTheBrushAndOtherPixelsAreCopied) {
  const TColor background = GetParam();
  TBitmap surface(10, 10);
  TCanvas& canvas = surface.Canvas();
  canvas.Brush().SetColor(background);
  canvas.FillRect(Rect(0, 0, 10, 10));

  TBitmap picture = SmallPicture();
  canvas.BrushCopy(Bounds(3, 2, 4, 3), picture, Rect(0, 0, 4, 3), clOlive);

  EXPECT_EQ(surface.Pixel(3, 2), background);  // olive corner shows the brush
  EXPECT_EQ(surface.Pixel(6, 4), background);
  EXPECT_EQ(surface.Pixel(4, 3), clBlack);
  EXPECT_EQ(surface.Pixel(5, 3), clWhite);
  EXPECT_EQ(surface.Pixel(2, 2), background);  // outside the destination: untouched
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, BrushCopyTest, ::testing::Values(clRed, clNavy));

TEST(BrushCopyTest, RowsBeyondTheBitmapAreNotDrawn) {
  TBitmap surface(10, 10);
  TCanvas& canvas = surface.Canvas();
  canvas.Brush().SetColor(clLime);
  canvas.FillRect(Rect(0, 0, 10, 10));
  canvas.Brush().SetColor(clRed);

  // A source 8 rows high over a 3-row picture: only 3 rows arrive.
  canvas.BrushCopy(Bounds(0, 0, 4, 8), SmallPicture(), Rect(0, 0, 4, 8), clOlive);

  EXPECT_EQ(surface.Pixel(0, 2), clRed);
  EXPECT_EQ(surface.Pixel(1, 1), clBlack);
  EXPECT_EQ(surface.Pixel(0, 3), clLime);
  EXPECT_EQ(surface.Pixel(0, 7), clLime);
}

TEST(ColorTest, PlainColoursPassAndSystemColoursReadThePalette) {
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201);
  QPalette saved = QGuiApplication::palette();
  QPalette palette = saved;
  palette.setColor(QPalette::ToolTipBase, QColor(10, 20, 30));
  palette.setColor(QPalette::Highlight, QColor(40, 50, 60));
  QGuiApplication::setPalette(palette);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(10, 20, 30));
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(40, 50, 60));
  QGuiApplication::setPalette(saved);
  EXPECT_LT(clInfoBk, 0);
}

}  // namespace
}  // namespace ui
