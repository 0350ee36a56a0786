#pragma once
// Translation of Qt key events into virtual-key codes and shift states.

#include <Qt>
#include <cstdint>

#include "ui/types.h"

class QKeyEvent;

namespace ui {

// The virtual-key code of the event's key, or 0 when it has none.
uint16_t VirtualKeyOf(const QKeyEvent& event);
// Modifier keys of `modifiers` plus the mouse buttons held down now.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);

}  // namespace ui
