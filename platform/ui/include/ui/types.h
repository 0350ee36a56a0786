#pragma once
// Plain value types shared by every control: rectangles, the shift state of keys and mouse
// buttons, the enumerations of forms and controls, and the event signatures. Nothing here
// touches Qt, so screens can use these types without knowing what draws them.

#include <cstdint>
#include <functional>

namespace ui {

class TComponent;

// A rectangle in pixels; Right and Bottom lie one past the last column and row.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

inline TRect Rect(int left, int top, int right, int bottom) {
  return {left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

// The modifier keys and mouse buttons held down while an event happened.
enum class TShiftFlag : uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};

class TShiftState {
 public:
  TShiftState() = default;
  TShiftState(TShiftFlag flag) : bits_(static_cast<uint8_t>(flag)) {}

  bool Contains(TShiftFlag flag) const { return bits_ & static_cast<uint8_t>(flag); }
  bool Empty() const { return bits_ == 0; }
  TShiftState& operator|=(TShiftState other) {
    bits_ |= other.bits_;
    return *this;
  }
  friend TShiftState operator|(TShiftState a, TShiftState b) { return a |= b; }
  bool operator==(const TShiftState&) const = default;

 private:
  uint8_t bits_ = 0;
};

inline TShiftState operator|(TShiftFlag a, TShiftFlag b) {
  return TShiftState(a) | b;
}

// What closing a form does with it; the form's OnClose handler may change it.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// fsMDIForm holds the MDI area; fsMDIChild lives inside the main form's MDI area.
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm };

// How a control places itself inside its parent's client area when the parent resizes.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Screen cursors by the desktop framework's numbers.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHandPoint = -21;

// Results of a modal form or message box.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// Event signatures. Handlers run on the GUI thread; an exception a handler raises travels to
// the code that fired the event (for events fired by Qt: to TApplication::HandleException).
using TNotifyEvent = std::function<void(TComponent* Sender)>;
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;
using TKeyEvent = std::function<void(TComponent* Sender, uint16_t& Key, TShiftState Shift)>;

}  // namespace ui
