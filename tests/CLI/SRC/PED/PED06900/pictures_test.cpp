// The three check-box pictures, pixel by pixel, against the drawing rules of the box.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "Cli_ped06900_pictures.h"
#include "module_fixture.h"
#include "ui/color.h"

namespace {

using ui::TColor;

const std::set<std::pair<int, int>> kTick = {  // (column, row)
    {10, 4}, {9, 5}, {10, 5}, {4, 6}, {8, 6}, {9, 6}, {10, 6}, {4, 7}, {5, 7}, {7, 7}, {8, 7},
    {9, 7},  {4, 8}, {5, 8},  {6, 8}, {7, 8}, {8, 8}, {5, 9},  {6, 9}, {7, 9}, {6, 10}};

TColor ExpectedPixel(int x, int y, TColor inside, bool ticked) {
  if ((y == 2 && x >= 2 && x <= 11) || (x == 2 && y >= 2 && y <= 11)) return ui::clBlack;
  if ((x == 13 && y >= 1 && y <= 13) || (y == 13 && x >= 1 && x <= 13)) return ui::clSilver;
  if (x >= 3 && x <= 11 && y >= 3 && y <= 11) {
    return ticked && kTick.contains({x, y}) ? ui::clBlack : inside;
  }
  return ui::clOlive;  // background and the gap inside the silver edges
}

struct PictureCase {
  const char* name;
  ui::TBitmap (*make)();
  TColor inside;
  bool ticked;
};

class Pictures : public testing::TestWithParam<PictureCase> {};

TEST_P(Pictures, EveryPixelFollowsTheBoxDrawing) {
  ped06900_test::App();
  const PictureCase& c = GetParam();
  const ui::TBitmap picture = c.make();
  ASSERT_EQ(picture.Width(), 16);
  ASSERT_EQ(picture.Height(), 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(picture.Pixel(x, y), ExpectedPixel(x, y, c.inside, c.ticked))
          << c.name << " column " << x << " row " << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    CheckBoxes, Pictures,
    testing::Values(PictureCase{"imgCheck", Cli_ped06900::CheckPicture, ui::clWhite, true},
                    PictureCase{"imgUncheck", Cli_ped06900::UncheckPicture, ui::clWhite, false},
                    PictureCase{"imgDescheck", Cli_ped06900::DescheckPicture, ui::clSilver, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
