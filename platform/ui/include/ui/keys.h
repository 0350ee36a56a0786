#pragma once
// Virtual-key codes as OnKeyDown handlers receive them (the desktop framework's numbering).
// Letters and digits use their upper-case ASCII code ('A' is 65, '0' is 48).

#include <cstdint>

namespace ui {

constexpr uint16_t VK_BACK = 8;
constexpr uint16_t VK_TAB = 9;
constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_SHIFT = 16;
constexpr uint16_t VK_CONTROL = 17;
constexpr uint16_t VK_MENU = 18;
constexpr uint16_t VK_ESCAPE = 27;
constexpr uint16_t VK_SPACE = 32;
constexpr uint16_t VK_PRIOR = 33;
constexpr uint16_t VK_NEXT = 34;
constexpr uint16_t VK_END = 35;
constexpr uint16_t VK_HOME = 36;
constexpr uint16_t VK_LEFT = 37;
constexpr uint16_t VK_UP = 38;
constexpr uint16_t VK_RIGHT = 39;
constexpr uint16_t VK_DOWN = 40;
constexpr uint16_t VK_INSERT = 45;
constexpr uint16_t VK_DELETE = 46;
constexpr uint16_t VK_F1 = 112;
constexpr uint16_t VK_F2 = 113;
constexpr uint16_t VK_F3 = 114;
constexpr uint16_t VK_F4 = 115;
constexpr uint16_t VK_F5 = 116;
constexpr uint16_t VK_F6 = 117;
constexpr uint16_t VK_F7 = 118;
constexpr uint16_t VK_F8 = 119;
constexpr uint16_t VK_F9 = 120;
constexpr uint16_t VK_F10 = 121;
constexpr uint16_t VK_F11 = 122;
constexpr uint16_t VK_F12 = 123;

}  // namespace ui
