#pragma once
// TColor: a colour as a 32-bit number. A plain colour is 0x00BBGGRR (red in the lowest byte).
// A system colour has the top byte 0xFF (so the number is negative) and the index of a role
// of the current palette in the low byte; ColorToRGB resolves it against the palette in
// force at the moment of the call.

#include <cstdint>

namespace ui {

using TColor = int32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr uint8_t GetRValue(TColor c) {
  return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GetGValue(TColor c) {
  return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(TColor c) {
  return static_cast<uint8_t>((c >> 16) & 0xFF);
}

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clMaroon = RGB(128, 0, 0);
constexpr TColor clGreen = RGB(0, 128, 0);
constexpr TColor clOlive = RGB(128, 128, 0);
constexpr TColor clNavy = RGB(0, 0, 128);
constexpr TColor clPurple = RGB(128, 0, 128);
constexpr TColor clTeal = RGB(0, 128, 128);
constexpr TColor clGray = RGB(128, 128, 128);
constexpr TColor clSilver = RGB(192, 192, 192);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clLime = RGB(0, 255, 0);
constexpr TColor clYellow = RGB(255, 255, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clFuchsia = RGB(255, 0, 255);
constexpr TColor clAqua = RGB(0, 255, 255);
constexpr TColor clWhite = RGB(255, 255, 255);

// System colours: flag byte 0xFF and a role index.
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

constexpr bool IsSystemColor(TColor c) {
  return (c & clSystemColor) == clSystemColor;
}

// A plain colour is returned with its top byte cleared; a system colour becomes the 0x00BBGGRR
// value of its role in the application's current palette (clInfoBk: the tool-tip background,
// clHighlight: the selection, clWindow: the base of text fields, clBtnFace: buttons ...). An
// unknown role yields clBlack. Needs a running QGuiApplication for system colours.
TColor ColorToRGB(TColor color);

// The 16-colour palette of 4-bit bitmaps, index 0 to 15.
constexpr TColor kStandardPalette16[16] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                           clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                           clBlue,  clFuchsia, clAqua,   clWhite};

}  // namespace ui
