#pragma once
// The three check-box pictures of the range screen, 16 x 16 pixels of the standard 16-colour
// palette on an olive background (olive is the colour the grid drawing treats as transparent).
// All three share the frame: black top and left edges, a one-pixel olive gap, silver right and
// bottom edges around a 9 x 9 inside. Each call builds a fresh bitmap.

#include "ui/graphics.h"

namespace Cli_ped06900 {

// White inside with a black tick.
ui::TBitmap CheckPicture();
// White inside.
ui::TBitmap UncheckPicture();
// Silver inside: a greyed box.
ui::TBitmap DescheckPicture();

}  // namespace Cli_ped06900
