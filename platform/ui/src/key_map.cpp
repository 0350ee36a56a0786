#include "key_map.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include "ui/keys.h"

namespace ui {

uint16_t VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
    return static_cast<uint16_t>(VK_F1 + key - Qt::Key_F1);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>('A' + key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>('0' + key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
      return VK_MENU;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_PageUp:
      return VK_PRIOR;
    case Qt::Key_PageDown:
      return VK_NEXT;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    default:
      return 0;
  }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers) {
  TShiftState shift;
  if (modifiers & Qt::ShiftModifier) shift |= TShiftFlag::ssShift;
  if (modifiers & Qt::AltModifier) shift |= TShiftFlag::ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= TShiftFlag::ssCtrl;
  Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
  if (buttons & Qt::LeftButton) shift |= TShiftFlag::ssLeft;
  if (buttons & Qt::RightButton) shift |= TShiftFlag::ssRight;
  if (buttons & Qt::MiddleButton) shift |= TShiftFlag::ssMiddle;
  return shift;
}

}  // namespace ui
